#include "connections/core/BatchInsert.h"

#include "connections/core/IsoText.h"

#include <sql.h>
#include <sqlext.h>

#include <QStringEncoder>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <limits>
#include <optional>
#include <stdexcept>

#include "connections/core/Connection.h"
#include "connections/core/Handle.h"
#include "connections/core/StatementWatch.h"

namespace Db {

namespace {

using Kind = Parameter::Kind;

// No status the driver writes has this value: a batch whose statuses all
// still hold it met a driver that keeps none.
constexpr SQLUSMALLINT kUnwritten = 0xFFFF;
constexpr SQLULEN kUncounted = std::numeric_limits<SQLULEN>::max();
// A longer value is sent alone and in pieces of this size; shorter ones go in
// the arrays, which a batch lets grow to at most kArrayBytes.
constexpr qsizetype kLongValue = 1 << 20;
constexpr qsizetype kArrayBytes = 32 << 20;

// What Debian's SQLite driver (0.9998), the stand-in for both databases,
// does wrong with parameters: it keeps only the milliseconds of a timestamp
// structure, though it stores a timestamp's text whole; and it gives every
// binary value of an array the length of the first row's.
struct Quirks {
    bool timestampsAsText = false;
    bool binaryLengthOfFirstRow = false;
};

Quirks quirksOf(SQLHDBC dbc) {
    SQLCHAR name[256] = {};
    SQLSMALLINT length = 0;
    if (!succeeded(SQLGetInfo(dbc, SQL_DRIVER_NAME, name, sizeof name, &length))) return {};
    const bool sqlite = QString::fromUtf8(reinterpret_cast<const char*>(name))
                            .startsWith(QLatin1String("sqlite3odbc"), Qt::CaseInsensitive);
    return {sqlite, sqlite};
}

const char* kindName(Kind k) {
    static const char* const names[] = {
        "text", "integer", "unsigned integer", "double", "float", "bit", "decimal",
        "date", "time",    "timestamp",        "binary"};
    return names[static_cast<int>(k)];
}

}  // namespace

Parameter TextParameter() { return {Kind::Text, SQL_VARCHAR, 0, 0}; }

Parameter TypedParameter(const ColumnDescription& c) {
    switch (c.sqlType) {
        case SQL_BIT:
            return {Kind::Bit, SQL_BIT, 1, 0};
        case SQL_TINYINT:
        case SQL_SMALLINT:
        case SQL_INTEGER:
        case SQL_BIGINT:
            return {c.isUnsigned ? Kind::Unsigned : Kind::Integer, c.sqlType, c.size, 0};
        case SQL_DECIMAL:
        case SQL_NUMERIC:
            return {Kind::Decimal, c.sqlType, c.size, c.decimalDigits};
        case SQL_REAL:
            return {Kind::Float, SQL_REAL, c.size, 0};
        case SQL_FLOAT:
        case SQL_DOUBLE:
            return {Kind::Double, SQL_DOUBLE, c.size, 0};
        case SQL_TYPE_DATE:
        case SQL_DATE:
            return {Kind::Date, SQL_TYPE_DATE, 10, 0};
        case SQL_TYPE_TIME:
        case SQL_TIME:
            // Described as text: a driver that converts the text to ODBC's
            // time type first refuses the fraction (MariaDB's, with 22008).
            return {Kind::Time, SQL_VARCHAR, 0, 0};
        case SQL_TYPE_TIMESTAMP:
        case SQL_TIMESTAMP:
            // Described to the nanosecond whatever the source says: some
            // drivers cut the fraction to the digits a parameter declares.
            return {Kind::Timestamp, SQL_TYPE_TIMESTAMP, 29, 9};
        case SQL_BINARY:
        case SQL_VARBINARY:
        case SQL_LONGVARBINARY:
            return {Kind::Binary, c.sqlType, c.size, 0};
        case SQL_CHAR:
        case SQL_VARCHAR:
        case SQL_WCHAR:
        case SQL_WVARCHAR:
        case SQL_GUID:
            return {Kind::Text, SQL_VARCHAR, c.size, 0};
        default:
            return {Kind::Text, SQL_LONGVARCHAR, c.size, 0};
    }
}

// --- BatchInsert ---------------------------------------------------------

namespace {

// One parameter's values for the rows of a batch, bound column-wise. Values
// of a fixed size are written straight into the array. The others are
// written one after the other into a pool, and laid out in the array, with
// room for the longest of them, when the batch goes: a heap block per value
// would cost text more than the driver's own work.
struct Column {
    Parameter parameter;
    SQLSMALLINT cType = SQL_C_CHAR;
    size_t fixedWidth = 0;  // 0: the values vary in length
    std::vector<char> data;
    std::vector<SQLLEN> indicators;
    QByteArray pool;
    std::vector<qsizetype> starts, lengths;
    qsizetype longest = 0;
    size_t width = 0;

