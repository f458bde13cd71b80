#include "catalog/core/Statements.h"

#include "catalog/core/Identifiers.h"

QString Statements::DropDb2Table(const QString& name) {
    return QStringLiteral("DROP TABLE ") + Identifiers::Db2(name);
}

QString Statements::DropAseTable(const QString& name) {
    return QStringLiteral("DROP TABLE ") + Identifiers::Ase(name);
}

QString Statements::RenameDb2Table(const QString& oldName, const QString& newName) {
    return QStringLiteral("RENAME TABLE ") + Identifiers::Db2(oldName) + QStringLiteral(" TO ") +
           Identifiers::Db2(newName);
}
