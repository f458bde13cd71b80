#pragma once

#include "catalog/core/CommandHost.h"

// The table transfer: every table selected in one list is copied, with all
// its rows, into the other database, and the target list gains its name.
namespace Send {

// DB2 to ASE (Form2.PushButton3_Click).
void ToAse(CommandHost& host);
// ASE to DB2 (Form2.PushButton4_Click).
void ToDb2(CommandHost& host);

}  // namespace Send
