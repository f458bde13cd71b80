#include "catalog/Form2.h"

void Form2::PushButton1_Click() {}
void Form2::PushButton5_Click() {}
void Form2::PushButton6_Click() {}
