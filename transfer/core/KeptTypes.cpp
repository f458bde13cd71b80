#include "transfer/core/KeptTypes.h"

#include <sql.h>
#include <sqlext.h>

#include <QLocale>

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

Column column(QString type, Kind kind, int sqlType, unsigned long long size = 0, int digits = 0,
              Conversion conversion = Conversion::None) {
    return {std::move(type), {kind, sqlType, size, digits}, conversion, 0};
}

// Text of n characters (a size the driver leaves at 0 is no limit), kept in
// the in-row type up to its limit and in the long one beyond.
Column text(const char* inRow, unsigned long long limit, const char* beyond, unsigned long long n,
            int sqlType, int longSqlType) {
    if (n == 0 || n > limit) return column(QLatin1String(beyond), Kind::Text, longSqlType);
    return column(sized(inRow, n), Kind::Text, sqlType, n);
}

Column binary(const char* inRow, unsigned long long limit, const char* beyond, unsigned long long n) {
    if (n == 0 || n > limit) return column(QLatin1String(beyond), Kind::Binary, SQL_LONGVARBINARY);
    return column(sized(inRow, n), Kind::Binary, SQL_VARBINARY, n);
}

Column integer(const char* name, bool isUnsigned, int sqlType) {
    return column(QLatin1String(name), isUnsigned ? Kind::Unsigned : Kind::Integer, sqlType);
}

// A decimal too wide for the target's exact types keeps every digit as text,
// with room for its sign and point.
Column decimalText(const char* varchar, int p) {
    return column(sized(varchar, p + 2), Kind::Decimal, SQL_VARCHAR, p + 2);
}

Column toDb2(const Db::ColumnDescription& c) {
    const unsigned long long n = c.size;
    const int p = static_cast<int>(c.size), s = c.decimalDigits;
    switch (c.sqlType) {
        case SQL_BIT:
            return column("SMALLINT", Kind::Integer, SQL_SMALLINT, 0, 0, Conversion::BitAsNumber);
        case SQL_TINYINT:
            return integer("SMALLINT", c.isUnsigned, SQL_SMALLINT);
        case SQL_SMALLINT:
            return c.isUnsigned ? integer("INTEGER", true, SQL_INTEGER)
                                : integer("SMALLINT", false, SQL_SMALLINT);
        case SQL_INTEGER:
            return c.isUnsigned ? integer("BIGINT", true, SQL_BIGINT)
                                : integer("INTEGER", false, SQL_INTEGER);
        case SQL_BIGINT:
            if (c.isUnsigned) return column("DECIMAL(20,0)", Kind::Unsigned, SQL_DECIMAL, 20, 0);
            return integer("BIGINT", false, SQL_BIGINT);
        case SQL_DECIMAL:
        case SQL_NUMERIC:
            if (p <= kDb2Decimal)
                return column(QStringLiteral("DECIMAL(%1,%2)").arg(p).arg(s), Kind::Decimal, SQL_DECIMAL, p,
                              s);
            if (p <= kDb2Decfloat) return column("DECFLOAT(34)", Kind::Decimal, SQL_VARCHAR, p + 2);
            return decimalText("VARCHAR", p);
        case SQL_REAL:
            return column("REAL", Kind::Float, SQL_REAL);
        case SQL_FLOAT:
        case SQL_DOUBLE:
            return column("DOUBLE", Kind::Double, SQL_DOUBLE);
        case SQL_CHAR:
            if (n != 0 && n <= kDb2Char) return column(sized("CHAR", n), Kind::Text, SQL_CHAR, n);
            return text("VARCHAR", kDb2Varchar, "CLOB", n, SQL_VARCHAR, SQL_LONGVARCHAR);
        case SQL_VARCHAR:
            return text("VARCHAR", kDb2Varchar, "CLOB", n, SQL_VARCHAR, SQL_LONGVARCHAR);
        case SQL_WCHAR:
        case SQL_WVARCHAR:
            return text("VARGRAPHIC", kDb2Vargraphic, "DBCLOB", n, SQL_WVARCHAR, SQL_WLONGVARCHAR);
        case SQL_WLONGVARCHAR:
            return column("DBCLOB", Kind::Text, SQL_WLONGVARCHAR);
        case SQL_BINARY:
        case SQL_VARBINARY:
            return binary("VARBINARY", kDb2Varchar, "BLOB", n);
        case SQL_LONGVARBINARY:
            return column("BLOB", Kind::Binary, SQL_LONGVARBINARY);
        case SQL_TYPE_DATE:
        case SQL_DATE:
            return column("DATE", Kind::Date, SQL_TYPE_DATE, 10);
        case SQL_TYPE_TIME:
        case SQL_TIME:
            return column("TIME", Kind::Time, SQL_VARCHAR);
        case SQL_TYPE_TIMESTAMP:
        case SQL_TIMESTAMP:
            return column(QStringLiteral("TIMESTAMP(%1)").arg(s), Kind::Timestamp, SQL_TYPE_TIMESTAMP, 29, 9);
        case SQL_GUID:
            return column("CHAR(36)", Kind::Text, SQL_CHAR, 36);
        case SQL_LONGVARCHAR:
            return column("CLOB", Kind::Text, SQL_LONGVARCHAR);
        default:
            return column("CLOB", Kind::Text, SQL_LONGVARCHAR, 0, 0, Conversion::Text);
    }
}

