#include "transfer/core/Datatype.h"

#include <limits>

namespace Datatype {

namespace {

struct Named {
    qint16 code;
    const char* name;
};

// ADO's DataTypeEnum without the array flag.
constexpr Named kNames[] = {
    {0, "adEmpty"},
    {2, "adSmallInt"},
    {3, "adInteger"},
    {4, "adSingle"},
    {5, "adDouble"},
    {6, "adCurrency"},
    {7, "adDate"},
    {8, "adBSTR"},
    {9, "adIDispatch"},
    {10, "adError"},
    {11, "adBoolean"},
    {12, "adVariant"},
    {13, "adIUnknown"},
    {14, "adDecimal"},
    {16, "adTinyInt"},
    {17, "adUnsignedTinyInt"},
    {18, "adUnsignedSmallInt"},
    {19, "adUnsignedInt"},
    {20, "adBigInt"},
    {21, "adUnsignedBigInt"},
    {64, "adFileTime"},
    {72, "adGUID"},
    {128, "adBinary"},
    {129, "adChar"},
    {130, "adWChar"},
    {131, "adNumeric"},
    {132, "adUserDefined"},
    {133, "adDBDate"},
    {134, "adDBTime"},
    {135, "adDBTimeStamp"},
    {136, "adChapter"},
    {138, "adPropVariant"},
    {139, "adVarNumeric"},
    {200, "adVarChar"},
    {201, "adLongVarChar"},
    {202, "adVarWChar"},
    {203, "adLongVarWChar"},
    {204, "adVarBinary"},
    {205, "adLongVarBinary"},
};

}  // namespace

QString AdoTypeName(qint16 code) {
    for (const Named& n : kNames)
        if (n.code == code) return QString::fromLatin1(n.name);
    return QString();
}

QString ColumnTypeText(Direction d, const QString& lowerCasedTypeName) {
    if (d == Direction::ToAse) return QStringLiteral(" TEXT,");
    // Only adDate and adDBDate contain "date"; times and timestamps do not,
    // and DB2 gets them as text.
    return lowerCasedTypeName.contains(QLatin1String("date"), Qt::CaseSensitive)
               ? QStringLiteral(" DATE,")
               : QStringLiteral(" LONG VARCHAR,");
}

QString ColumnTypeTextFor(Direction d, int fieldTypeCode) {
    QString name;
    if (fieldTypeCode >= std::numeric_limits<qint16>::min() &&
        fieldTypeCode <= std::numeric_limits<qint16>::max())
        name = AdoTypeName(static_cast<qint16>(fieldTypeCode));
    return ColumnTypeText(d, name.toLower());
}

}  // namespace Datatype
