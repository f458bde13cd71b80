#include "transfer/core/Datatype.h"

#include "connections/core/AdoTypes.h"

namespace Datatype {

QString ColumnTypeText(Direction d, const QString& lowerCasedTypeName) {
    if (d == Direction::ToAse) return QStringLiteral(" TEXT,");
    // Only adDate and adDBDate contain "date"; times and timestamps do not,
    // and DB2 gets them as text.
    return lowerCasedTypeName.contains(QLatin1String("date"), Qt::CaseSensitive)
               ? QStringLiteral(" DATE,")
               : QStringLiteral(" LONG VARCHAR,");
}

QString ColumnTypeTextFor(Direction d, int fieldTypeCode) {
    return ColumnTypeText(d, Db::AdoTypeName(fieldTypeCode).toLower());
}

}  // namespace Datatype