    bool varies() const { return fixedWidth == 0; }
    const char* bytes(int row) const { return pool.constData() + starts[row]; }
};

}  // namespace

struct BatchInsert::State {
    Connection* connection = nullptr;
    SQLHDBC dbc = SQL_NULL_HANDLE;
    Handle stmt;
    std::vector<Column> columns;
    int rowsPerBatch = 1;
    bool arrays = false;
    Quirks quirks;
    bool restoreAutocommit = false;
    bool inTransaction = false;
    // Set when a failed transaction could not be rolled back either: the
    // server may have ended it itself (SQLite does on a full disk) while the
    // driver still counts it open, and would then store rows outside any
    // transaction. No more rows are sent; each is refused with this.
    std::optional<Error> unusable;
    int count = 0;        // rows waiting to be sent
    long long taken = 0;  // rows given so far, those waiting included
    long long sent = 0;   // rows stored or refused
    std::vector<SQLUSMALLINT> statuses;
    SQLULEN processed = 0;
    QByteArray statement;

    // Every failure is told by the connection, which knows a lost one.
    void prepare() {
        connection->checkCall(SQLPrepare(stmt.get(), reinterpret_cast<SQLCHAR*>(statement.data()),
                                         SQLINTEGER(statement.size())),
                              SQL_HANDLE_STMT, stmt.get());
    }
    void askForArrays();
    void turnAutocommitOff();

