#include "connections/core/ColumnReaders.h"

#include <sqlext.h>

#include <QByteArray>
#include <QString>
#include <algorithm>
#include <cstddef>

#include "connections/core/DriverText.h"
#include "connections/core/Error.h"

namespace Db {

namespace {

// Reads a character or binary column in pieces of the buffer's size until the
// driver has delivered all of it, handing each piece to take as it comes.
// Returns false for NULL.
template <typename Take>
bool readLong(SQLHSTMT s, SQLUSMALLINT column, SQLSMALLINT cType, std::vector<char>& buffer, Take&& take) {
    const SQLLEN terminator = cType == SQL_C_CHAR ? 1 : 0;
    // The first piece is asked for small: most values are short, and some
    // drivers (SQLite's) fill the whole of the space they are offered.
    SQLLEN size = std::min<SQLLEN>(static_cast<SQLLEN>(buffer.size()), 256);
    for (;;) {
        SQLLEN indicator = 0;  // zeroed before every call: some drivers write only 32 bits of it
        SQLRETURN rc = SQLGetData(s, column, cType, buffer.data(), size, &indicator);
        if (rc == SQL_NO_DATA) return true;
        check(rc, SQL_HANDLE_STMT, s);
        indicator = IndicatorFromDriver(indicator);
        if (indicator == SQL_NULL_DATA) return false;
        SQLLEN room = size - terminator;
        bool more = rc == SQL_SUCCESS_WITH_INFO && (indicator == SQL_NO_TOTAL || indicator > room);
        // Never more than the buffer holds, whatever the indicator says.
        take(buffer.data(), static_cast<std::size_t>(more ? room : std::clamp<SQLLEN>(indicator, 0, room)));
        if (!more) return true;
        size = static_cast<SQLLEN>(buffer.size());
    }
}

// The whole of a character or binary value.
bool readLong(SQLHSTMT s, SQLUSMALLINT column, SQLSMALLINT cType, std::vector<char>& buffer,
              QByteArray& out) {
    out.clear();
    return readLong(s, column, cType, buffer, [&out](const char* piece, std::size_t size) {
        out.append(piece, static_cast<qsizetype>(size));
    });
}

// A value of a fixed size in the C type given, made into a Value by make;
// NULL as NULL.
template <typename T, typename Make>
Value readFixed(SQLHSTMT s, SQLUSMALLINT column, SQLSMALLINT cType, Make make) {
    T v{};
    SQLLEN indicator = 0;
    check(SQLGetData(s, column, cType, &v, sizeof v, &indicator), SQL_HANDLE_STMT, s);
    if (IndicatorFromDriver(indicator) == SQL_NULL_DATA) return Null{};
    return make(v);
}

// The whole of a character value as text; nothing for NULL.
std::optional<QString> readText(SQLHSTMT s, SQLUSMALLINT column, std::vector<char>& buffer) {
    QByteArray bytes;
    if (!readLong(s, column, SQL_C_CHAR, buffer, bytes)) return std::nullopt;
    return QString::fromUtf8(bytes);
}

Value integerValue(SQLHSTMT s, SQLUSMALLINT column, const ColumnDescription& d, std::vector<char>&) {
    if (d.isUnsigned)
        return readFixed<SQLUBIGINT>(s, column, SQL_C_UBIGINT, [](SQLUBIGINT v) { return std::uint64_t(v); });
    return readFixed<SQLBIGINT>(s, column, SQL_C_SBIGINT, [](SQLBIGINT v) { return std::int64_t(v); });
}

Value realValue(SQLHSTMT s, SQLUSMALLINT column, const ColumnDescription&, std::vector<char>&) {
    return readFixed<SQLREAL>(s, column, SQL_C_FLOAT, [](SQLREAL v) { return float(v); });
}

Value doubleValue(SQLHSTMT s, SQLUSMALLINT column, const ColumnDescription&, std::vector<char>&) {
    return readFixed<SQLDOUBLE>(s, column, SQL_C_DOUBLE, [](SQLDOUBLE v) { return double(v); });
}

Value bitValue(SQLHSTMT s, SQLUSMALLINT column, const ColumnDescription&, std::vector<char>&) {
    return readFixed<unsigned char>(s, column, SQL_C_BIT, [](unsigned char v) { return v != 0; });
}

Value dateValue(SQLHSTMT s, SQLUSMALLINT column, const ColumnDescription&, std::vector<char>&) {
    return readFixed<SQL_DATE_STRUCT>(s, column, SQL_C_TYPE_DATE, [](const SQL_DATE_STRUCT& v) {
        return Date{v.year, v.month, v.day};
    });
}

// As text: ODBC's time structure has no room for the fraction of a second
// that ASE's time and bigtime columns hold.
Value timeValue(SQLHSTMT s, SQLUSMALLINT column, const ColumnDescription&, std::vector<char>& buffer) {
    const std::optional<QString> text = readText(s, column, buffer);
    return text ? TimeFromDriverText(*text) : Value(Null{});
}

Value timestampValue(SQLHSTMT s, SQLUSMALLINT column, const ColumnDescription&, std::vector<char>&) {
    return readFixed<SQL_TIMESTAMP_STRUCT>(
        s, column, SQL_C_TYPE_TIMESTAMP, [](const SQL_TIMESTAMP_STRUCT& v) {
            return Timestamp{Date{v.year, v.month, v.day}, Time{v.hour, v.minute, v.second, v.fraction}};
        });
}

Value binaryValue(SQLHSTMT s, SQLUSMALLINT column, const ColumnDescription&, std::vector<char>& buffer) {
    QByteArray bytes;
    return readLong(s, column, SQL_C_BINARY, buffer, bytes) ? Value(bytes) : Value(Null{});
}

Value decimalValue(SQLHSTMT s, SQLUSMALLINT column, const ColumnDescription&, std::vector<char>& buffer) {
    const std::optional<QString> text = readText(s, column, buffer);
    return text ? DecimalFromDriverText(*text) : Value(Null{});
}

// In its canonical text: upper case, in braces.
Value guidValue(SQLHSTMT s, SQLUSMALLINT column, const ColumnDescription&, std::vector<char>& buffer) {
    std::optional<QString> text = readText(s, column, buffer);
    if (!text) return Null{};
    QString upper = text->toUpper();
    if (!upper.startsWith(QLatin1Char('{'))) upper = QLatin1Char('{') + upper + QLatin1Char('}');
    return Guid{upper};
}

Value textValue(SQLHSTMT s, SQLUSMALLINT column, const ColumnDescription&, std::vector<char>& buffer) {
    const std::optional<QString> t = readText(s, column, buffer);
    return t ? Value(*t) : Value(Null{});
}

// How the values go to a spool: whole, or piece by piece as bytes or as text.
constexpr std::optional<Spool::Pieces> kWhole = std::nullopt;
constexpr std::optional<Spool::Pieces> kInBytes = Spool::Pieces::Binary;
constexpr std::optional<Spool::Pieces> kInText = Spool::Pieces::Utf8Text;

constexpr ColumnReader kReaders[] = {
    {SQL_BIGINT, integerValue, kWhole},
    {SQL_INTEGER, integerValue, kWhole},
    {SQL_SMALLINT, integerValue, kWhole},
    {SQL_TINYINT, integerValue, kWhole},
    {SQL_REAL, realValue, kWhole},
    {SQL_FLOAT, doubleValue, kWhole},
    {SQL_DOUBLE, doubleValue, kWhole},
    {SQL_BIT, bitValue, kWhole},
    {SQL_TYPE_DATE, dateValue, kWhole},
    {SQL_DATE, dateValue, kWhole},
    {SQL_TYPE_TIME, timeValue, kWhole},
    {SQL_TIME, timeValue, kWhole},
    {SQL_TYPE_TIMESTAMP, timestampValue, kWhole},
    {SQL_TIMESTAMP, timestampValue, kWhole},
    {SQL_BINARY, binaryValue, kInBytes},
    {SQL_VARBINARY, binaryValue, kInBytes},
    {SQL_LONGVARBINARY, binaryValue, kInBytes},
    {SQL_DECIMAL, decimalValue, kWhole},
    {SQL_NUMERIC, decimalValue, kWhole},
    {SQL_GUID, guidValue, kWhole},
};

// Every other type: character data, and the drivers' own types as text.
constexpr ColumnReader kText = {0, textValue, kInText};

}  // namespace

void ColumnReader::spool(SQLHSTMT s, SQLUSMALLINT column, const ColumnDescription& description,
                         std::vector<char>& buffer, Spool& to) const {
    if (!pieces) {
        to.add(read(s, column, description, buffer));
        return;
    }
    to.beginPieces(*pieces);
    const bool present =
        readLong(s, column, *pieces == Spool::Pieces::Binary ? SQL_C_BINARY : SQL_C_CHAR, buffer,
                 [&to](const char* piece, std::size_t size) { to.addPiece(piece, size); });
    to.endPieces(present);
}

const ColumnReader& ColumnReaderOf(int sqlType) {
    for (const ColumnReader& r : kReaders)
        if (r.sqlType == sqlType) return r;
    return kText;
}

}  // namespace Db
