#pragma once

#include <QString>

#include "connections/Profile.h"

// Where a listing puts the table names: the tables window's lists.
class TableListTarget {
public:
    virtual ~TableListTarget() = default;
    virtual void Clear() = 0;
    virtual void AddItem(const QString& name) = 0;
};

// Reads the user tables of one database from its catalogue into a list.
// The list is cleared only once the catalogue could be read; failures pass
// to the caller.
namespace IBMDB2 {
void ListTables(const Profile& p, TableListTarget& list);
}

namespace SybaseASE {
// ASE lists no table whose upper-cased name holds "SYS".
void ListTables(const Profile& p, TableListTarget& list);
}  // namespace SybaseASE
