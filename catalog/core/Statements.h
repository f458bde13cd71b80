#pragma once

#include <QString>

// The statements of the delete and rename commands, each name delimited.
namespace Statements {
QString DropDb2Table(const QString& name);
QString DropAseTable(const QString& name);
QString RenameDb2Table(const QString& oldName, const QString& newName);
}  // namespace Statements