Column toAse(const Db::ColumnDescription& c) {
    const unsigned long long n = c.size;
    const int p = static_cast<int>(c.size), s = c.decimalDigits;
    switch (c.sqlType) {
        case SQL_BIT:
            // An ASE bit cannot hold NULL.
            if (!c.nullable) return column("bit", Kind::Bit, SQL_BIT);
            return column("tinyint", Kind::Integer, SQL_TINYINT, 0, 0, Conversion::BitAsNumber);
        case SQL_TINYINT:
            // ASE's tinyint holds 0 to 255 only.
            return c.isUnsigned ? integer("tinyint", true, SQL_TINYINT)
                                : integer("smallint", false, SQL_SMALLINT);
        case SQL_SMALLINT:
            return integer(c.isUnsigned ? "unsigned smallint" : "smallint", c.isUnsigned, SQL_SMALLINT);
        case SQL_INTEGER:
            return integer(c.isUnsigned ? "unsigned int" : "int", c.isUnsigned, SQL_INTEGER);
        case SQL_BIGINT:
            return integer(c.isUnsigned ? "unsigned bigint" : "bigint", c.isUnsigned, SQL_BIGINT);
        case SQL_DECIMAL:
        case SQL_NUMERIC:
            if (p <= kAseNumeric)
                return column(QStringLiteral("numeric(%1,%2)").arg(p).arg(s), Kind::Decimal, SQL_NUMERIC, p,
                              s);
            return decimalText("varchar", p);
        case SQL_REAL:
            return column("real", Kind::Float, SQL_REAL);
        case SQL_FLOAT:
        case SQL_DOUBLE:
            return column("double precision", Kind::Double, SQL_DOUBLE);
        case SQL_CHAR:
            return text("char", kAseVarchar, "text", n, SQL_CHAR, SQL_LONGVARCHAR);
        case SQL_VARCHAR:
            return text("varchar", kAseVarchar, "text", n, SQL_VARCHAR, SQL_LONGVARCHAR);
        case SQL_WCHAR:
        case SQL_WVARCHAR:
            return text("univarchar", kAseUnivarchar, "unitext", n, SQL_WVARCHAR, SQL_WLONGVARCHAR);
        case SQL_WLONGVARCHAR:
            return column("unitext", Kind::Text, SQL_WLONGVARCHAR);
        case SQL_BINARY:
        case SQL_VARBINARY:
            return binary("varbinary", kAseVarchar, "image", n);
        case SQL_LONGVARBINARY:
            return column("image", Kind::Binary, SQL_LONGVARBINARY);
        case SQL_TYPE_DATE:
        case SQL_DATE:
            return column("date", Kind::Date, SQL_TYPE_DATE, 10);
        case SQL_TYPE_TIME:
        case SQL_TIME:
            return column(s > 0 ? "bigtime" : "time", Kind::Time, SQL_VARCHAR);
        case SQL_TYPE_TIMESTAMP:
        case SQL_TIMESTAMP:
            // datetime keeps 1/300 of a second, bigdatetime microseconds;
            // finer fractions are kept whole, as text.
            if (s == 0) return column("datetime", Kind::Timestamp, SQL_TYPE_TIMESTAMP, 29, 9);
            if (s <= 6) return column("bigdatetime", Kind::Timestamp, SQL_TYPE_TIMESTAMP, 29, 9);
            return {"varchar(32)", {Kind::Text, SQL_VARCHAR, 32, 0}, Conversion::TimestampText, s};
        case SQL_GUID:
            return column("char(36)", Kind::Text, SQL_CHAR, 36);
        case SQL_LONGVARCHAR:
            return column("text", Kind::Text, SQL_LONGVARCHAR);
        default:
            return column("text", Kind::Text, SQL_LONGVARCHAR, 0, 0, Conversion::Text);
    }
}

QString timestampText(const Db::Timestamp& ts, int fractionDigits) {
    const Db::Date& d = ts.date;
    const Db::Time& t = ts.time;
    QString text = QString::asprintf("%04d-%02d-%02d %02d:%02d:%02d", d.year, d.month, d.day, t.hour,
                                     t.minute, t.second);
    if (fractionDigits > 0)
        text += QLatin1Char('.') + QString::number(t.nanoseconds)
                                       .rightJustified(9, QLatin1Char('0'))
                                       .leftJustified(fractionDigits, QLatin1Char('0'), true);
    return text;
}

}  // namespace

// ASE makes a column NOT NULL unless told otherwise (its "allow nulls by
// default" option is off unless a database sets it), so each side is told.
Column For(Direction d, const Db::ColumnDescription& source) {
    Column kept = d == Direction::ToDb2 ? toDb2(source) : toAse(source);
    if (d == Direction::ToDb2)
        kept.type += source.nullable ? QString() : QStringLiteral(" NOT NULL");
    else
        kept.type += source.nullable ? QStringLiteral(" null") : QStringLiteral(" not null");
    return kept;
}

Db::Value Convert(const Column& column, const Db::Value& value) {
    switch (column.conversion) {
        case Conversion::None:
            break;
        case Conversion::BitAsNumber:
            if (const auto* b = std::get_if<bool>(&value)) return std::int64_t(*b ? 1 : 0);
            break;
        case Conversion::TimestampText:
            if (const auto* ts = std::get_if<Db::Timestamp>(&value))
                return timestampText(*ts, column.fractionDigits);
            break;
        case Conversion::Text:
            if (!Db::isNull(value) && !std::holds_alternative<QString>(value))
                return ValueText(value, QLocale::c());
            break;
    }
    return value;
}

}  // namespace KeptTypes
