#pragma once

#include <functional>

#include "catalog/core/TableList.h"
#include "connections/core/Profile.h"

// Reads the user tables of one database from its catalogue into a list,
// yielding once per table row. The list is cleared only once the catalogue
// could be read; failures pass to the caller.
namespace IBMDB2 {
void ListTables(const Profile& p, TableList& list, const std::function<void()>& yield);
}

namespace SybaseASE {
// ASE lists no table whose upper-cased name holds "SYS".
void ListTables(const Profile& p, TableList& list, const std::function<void()>& yield);
}  // namespace SybaseASE
