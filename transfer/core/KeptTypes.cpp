#include "transfer/core/KeptTypes.h"

#include <sql.h>
#include <sqlext.h>

#include <QLocale>

#include "connections/core/AdoTypes.h"
#include "connections/core/IsoText.h"
#include "transfer/core/ValueText.h"

namespace KeptTypes {

namespace {

using Kind = Db::Parameter::Kind;

// Longest in-row columns: DB2's VARCHAR, VARBINARY and VARGRAPHIC, its CHAR
// and DECIMAL; ASE's with 2 KB pages (the smallest, so a table fits every
// server) and its numeric.
constexpr unsigned long long kDb2Varchar = 32672, kDb2Vargraphic = 16336, kDb2Char = 254;
constexpr unsigned long long kAseVarchar = 1962, kAseUnivarchar = 981;
constexpr int kDb2Decimal = 31, kDb2Decfloat = 34, kAseNumeric = 38;

QString sized(const char* name, unsigned long long n) {
    return QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(n);
}

// The kept type, and the SQL type, size and digits its parameters are
// described with.
struct Kept {
    QString type;
    int sqlType = SQL_VARCHAR;
    unsigned long long size = 0;
    int digits = 0;
    Conversion conversion = Conversion::None;
    const char* lacks = "";
};

// Text or bytes of n (a size the driver leaves at 0 is no limit), kept in
// the in-row type up to its limit and in the long one beyond.
Kept sizedOrLong(const char* inRow, unsigned long long limit, const char* beyond, unsigned long long n,
                 int sqlType, int longSqlType) {
    if (n == 0 || n > limit) return {QLatin1String(beyond), longSqlType};
    return {sized(inRow, n), sqlType, n};
}

// DB2's CHAR and VARCHAR, and ASE's char and varchar, count bytes, where a
// driver gives a text column's size in characters. A character takes up to
// 4 bytes in UTF-8, so a kept text column has 4 bytes for each character
// of the source's: every value the source holds fits, whatever its
// characters. Past the target's in-row limit the long type takes it. A
// CHAR keeps its width, since a wider one would pad its values.
unsigned long long textBytes(unsigned long long characters) { return characters * 4; }

Kept text(const char* inRow, unsigned long long limit, const char* beyond, unsigned long long n,
          int sqlType) {
    return sizedOrLong(inRow, limit, beyond, textBytes(n), sqlType, SQL_LONGVARCHAR);
}

// The longest text of a decimal of precision p and scale s: its digits, a
// sign and a point, and the 0 before the point when every digit is a
// fraction digit (-0.5).
unsigned decimalTextLength(int p, int s) { return unsigned(p + 2 + (s >= p ? 1 : 0)); }

// A decimal too wide for the target's exact types keeps every digit as text.
Kept decimalText(const char* varchar, int p, int s) {
    const unsigned n = decimalTextLength(p, s);
    return {sized(varchar, n), SQL_VARCHAR, n};
}

// The column as a copy without kept types creates and fills it, for values
// the target has no type to keep in.
Kept defaultText(Direction d, const Db::ColumnDescription& c, const char* lacks) {
    const QString type = Datatype::ColumnTypeTextFor(d, Db::AdoTypeCode(c.sqlType, c.isUnsigned));
    return {type.mid(1).chopped(1), SQL_VARCHAR, 0, 0, Conversion::DefaultText, lacks};
}

// Times and timestamps keep every digit of a second's fraction the source
// holds: ASE's bigtime and bigdatetime hold 6, its time and datetime 1/300
// of a second, DB2's TIMESTAMP up to 12 and its TIME none. A scale of 0 is
// no proof that a column holds no fractions (SQLite's driver reports 0 for
// columns that hold them), so it counts as the most the source database
// holds, within what the target's own types take.
constexpr int kAseFraction = 6;

Kept toDb2(const Db::ColumnDescription& c) {
    const unsigned long long n = c.size;
    const int p = static_cast<int>(c.size), s = c.decimalDigits;
    switch (c.sqlType) {
        case SQL_BIT:
            return {"SMALLINT", SQL_SMALLINT, 0, 0, Conversion::BitAsNumber};
        case SQL_TINYINT:
            return {"SMALLINT", SQL_SMALLINT};
        case SQL_SMALLINT:
            return c.isUnsigned ? Kept{"INTEGER", SQL_INTEGER} : Kept{"SMALLINT", SQL_SMALLINT};
        case SQL_INTEGER:
            return c.isUnsigned ? Kept{"BIGINT", SQL_BIGINT} : Kept{"INTEGER", SQL_INTEGER};
        case SQL_BIGINT:
            return c.isUnsigned ? Kept{"DECIMAL(20,0)", SQL_DECIMAL, 20} : Kept{"BIGINT", SQL_BIGINT};
        case SQL_DECIMAL:
        case SQL_NUMERIC:
            if (p <= kDb2Decimal) return {QStringLiteral("DECIMAL(%1,%2)").arg(p).arg(s), SQL_DECIMAL, n, s};
            if (p <= kDb2Decfloat) return {"DECFLOAT(34)", SQL_VARCHAR, decimalTextLength(p, s)};
            return decimalText("VARCHAR", p, s);
        case SQL_REAL:
            return {"REAL", SQL_REAL};
        case SQL_FLOAT:
        case SQL_DOUBLE:
            return {"DOUBLE", SQL_DOUBLE};
        case SQL_CHAR:
            // A fixed width is kept as it is: a wider CHAR would pad every
            // value to its width, and so change it.
            if (n != 0 && n <= kDb2Char) return {sized("CHAR", n), SQL_CHAR, n};
            return text("VARCHAR", kDb2Varchar, "CLOB", n, SQL_VARCHAR);
        case SQL_VARCHAR:
            return text("VARCHAR", kDb2Varchar, "CLOB", n, SQL_VARCHAR);
        case SQL_WCHAR:
        case SQL_WVARCHAR:
            return sizedOrLong("VARGRAPHIC", kDb2Vargraphic, "DBCLOB", n, SQL_WVARCHAR, SQL_WLONGVARCHAR);
        case SQL_WLONGVARCHAR:
            return {"DBCLOB", SQL_WLONGVARCHAR};
        case SQL_BINARY:
        case SQL_VARBINARY:
            return sizedOrLong("VARBINARY", kDb2Varchar, "BLOB", n, SQL_VARBINARY, SQL_LONGVARBINARY);
        case SQL_LONGVARBINARY:
            return {"BLOB", SQL_LONGVARBINARY};
        case SQL_TYPE_DATE:
        case SQL_DATE:
            return {"DATE", SQL_TYPE_DATE, 10};
        case SQL_TYPE_TIME:
        case SQL_TIME:
            return defaultText(Direction::ToDb2, c, "DB2 has no time of day with fractions of a second");
        case SQL_TYPE_TIMESTAMP:
        case SQL_TIMESTAMP:
            return {QStringLiteral("TIMESTAMP(%1)").arg(s > 0 ? s : kAseFraction), SQL_TYPE_TIMESTAMP, 29, 9};
        case SQL_GUID:
            return {"CHAR(36)", SQL_CHAR, 36};
        case SQL_LONGVARCHAR:
            return {"CLOB", SQL_LONGVARCHAR};
        default:
            return {"CLOB", SQL_LONGVARCHAR, 0, 0, Conversion::Text};
    }
}

Kept toAse(const Db::ColumnDescription& c) {
    const unsigned long long n = c.size;
    const int p = static_cast<int>(c.size), s = c.decimalDigits;
    switch (c.sqlType) {
        case SQL_BIT:
            // An ASE bit cannot hold NULL.
            if (!c.nullable) return {"bit", SQL_BIT};
            return {"tinyint", SQL_TINYINT, 0, 0, Conversion::BitAsNumber};
        case SQL_TINYINT:
            // ASE's tinyint holds 0 to 255 only.
            return c.isUnsigned ? Kept{"tinyint", SQL_TINYINT} : Kept{"smallint", SQL_SMALLINT};
        case SQL_SMALLINT:
            return {c.isUnsigned ? "unsigned smallint" : "smallint", SQL_SMALLINT};
        case SQL_INTEGER:
            return {c.isUnsigned ? "unsigned int" : "int", SQL_INTEGER};
        case SQL_BIGINT:
            return {c.isUnsigned ? "unsigned bigint" : "bigint", SQL_BIGINT};
        case SQL_DECIMAL:
        case SQL_NUMERIC:
            if (p <= kAseNumeric) return {QStringLiteral("numeric(%1,%2)").arg(p).arg(s), SQL_NUMERIC, n, s};
            return decimalText("varchar", p, s);
        case SQL_REAL:
            return {"real", SQL_REAL};
        case SQL_FLOAT:
        case SQL_DOUBLE:
            return {"double precision", SQL_DOUBLE};
        case SQL_CHAR:
            return sizedOrLong("char", kAseVarchar, "text", n, SQL_CHAR, SQL_LONGVARCHAR);
        case SQL_VARCHAR:
            return text("varchar", kAseVarchar, "text", n, SQL_VARCHAR);
        case SQL_WCHAR:
        case SQL_WVARCHAR:
            return sizedOrLong("univarchar", kAseUnivarchar, "unitext", n, SQL_WVARCHAR, SQL_WLONGVARCHAR);
        case SQL_WLONGVARCHAR:
            return {"unitext", SQL_WLONGVARCHAR};
        case SQL_BINARY:
        case SQL_VARBINARY:
            return sizedOrLong("varbinary", kAseVarchar, "image", n, SQL_VARBINARY, SQL_LONGVARBINARY);
        case SQL_LONGVARBINARY:
            return {"image", SQL_LONGVARBINARY};
        case SQL_TYPE_DATE:
        case SQL_DATE:
            return {"date", SQL_TYPE_DATE, 10};
        case SQL_TYPE_TIME:
        case SQL_TIME:
            if (s == 0) return {"time", SQL_VARCHAR};
            if (s <= kAseFraction) return {"bigtime", SQL_VARCHAR};
            return defaultText(Direction::ToAse, c,
                               "ASE has no time of day with more than 6 fraction digits");
        case SQL_TYPE_TIMESTAMP:
        case SQL_TIMESTAMP:
            // bigdatetime holds the years 0001 to 9999, as a source's
            // timestamp may (datetime begins at 1753); finer fractions than
            // its microseconds are kept whole, as text.
            if (s <= kAseFraction) return {"bigdatetime", SQL_TYPE_TIMESTAMP, 29, 9};
            return {"varchar(32)", SQL_VARCHAR, 32, 0, Conversion::TimestampText};
        case SQL_GUID:
            return {"char(36)", SQL_CHAR, 36};
        case SQL_LONGVARCHAR:
            return {"text", SQL_LONGVARCHAR};
        default:
            return {"text", SQL_LONGVARCHAR, 0, 0, Conversion::Text};
    }
}

}  // namespace

// The values are bound in the kind the source column was read in, but where
// the kept type takes them in another form, and described as the kept type.
// ASE makes a column NOT NULL unless told otherwise (its "allow nulls by
// default" option is off unless a database sets it), so each side is told.
Column For(Direction d, const Db::ColumnDescription& source) {
    const bool db2 = d == Direction::ToDb2;
    const Kept kept = db2 ? toDb2(source) : toAse(source);
    if (kept.conversion == Conversion::DefaultText)
        return {kept.type, Db::TextParameter(), kept.conversion, 0, QLatin1String(kept.lacks)};
    Db::Parameter parameter = Db::TypedParameter(source);
    if (kept.conversion == Conversion::BitAsNumber) parameter.kind = Kind::Integer;
    if (kept.conversion == Conversion::TimestampText || kept.conversion == Conversion::Text)
        parameter.kind = Kind::Text;
    parameter.sqlType = kept.sqlType;
    parameter.size = kept.size;
    parameter.decimalDigits = kept.digits;
    const QString nullability = source.nullable ? (db2 ? "" : " null") : (db2 ? " NOT NULL" : " not null");
    return {kept.type + nullability,
            parameter,
            kept.conversion,
            kept.conversion == Conversion::TimestampText ? source.decimalDigits : 0,
            {}};
}

Table For(Direction d, const QString& table, const Db::Recordset& source) {
    Table t;
    for (int j = 0; j < source.FieldCount(); ++j) {
        const Db::Field& f = source.Fields(j);
        t.columns.push_back(For(d, f.Description));
        const Column& c = t.columns.back();
        if (c.conversion == Conversion::DefaultText)
            t.notes << QStringLiteral(
                           "%1.%2: %3, so the column goes as text in a %4 column, as a copy "
                           "without kept types sends it")
                           .arg(table, f.Name, c.lacks, c.type);
    }
    return t;
}

Db::Value Convert(const Column& column, const Db::Value& value) {
    switch (column.conversion) {
        case Conversion::None:
        case Conversion::DefaultText:
            break;
        case Conversion::BitAsNumber:
            if (const auto* b = std::get_if<bool>(&value)) return std::int64_t(*b ? 1 : 0);
            break;
        case Conversion::TimestampText:
            if (const auto* ts = std::get_if<Db::Timestamp>(&value))
                return IsoText::Timestamp(*ts, column.fractionDigits);
            break;
        case Conversion::Text:
            if (!Db::isNull(value) && !std::holds_alternative<QString>(value))
                return ValueText(value, QLocale::c());
            break;
    }
    return value;
}

}  // namespace KeptTypes
