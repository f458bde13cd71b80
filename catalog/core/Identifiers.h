#pragma once

#include <QString>

// Delimited identifiers, so that a name is always exactly one identifier and
// never ends a statement early.
namespace Identifiers {

// "name" with every '"' inside doubled, as standard SQL and DB2 read it.
QString Db2(const QString& name);

// [name]. ASE has no confirmed escape for ']' inside brackets, so a name
// holding one cannot be delimited at all; callers ask AseCanDelimit first.
QString Ase(const QString& name);
bool AseCanDelimit(const QString& name);

// What the user is told when a table is passed over for such a name: a copy
// (in either direction) and a drop.
QString AseRefusal(const QString& table);
QString AseDropRefusal(const QString& table);

}  // namespace Identifiers
