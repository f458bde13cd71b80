#pragma once

#include "catalog/core/CommandHost.h"

// Delete and rename, each with its numbered steps. The lists are edited item
// by item, never re-read.
namespace Maintenance {

// Drops the tables selected in the DB2 list (Form2.PushButton1_Click).
void DeleteDb2Tables(CommandHost& host);
// Drops the tables selected in the ASE list (Form2.PushButton5_Click).
void DeleteAseTables(CommandHost& host);
// Renames the one table selected in the DB2 list (Form2.PushButton6_Click).
void RenameDb2Table(CommandHost& host);

}  // namespace Maintenance
