#include "catalog/windows/Form2.h"
#include "transfer/core/Send.h"

void Form2::PushButton3_Click() { run(Send::ToAse); }
void Form2::PushButton4_Click() { run(Send::ToDb2); }
