#include "catalog/Form2.h"

void Form2::PushButton3_Click() {}
void Form2::PushButton4_Click() {}
