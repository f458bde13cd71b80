#include "catalog/core/Identifiers.h"

namespace Identifiers {

QString Db2(const QString& name) {
    QString inner = name;
    inner.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + inner + QLatin1Char('"');
}

QString Ase(const QString& name) { return QLatin1Char('[') + name + QLatin1Char(']'); }

bool AseCanDelimit(const QString& name) { return !name.contains(QLatin1Char(']')); }

QString AseRefusal(const QString& table) {
    return QStringLiteral("The table ") + table +
           QStringLiteral(
               " was not copied: its name or one of its column names holds the character ], "
               "which cannot stand inside an ASE name in brackets.");
}

QString AseDropRefusal(const QString& table) {
    return QStringLiteral("The table ") + table +
           QStringLiteral(
               " was not dropped from Sybase ASE: its name holds the character ], which cannot stand "
               "inside an ASE name in brackets.");
}

}  // namespace Identifiers
