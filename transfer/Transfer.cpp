#include "transfer/Transfer.h"