    void store(int row, const std::vector<Value>& values);
    void dropFirst(int rows);
    qsizetype bytesWith(int row) const;
    bool isLong(int row) const;
    bool arrayKeepsLengths(int rows) const;
    std::vector<RowFailure> sendFirst(int rows);
    std::vector<RowFailure> send(int rows);
    void bind(int first, int rows);
    bool execute(int rows, std::optional<Error>* refused);
    SQLRETURN putLongValues();
    bool executeArray(int rows, std::optional<Error>* refused);
    bool executeEach(int rows, std::optional<Error>* refused);
    std::vector<RowFailure> sendAlone(int rows);
    std::optional<Error> inTransactionOf(const std::function<bool(std::optional<Error>*)>& rows);
    void endTransaction(SQLSMALLINT completion);
    std::vector<RowFailure> refuseAll(int rows, const Error& error) const;
};

namespace {

struct CForm {
    SQLSMALLINT cType;
    size_t width;
};

CForm cFormOf(Kind kind, bool timestampsAsText) {
    switch (kind) {
        case Kind::Integer:
            return {SQL_C_SBIGINT, sizeof(SQLBIGINT)};
        case Kind::Unsigned:
            return {SQL_C_UBIGINT, sizeof(SQLUBIGINT)};
        case Kind::Double:
            return {SQL_C_DOUBLE, sizeof(SQLDOUBLE)};
        case Kind::Float:
            return {SQL_C_FLOAT, sizeof(SQLREAL)};
        case Kind::Bit:
            return {SQL_C_BIT, sizeof(unsigned char)};
        case Kind::Date:
            return {SQL_C_TYPE_DATE, sizeof(SQL_DATE_STRUCT)};
        case Kind::Timestamp:
            if (timestampsAsText) return {SQL_C_CHAR, 0};
            return {SQL_C_TYPE_TIMESTAMP, sizeof(SQL_TIMESTAMP_STRUCT)};
        case Kind::Binary:
            return {SQL_C_BINARY, 0};
        case Kind::Text:
        case Kind::Decimal:
        case Kind::Time:
            return {SQL_C_CHAR, 0};
    }
    return {SQL_C_CHAR, 0};
}

// The arrays of one parameter, for batches of rowsPerBatch rows.
Column columnFor(const Parameter& p, int rowsPerBatch, bool timestampsAsText) {
    Column c;
    c.parameter = p;
    const CForm form = cFormOf(p.kind, timestampsAsText);
    c.cType = form.cType;
    c.fixedWidth = form.width;
    c.indicators.resize(rowsPerBatch);
    if (c.varies()) {
        c.starts.resize(rowsPerBatch);
        c.lengths.resize(rowsPerBatch);
    } else {
        c.data.resize(size_t(rowsPerBatch) * c.fixedWidth);
    }
    return c;
}

[[noreturn]] void refuseKind(size_t column, const Value& v, Kind kind) {
    static const char* const valueKinds[] = {
        "NULL", "integer", "unsigned integer", "decimal", "double", "float", "boolean",
        "date", "time",    "timestamp",        "text",    "binary", "GUID"};
    throw std::invalid_argument(QStringLiteral("Parameter %1: a %2 value cannot be bound as %3.")
                                    .arg(column + 1)
                                    .arg(QLatin1String(valueKinds[v.index()]), QLatin1String(kindName(kind)))
                                    .toStdString());
}

template <typename T>
void put(Column& c, int row, const T& value) {
    std::memcpy(c.data.data() + size_t(row) * c.fixedWidth, &value, sizeof value);
    c.indicators[row] = 0;
}

void appendUtf8(QByteArray& pool, const QString& text) {
    static thread_local QStringEncoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const qsizetype at = pool.size();
    pool.resize(at + utf8.requiredSpace(text.size()));
    pool.truncate(utf8.appendToBuffer(pool.data() + at, text) - pool.constData());
}

// Appends the bytes of a value whose length varies, or refuses it.
void appendBytes(QByteArray& pool, size_t column, const Value& v, Kind kind) {
    switch (kind) {
        case Kind::Text:
            if (const auto* s = std::get_if<QString>(&v)) return appendUtf8(pool, *s);
            if (const auto* g = std::get_if<Guid>(&v)) return appendUtf8(pool, IsoText::Guid(*g));
            break;
        case Kind::Decimal:
            if (const auto* d = std::get_if<Decimal>(&v)) {
                pool.append(d->digits.data(), qsizetype(d->digits.size()));
                return;
            }
            break;
        case Kind::Time:
            if (const auto* t = std::get_if<Time>(&v)) return appendUtf8(pool, IsoText::Time(*t));
            if (const auto* s = std::get_if<QString>(&v)) return appendUtf8(pool, *s);
            break;
        case Kind::Timestamp:
            if (const auto* ts = std::get_if<Timestamp>(&v)) return appendUtf8(pool, IsoText::Timestamp(*ts));
            break;
        case Kind::Binary:
            if (const auto* b = std::get_if<QByteArray>(&v)) {
                pool.append(*b);
                return;
            }
            break;
        default:
            break;
    }
    refuseKind(column, v, kind);
}

// Writes the value in the C form make gives it when it holds a From; false
// when it holds another kind.
template <typename From, typename Make>
bool putAs(Column& c, int row, const Value& v, Make make) {
    const auto* x = std::get_if<From>(&v);
    if (x) put(c, row, make(*x));
    return x != nullptr;
}

// Writes a value of a fixed size into the arrays; false when it is of
// another kind than the parameter's.
bool putFixed(Column& c, int row, const Value& v) {
    switch (c.parameter.kind) {
        case Kind::Integer:
            return putAs<std::int64_t>(c, row, v, [](std::int64_t x) { return SQLBIGINT(x); });
        case Kind::Unsigned:
            return putAs<std::uint64_t>(c, row, v, [](std::uint64_t x) { return SQLUBIGINT(x); });
        case Kind::Double:
            return putAs<double>(c, row, v, [](double x) { return SQLDOUBLE(x); });
        case Kind::Float:
            return putAs<float>(c, row, v, [](float x) { return SQLREAL(x); });
        case Kind::Bit:
            return putAs<bool>(c, row, v, [](bool x) { return static_cast<unsigned char>(x ? 1 : 0); });
        case Kind::Date:
            return putAs<Date>(c, row, v, [](const Date& x) {
                return SQL_DATE_STRUCT{SQLSMALLINT(x.year), SQLUSMALLINT(x.month), SQLUSMALLINT(x.day)};
            });
        case Kind::Timestamp:
            return putAs<Timestamp>(c, row, v, [](const Timestamp& x) {
                return SQL_TIMESTAMP_STRUCT{SQLSMALLINT(x.date.year),       SQLUSMALLINT(x.date.month),
                                            SQLUSMALLINT(x.date.day),       SQLUSMALLINT(x.time.hour),
                                            SQLUSMALLINT(x.time.minute),    SQLUSMALLINT(x.time.second),
                                            SQLUINTEGER(x.time.nanoseconds)};
            });
        default:
            return false;
    }
}

}  // namespace

void BatchInsert::State::store(int row, const std::vector<Value>& values) {
    if (values.size() != columns.size())
        throw std::invalid_argument(QStringLiteral("A row of %1 values for %2 parameters.")
                                        .arg(values.size())
                                        .arg(columns.size())
                                        .toStdString());
    for (size_t i = 0; i < columns.size(); ++i) {
        Column& c = columns[i];
        const Value& v = values[i];
        if (c.varies()) {
            const qsizetype start = c.pool.size();
            if (!isNull(v)) appendBytes(c.pool, i, v, c.parameter.kind);
            c.starts[row] = start;
            c.lengths[row] = c.pool.size() - start;
            c.indicators[row] = isNull(v) ? SQL_NULL_DATA : c.lengths[row];
            continue;
        }
        if (isNull(v)) {
            c.indicators[row] = SQL_NULL_DATA;
            continue;
        }
        if (!putFixed(c, row, v)) refuseKind(i, v, c.parameter.kind);
    }
}

// Moves the rows after the first ones to the front.
void BatchInsert::State::dropFirst(int rows) {
    const int kept = count - rows;
    for (Column& c : columns) {
        std::move(c.indicators.begin() + rows, c.indicators.begin() + count, c.indicators.begin());
        if (!c.varies()) {
            std::memmove(c.data.data(), c.data.data() + size_t(rows) * c.fixedWidth,
                         size_t(kept) * c.fixedWidth);
            continue;
        }
        const qsizetype from = kept > 0 ? c.starts[rows] : c.pool.size();
        c.pool.remove(0, from);
        c.longest = 0;
        for (int r = 0; r < kept; ++r) {
            c.starts[r] = c.starts[r + rows] - from;
            c.lengths[r] = c.lengths[r + rows];
            c.longest = std::max(c.longest, c.lengths[r]);
        }
    }
    count = kept;
}

// What the arrays of varying values would take with this row among the rows
// before it.
qsizetype BatchInsert::State::bytesWith(int row) const {
    qsizetype perRow = 0;
    for (const Column& c : columns)
        if (c.varies()) perRow += std::max(c.longest, c.lengths[row]);
    return perRow * (row + 1);
}

bool BatchInsert::State::isLong(int row) const {
    for (const Column& c : columns)
        if (c.varies() && c.lengths[row] > kLongValue) return true;
    return false;
}

bool BatchInsert::State::arrayKeepsLengths(int rows) const {
    if (!quirks.binaryLengthOfFirstRow) return true;
    for (const Column& c : columns) {
        if (c.parameter.kind != Kind::Binary) continue;
        const SQLLEN* first = c.indicators.data();
        const auto same = [&](SQLLEN length) { return length == SQL_NULL_DATA || length == *first; };
        if (!std::all_of(first, first + rows, same)) return false;
    }
    return true;
}

BatchInsert::BatchInsert(Connection& connection, const QString& statement, std::vector<Parameter> parameters,
                         int rowsPerBatch)
    : d_(std::make_unique<State>()) {
    if (rowsPerBatch < 1 || rowsPerBatch > MaxRowsPerBatch)
        throw std::out_of_range(QStringLiteral("Rows per batch must be from 1 to %1, not %2.")
                                    .arg(MaxRowsPerBatch)
                                    .arg(rowsPerBatch)
                                    .toStdString());
    State& d = *d_;
    d.connection = &connection;
    d.dbc = connection.handle();
    d.rowsPerBatch = rowsPerBatch;
    d.quirks = quirksOf(d.dbc);
    for (const Parameter& p : parameters)
        d.columns.push_back(columnFor(p, rowsPerBatch, d.quirks.timestampsAsText));
    d.statuses.resize(rowsPerBatch);

    connection.notify(statement);
    connection.checkCall(d.stmt.allocate(SQL_HANDLE_STMT, d.dbc), SQL_HANDLE_DBC, d.dbc);
    limitWait(d.stmt.get(), connection.QueryTimeout);
    d.statement = statement.toUtf8();
    // A failure from here on frees the statement with the state.
    d.prepare();
    d.askForArrays();
    d.turnAutocommitOff();
}

// A driver that cannot take arrays refuses the size or says it changed it
// (01S02).
void BatchInsert::State::askForArrays() {
    if (rowsPerBatch > 1 &&
        succeeded(SQLSetStmtAttr(stmt.get(), SQL_ATTR_PARAMSET_SIZE,
                                 reinterpret_cast<SQLPOINTER>(SQLULEN(rowsPerBatch)), 0))) {
        SQLULEN size = 0;
        arrays = succeeded(SQLGetStmtAttr(stmt.get(), SQL_ATTR_PARAMSET_SIZE, &size, 0, nullptr)) &&
                 size == SQLULEN(rowsPerBatch);
    }
    if (!arrays) return;
    connection->checkCall(SQLSetStmtAttr(stmt.get(), SQL_ATTR_PARAM_STATUS_PTR, statuses.data(), 0),
                          SQL_HANDLE_STMT, stmt.get());
    connection->checkCall(SQLSetStmtAttr(stmt.get(), SQL_ATTR_PARAMS_PROCESSED_PTR, &processed, 0),
                          SQL_HANDLE_STMT, stmt.get());
}

void BatchInsert::State::turnAutocommitOff() {
    SQLULEN autocommit = SQL_AUTOCOMMIT_ON;
    SQLGetConnectAttr(dbc, SQL_ATTR_AUTOCOMMIT, &autocommit, 0, nullptr);
    if (autocommit == SQL_AUTOCOMMIT_OFF) return;
    connection->checkCall(
        SQLSetConnectAttr(dbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0),
        SQL_HANDLE_DBC, dbc);
    restoreAutocommit = true;
}

// A batch left half sent by a failure is rolled back, since turning
// autocommit on would commit it.
BatchInsert::~BatchInsert() {
    State& d = *d_;
    if (d.inTransaction) SQLEndTran(SQL_HANDLE_DBC, d.dbc, SQL_ROLLBACK);
    d.stmt = Handle();
    if (d.restoreAutocommit)
        SQLSetConnectAttr(d.dbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0);
}

bool BatchInsert::sendsArrays() const { return d_->arrays; }
long long BatchInsert::rowsTaken() const { return d_->taken; }
long long BatchInsert::rowsSent() const { return d_->sent; }

std::vector<RowFailure> BatchInsert::add(const std::vector<Value>& row) {
    State& d = *d_;
    const int at = d.count;
    d.store(at, row);
    ++d.count;
    ++d.taken;
    std::vector<RowFailure> failures;
    const bool alone = d.isLong(at);
    if (at > 0 && (alone || d.bytesWith(at) > kArrayBytes)) failures = d.sendFirst(at);
    for (Column& c : d.columns)
        if (c.varies()) c.longest = std::max(c.longest, c.lengths[d.count - 1]);
    if (alone || d.count == d.rowsPerBatch) {
        std::vector<RowFailure> more = d.sendFirst(d.count);
        failures.insert(failures.end(), more.begin(), more.end());
    }
    return failures;
}

std::vector<RowFailure> BatchInsert::flush() { return d_->sendFirst(d_->count); }

// However the rows end, they leave the arrays: a batch is never left
// holding rows it cannot take more after.
std::vector<RowFailure> BatchInsert::State::sendFirst(int rows) {
    if (rows == 0) return {};
    struct Drop {
        State& d;
        int rows;
        ~Drop() {
            d.sent += rows;
            d.dropFirst(rows);
        }
    } drop{*this, rows};
    if (unusable) return refuseAll(rows, *unusable);
    return send(rows);
}

std::vector<RowFailure> BatchInsert::State::refuseAll(int rows, const Error& error) const {
    std::vector<RowFailure> failures;
    for (int r = 1; r <= rows; ++r) failures.push_back({sent + r, error});
    return failures;
}

// Sends the first rows of the arrays: as one array when the driver takes
// arrays, else one execution each. Anything short of every row stored is
// rolled back, and the rows are sent again one at a time.
std::vector<RowFailure> BatchInsert::State::send(int rows) {
    for (Column& c : columns) {
        if (!c.varies()) continue;
        qsizetype longest = 0;
        for (int r = 0; r < rows; ++r) longest = std::max(longest, c.lengths[r]);
        // A long value is not copied: it goes in pieces from the pool.
        if (longest > kLongValue) longest = 0;
        c.width = size_t(std::max<qsizetype>(longest, 1));
        c.data.resize(size_t(rows) * c.width);
        for (int r = 0; r < rows; ++r)
            if (c.lengths[r] <= kLongValue)
                std::memcpy(c.data.data() + size_t(r) * c.width, c.bytes(r), size_t(c.lengths[r]));
    }
    std::optional<Error> refused = inTransactionOf([&](std::optional<Error>* failure) {
        return arrays && rows > 1 && arrayKeepsLengths(rows) ? executeArray(rows, failure)
                                                             : executeEach(rows, failure);
    });
    if (!refused) return {};
    // Over a connection that is gone nothing more is tried.
    if (refused->connectionLost()) return {RowFailure{sent + 1, *refused}};
    if (unusable) return refuseAll(rows, *refused);
    std::vector<RowFailure> failures = sendAlone(rows);
    for (RowFailure& f : failures) f.row += sent;
    return failures;
}

// Runs rows in one transaction, committed when they are all stored and
// rolled back otherwise; a bind, a prepare or the COMMIT itself failing
// counts as the rows not stored. Returns the failure, if any.
//
// A transaction whose statement timed out is rolled back too, since turning
// autocommit on would commit what went before it; over a connection that is
// gone nothing more is tried.
std::optional<Error> BatchInsert::State::inTransactionOf(
    const std::function<bool(std::optional<Error>*)>& rows) {
    inTransaction = true;
    std::optional<Error> refused;
    try {
        if (rows(&refused)) {
            endTransaction(SQL_COMMIT);
            return std::nullopt;
        }
    } catch (const Error& e) {
        refused = e;
    }
    const bool rollBack = !refused->connectionLost() || refused->timedOut();
    if (rollBack && !succeeded(SQLEndTran(SQL_HANDLE_DBC, dbc, SQL_ROLLBACK))) unusable = refused;
    inTransaction = false;
    return refused;
}

void BatchInsert::State::endTransaction(SQLSMALLINT completion) {
    connection->checkCall(SQLEndTran(SQL_HANDLE_DBC, dbc, completion), SQL_HANDLE_DBC, dbc);
    inTransaction = false;
}

void BatchInsert::State::bind(int first, int rows) {
    for (size_t i = 0; i < columns.size(); ++i) {
        Column& c = columns[i];
        const Parameter& p = c.parameter;
        const size_t width = c.varies() ? c.width : c.fixedWidth;
        SQLLEN* indicator = c.indicators.data() + first;
        SQLPOINTER value = c.data.data() + size_t(first) * width;
        SQLULEN size = p.size;
        SQLLEN bufferLength = SQLLEN(width);
        if (c.varies()) {
            const qsizetype length = c.lengths[first];
            size = std::max<SQLULEN>(size, rows == 1 ? std::max<qsizetype>(length, 1) : width);
            if (rows == 1 && length > kLongValue) {
                // The token SQLParamData hands back is the parameter's number.
                value = reinterpret_cast<SQLPOINTER>(i + 1);
                bufferLength = 0;
                *indicator = SQL_LEN_DATA_AT_EXEC(SQLLEN(length));
            }
        }
        connection->checkCall(SQLBindParameter(stmt.get(), SQLUSMALLINT(i + 1), SQL_PARAM_INPUT, c.cType,
                                               SQLSMALLINT(p.sqlType), size, SQLSMALLINT(p.decimalDigits),
                                               value, bufferLength, indicator),
                              SQL_HANDLE_STMT, stmt.get());
    }
    if (arrays)
        connection->checkCall(SQLSetStmtAttr(stmt.get(), SQL_ATTR_PARAMSET_SIZE,
                                             reinterpret_cast<SQLPOINTER>(SQLULEN(rows)), 0),
                              SQL_HANDLE_STMT, stmt.get());
}

SQLRETURN BatchInsert::State::putLongValues() {
    SQLPOINTER token = nullptr;
    SQLRETURN rc = SQLParamData(stmt.get(), &token);
    while (rc == SQL_NEED_DATA) {
        const Column& c = columns.at(reinterpret_cast<size_t>(token) - 1);
        for (qsizetype at = 0; at < c.lengths[0]; at += kLongValue) {
            rc = SQLPutData(stmt.get(), const_cast<char*>(c.bytes(0)) + at,
                            SQLLEN(std::min<qsizetype>(kLongValue, c.lengths[0] - at)));
            if (!succeeded(rc)) return rc;
        }
        rc = SQLParamData(stmt.get(), &token);
    }
    return rc;
}

// Runs the bound rows once, within the query timeout; on failure the
// driver's diagnostics go to refused.
bool BatchInsert::State::execute(int rows, std::optional<Error>* refused) {
    std::fill_n(statuses.begin(), rows, kUnwritten);
    processed = kUncounted;
    StatementWatch watch(stmt.get(), connection->QueryTimeout);
    SQLRETURN rc = SQLExecute(stmt.get());
    const bool inPieces = rc == SQL_NEED_DATA;
    if (inPieces) rc = putLongValues();
    bool stored = succeeded(rc) || rc == SQL_NO_DATA;
    if (stored && arrays && rows > 1) {
        // Stored only when every row says so, or the driver keeps no
        // statuses and counted every row processed.
        const auto begin = statuses.begin(), end = statuses.begin() + rows;
        const bool kept = std::all_of(begin, end, [](SQLUSMALLINT s) {
            return s == SQL_PARAM_SUCCESS || s == SQL_PARAM_SUCCESS_WITH_INFO;
        });
        const bool unkept = std::all_of(begin, end, [](SQLUSMALLINT s) { return s == kUnwritten; });
        stored = (kept || unkept) && (processed == kUncounted || processed == SQLULEN(rows));
    }
    if (!stored) *refused = connection->failure(SQL_HANDLE_STMT, stmt.get(), rc, watch.cancelled());
    SQLFreeStmt(stmt.get(), SQL_CLOSE);
    // MariaDB's statement keeps a long value the server refused, and refuses
    // every later execution for it, until it is prepared again.
    if (!stored && inPieces && !(*refused)->connectionLost()) prepare();
    return stored;
}

bool BatchInsert::State::executeArray(int rows, std::optional<Error>* refused) {
    bind(0, rows);
    return execute(rows, refused);
}

bool BatchInsert::State::executeEach(int rows, std::optional<Error>* refused) {
    for (int r = 0; r < rows; ++r) {
        bind(r, 1);
        if (!execute(1, refused)) return false;
    }
    return true;
}

// Each row in a transaction of its own, so a failure undoes that row alone
// even on a server that ends the whole transaction for it. Row numbers count
// from 1 within these rows.
std::vector<RowFailure> BatchInsert::State::sendAlone(int rows) {
    std::vector<RowFailure> failures;
    for (int r = 0; r < rows; ++r) {
        const std::optional<Error> refused = inTransactionOf([&](std::optional<Error>* failure) {
            bind(r, 1);
            return execute(1, failure);
        });
        if (!refused) continue;
        failures.push_back({r + 1, *refused});
        if (refused->connectionLost()) break;
        if (unusable) {
            for (int rest = r + 2; rest <= rows; ++rest) failures.push_back({rest, *unusable});
            break;
        }
    }
    return failures;
}

}  // namespace Db
