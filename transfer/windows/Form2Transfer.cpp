#include "catalog/windows/Form2.h"
#include "catalog/windows/Form2Host.h"
#include "transfer/core/Send.h"

void Form2::PushButton3_Click() {
    Form2Host host(*this);
    Send::ToAse(host);
}

void Form2::PushButton4_Click() {
    Form2Host host(*this);
    Send::ToDb2(host);
}
