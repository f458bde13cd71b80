#include "connections/core/AdoTypes.h"

#include <sql.h>
#include <sqlext.h>

#include <string_view>

namespace Db {

namespace {

struct AdoType {
    int code;
    std::string_view name;
};

// ADO's DataTypeEnum without the array flag.
constexpr AdoType kAdoTypes[] = {
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

// The code of the type the table names so; a name it lacks does not compile.
consteval int ado(std::string_view name) {
    for (const AdoType& t : kAdoTypes)
        if (t.name == name) return t.code;
    throw "no ADO type of that name";
}

// The ADO type of each ODBC SQL type; the integers have an unsigned one too.
struct FromSql {
    int sqlType;
    int code;
    int unsignedCode = 0;
};

constexpr FromSql kFromSql[] = {
    {SQL_CHAR, ado("adChar")},
    {SQL_VARCHAR, ado("adVarChar")},
    {SQL_LONGVARCHAR, ado("adLongVarChar")},
    {SQL_WCHAR, ado("adWChar")},
    {SQL_WVARCHAR, ado("adVarWChar")},
    {SQL_WLONGVARCHAR, ado("adLongVarWChar")},
    {SQL_DECIMAL, ado("adNumeric")},
    {SQL_NUMERIC, ado("adNumeric")},
    {SQL_SMALLINT, ado("adSmallInt"), ado("adUnsignedSmallInt")},
    {SQL_TINYINT, ado("adTinyInt"), ado("adUnsignedTinyInt")},
    {SQL_INTEGER, ado("adInteger"), ado("adUnsignedInt")},
    {SQL_BIGINT, ado("adBigInt"), ado("adUnsignedBigInt")},
    {SQL_REAL, ado("adSingle")},
    {SQL_FLOAT, ado("adDouble")},
    {SQL_DOUBLE, ado("adDouble")},
    {SQL_BIT, ado("adBoolean")},
    {SQL_BINARY, ado("adBinary")},
    {SQL_VARBINARY, ado("adVarBinary")},
    {SQL_LONGVARBINARY, ado("adLongVarBinary")},
    {SQL_TYPE_DATE, ado("adDBDate")},
    {SQL_DATE, ado("adDBDate")},
    {SQL_TYPE_TIME, ado("adDBTime")},
    {SQL_TIME, ado("adDBTime")},
    {SQL_TYPE_TIMESTAMP, ado("adDBTimeStamp")},
    {SQL_TIMESTAMP, ado("adDBTimeStamp")},
    {SQL_GUID, ado("adGUID")},
};

}  // namespace

int AdoTypeCode(int sqlType, bool isUnsigned) {
    for (const FromSql& t : kFromSql)
        if (t.sqlType == sqlType) return isUnsigned && t.unsignedCode != 0 ? t.unsignedCode : t.code;
    return ado("adLongVarWChar");  // a driver's own type
}

QString AdoTypeName(int code) {
    for (const AdoType& t : kAdoTypes)
        if (t.code == code) return QString::fromLatin1(t.name.data(), qsizetype(t.name.size()));
    return QString();
}

}  // namespace Db
