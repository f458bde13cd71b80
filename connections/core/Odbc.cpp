#include "connections/core/Odbc.h"

#include <sql.h>
#include <sqlext.h>

#include <QRegularExpression>
#include <algorithm>
#include <cstring>
#include <optional>

#include "connections/core/ConnectionString.h"
#include "connections/core/Spool.h"
#include "connections/core/StatementWatch.h"

namespace Db {

namespace {

std::vector<Connection::Listener>& globalListeners() {
    static std::vector<Connection::Listener> listeners;
    return listeners;
}

bool succeeded(SQLRETURN rc) { return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO; }

QString fromDriver(const SQLCHAR* text, qsizetype length = -1) {
    return QString::fromUtf8(reinterpret_cast<const char*>(text), length);
}

struct Diagnostics {
    QStringList messages;
    QStringList states;
    QList<int> natives;
};

// Every diagnostic record of the handle, in order, unchanged.
Diagnostics diagnostics(SQLSMALLINT type, SQLHANDLE handle, SQLRETURN rc) {
    Diagnostics d;
    for (SQLSMALLINT i = 1;; ++i) {
        SQLCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLSMALLINT length = 0;
        std::vector<SQLCHAR> text(1024);
        SQLRETURN r = SQLGetDiagRec(type, handle, i, state, &native, text.data(),
                                    static_cast<SQLSMALLINT>(text.size()), &length);
        if (r == SQL_SUCCESS_WITH_INFO && length >= static_cast<SQLSMALLINT>(text.size())) {
            text.resize(length + 1);
            r = SQLGetDiagRec(type, handle, i, state, &native, text.data(),
                              static_cast<SQLSMALLINT>(text.size()), &length);
        }
        if (!succeeded(r)) break;
        d.states << fromDriver(state);
        d.natives << int(native);
        d.messages << fromDriver(text.data(), std::min<qsizetype>(length, text.size() - 1));
    }
    if (d.messages.isEmpty()) d.messages << QStringLiteral("ODBC call failed with return code %1").arg(rc);
    return d;
}

[[noreturn]] void raise(SQLSMALLINT type, SQLHANDLE handle, SQLRETURN rc) {
    Diagnostics d = diagnostics(type, handle, rc);
    throw Error(d.messages.join(QLatin1Char('\n')), d.states, d.natives);
}

void check(SQLRETURN rc, SQLSMALLINT type, SQLHANDLE handle) {
    if (!succeeded(rc)) raise(type, handle, rc);
}

int defaultQueryTimeout = 60;

// Every text goes to the drivers as UTF-8. IBM's DB2 CLI driver reads it so
// only in a UTF-8 locale or when code page 1208 is asked for: ask for it,
// unless the user has chosen a code page of their own.
void askDb2ForUtf8() {
    static const bool asked = [] {
        if (qEnvironmentVariableIsEmpty("DB2CODEPAGE")) qputenv("DB2CODEPAGE", "1208");
        return true;
    }();
    (void)asked;
}

// One owner per ODBC handle; freeing never throws.
class Handle {
public:
    Handle() = default;
    Handle(SQLSMALLINT type, SQLHANDLE parent) : type_(type) {
        SQLRETURN rc = SQLAllocHandle(type, parent, &handle_);
        if (!succeeded(rc)) {
            handle_ = SQL_NULL_HANDLE;
            if (parent != SQL_NULL_HANDLE)
                raise(type == SQL_HANDLE_STMT ? SQL_HANDLE_DBC : SQL_HANDLE_ENV, parent, rc);
            throw Error(QStringLiteral("The ODBC driver manager could not allocate a handle."), {});
        }
    }
    ~Handle() {
        if (handle_ != SQL_NULL_HANDLE) SQLFreeHandle(type_, handle_);
    }
    Handle(Handle&& other) noexcept { *this = std::move(other); }
    Handle& operator=(Handle&& other) noexcept {
        std::swap(type_, other.type_);
        std::swap(handle_, other.handle_);
        return *this;
    }
    SQLHANDLE get() const { return handle_; }

private:
    SQLSMALLINT type_ = 0;
    SQLHANDLE handle_ = SQL_NULL_HANDLE;
};

QByteArray toDriver(const QString& text) { return text.toUtf8(); }

// The attributes the driver manager holds for a registered driver name
// ("Driver=...", "Setup=..."); nullopt when the name is not registered.
std::optional<QStringList> driverAttributes(SQLHENV env, const QString& name) {
    SQLCHAR description[512];
    SQLCHAR attributes[2048];
    SQLSMALLINT dl = 0, al = 0;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    while (succeeded(SQLDrivers(env, direction, description, sizeof description, &dl, attributes,
                                sizeof attributes, &al))) {
        if (fromDriver(description).compare(name, Qt::CaseInsensitive) == 0) {
            // Each attribute ends in a NUL, the list in a second one.
            const qsizetype length = std::min<qsizetype>(al, sizeof attributes - 1);
            return fromDriver(attributes, length).split(QLatin1Char('\0'), Qt::SkipEmptyParts);
        }
        direction = SQL_FETCH_NEXT;
    }
    return std::nullopt;
}

bool driverRegistered(SQLHENV env, const QString& name) { return driverAttributes(env, name).has_value(); }

// The library a registered driver loads, as its Driver= attribute names it.
QString driverLibrary(SQLHENV env, const QString& name) {
    for (const QString& attribute : driverAttributes(env, name).value_or(QStringList())) {
        if (attribute.startsWith(QLatin1String("Driver="), Qt::CaseInsensitive))
            return attribute.mid(7).trimmed();
    }
    return {};
}

}  // namespace

Error::Error(const QString& description, QStringList sqlStates, QList<int> nativeCodes)
    : std::runtime_error(description.toStdString()),
      description_(description),
      sqlStates_(std::move(sqlStates)),
      nativeCodes_(std::move(nativeCodes)) {}

QString Error::kind() const {
    return sqlStates_.value(0) + QLatin1Char('/') + QString::number(nativeCodes_.value(0));
}

// Sets what only the connection that failed can tell.
struct Failures {
    static Error make(Diagnostics d, bool lost, bool timedOut) {
        Error e(d.messages.join(QLatin1Char('\n')), d.states, d.natives);
        e.lost_ = lost || timedOut;
        e.timedOut_ = timedOut;
        return e;
    }
};

bool ConnectionLost(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const Error& e) {
        return e.connectionLost();
    } catch (...) {
        return false;
    }
}

QString FailureKind(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const Error& e) {
        return e.kind();
    } catch (...) {
        return QString();
    }
}

int AdoTypeCode(int sqlType, bool isUnsigned) {
    switch (sqlType) {
        case SQL_CHAR:
            return 129;
        case SQL_VARCHAR:
            return 200;
        case SQL_LONGVARCHAR:
            return 201;
        case SQL_WCHAR:
            return 130;
        case SQL_WVARCHAR:
            return 202;
        case SQL_WLONGVARCHAR:
            return 203;
        case SQL_DECIMAL:
        case SQL_NUMERIC:
            return 131;
        case SQL_SMALLINT:
            return isUnsigned ? 18 : 2;
        case SQL_TINYINT:
            return isUnsigned ? 17 : 16;
        case SQL_INTEGER:
            return isUnsigned ? 19 : 3;
        case SQL_BIGINT:
            return isUnsigned ? 21 : 20;
        case SQL_REAL:
            return 4;
        case SQL_FLOAT:
        case SQL_DOUBLE:
            return 5;
        case SQL_BIT:
            return 11;
        case SQL_BINARY:
            return 128;
        case SQL_VARBINARY:
            return 204;
        case SQL_LONGVARBINARY:
            return 205;
        case SQL_TYPE_DATE:
        case SQL_DATE:
            return 133;
        case SQL_TYPE_TIME:
        case SQL_TIME:
            return 134;
        case SQL_TYPE_TIMESTAMP:
        case SQL_TIMESTAMP:
            return 135;
        case SQL_GUID:
            return 72;
        default:
            return 203;
    }
}

Decimal DecimalFromDriverText(const QString& text) {
    QString t = text.trimmed();
    QString sign;
    if (t.startsWith(QLatin1Char('-')) || t.startsWith(QLatin1Char('+'))) {
        if (t.front() == QLatin1Char('-')) sign = QStringLiteral("-");
        t.remove(0, 1);
    }
    // Some drivers write a comma when the client locale wants one.
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    qsizetype point = t.indexOf(QLatin1Char('.'));
    QString whole = point < 0 ? t : t.left(point);
    QString fraction = point < 0 ? QString() : t.mid(point + 1);
    while (whole.size() > 1 && whole.front() == QLatin1Char('0')) whole.remove(0, 1);
    if (whole.isEmpty()) whole = QStringLiteral("0");
    QString digits = whole;
    if (!fraction.isEmpty()) digits += QLatin1Char('.') + fraction;
    bool zero = !digits.contains(QRegularExpression(QStringLiteral("[1-9]")));
    return Decimal{((zero ? QString() : sign) + digits).toStdString()};
}

Value TimeFromDriverText(const QString& text) {
    static const QRegularExpression time(
        QStringLiteral("^\\s*(\\d{1,2})[:.](\\d\\d)[:.](\\d\\d)(?:[.,:](\\d+))?\\s*$"));
    const QRegularExpressionMatch m = time.match(text);
    if (!m.hasMatch()) return text;
    QString fraction = m.captured(4);
    while (fraction.size() > 9 && fraction.endsWith(QLatin1Char('0'))) fraction.chop(1);
    if (fraction.size() > 9) return text;  // finer than nanoseconds: keep every digit as text
    const auto nanoseconds = fraction.leftJustified(9, QLatin1Char('0')).toUInt();
    return Time{m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt(), nanoseconds};
}

long long IndicatorFromDriver(long long written) {
    if constexpr (sizeof(SQLLEN) > 4) {
        if (written == 0xFFFFFFFFLL) return SQL_NULL_DATA;
        if (written == 0xFFFFFFFCLL) return SQL_NO_TOTAL;
    }
    return written;
}

// --- Connection ----------------------------------------------------------

// A statement handle that waits for the server at most the connection's
// query timeout. Drivers that do not know the attribute are cancelled by
// the watchdog instead.
Handle statementOf(SQLHDBC dbc, int timeoutSeconds) {
    Handle h(SQL_HANDLE_STMT, dbc);
    if (timeoutSeconds > 0)
        SQLSetStmtAttr(h.get(), SQL_ATTR_QUERY_TIMEOUT,
                       reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(timeoutSeconds)), 0);
    return h;
}

struct Recordset::Statement {
    explicit Statement(Connection& c) : connection(&c), handle(statementOf(c.handle(), c.QueryTimeout)) {}
    Connection* connection;
    Handle handle;
    std::vector<char> buffer = std::vector<char>(64 * 1024);
};

struct Connection::Handles {
    Handle env;
    Handle dbc;
    // Execute sends every statement on this one: a handle per statement
    // costs the driver manager and the driver an allocation each time.
    Handle exec;
    // Watches exec, registered once: arming it costs next to nothing.
    std::unique_ptr<StatementWatch> execWatch;
    bool open = false;
    bool lost = false;
};

int Connection::DefaultQueryTimeout() { return defaultQueryTimeout; }
void Connection::SetDefaultQueryTimeout(int seconds) { defaultQueryTimeout = seconds; }

Error Connection::failure(short handleType, void* handle, short rc, bool cancelled) {
    Diagnostics d = diagnostics(handleType, handle, rc);
    bool lost = false;
    bool timedOut = cancelled;
    for (const QString& state : d.states) {
        lost = lost || state.startsWith(QLatin1String("08"));
        timedOut = timedOut || state == QLatin1String("HYT00");
    }
    if (!lost && isOpen()) {
        SQLUINTEGER dead = SQL_CD_FALSE;
        if (succeeded(SQLGetConnectAttr(handles_->dbc.get(), SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr)))
            lost = dead == SQL_CD_TRUE;
    }
    if (timedOut)
        d.messages << QStringLiteral("The server did not answer within %1 seconds.").arg(QueryTimeout);
    if ((lost || timedOut) && handles_) handles_->lost = true;
    return Failures::make(std::move(d), lost, timedOut);
}

void Connection::failed(void* statement, short rc, bool cancelled) {
    throw failure(SQL_HANDLE_STMT, statement, rc, cancelled);
}

Connection::Connection() = default;

Connection::~Connection() {
    if (handles_ && handles_->open) {
        handles_->execWatch.reset();
        handles_->exec = Handle();
        SQLDisconnect(handles_->dbc.get());
    }
}

void Connection::addGlobalListener(Listener listener) { globalListeners().push_back(std::move(listener)); }
void Connection::clearGlobalListeners() { globalListeners().clear(); }

bool Connection::isOpen() const { return handles_ && handles_->open; }

void* Connection::handle() const {
    if (!isOpen()) throw Error(QStringLiteral("Operation is not allowed when the object is closed."), {});
    return handles_->dbc.get();
}

void Connection::notify(const QString& statement) const {
    for (const auto& l : listeners_) l(*this, statement);
    for (const auto& l : globalListeners()) l(*this, statement);
}

void Connection::Open(const QString& connectionString) {
    if (isOpen()) throw Error(QStringLiteral("Operation is not allowed when the object is open."), {});
    askDb2ForUtf8();
    auto h = std::make_unique<Handles>();
    h->env = Handle(SQL_HANDLE_ENV, SQL_NULL_HANDLE);
    SQLSetEnvAttr(h->env.get(), SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    h->dbc = Handle(SQL_HANDLE_DBC, h->env.get());
    SQLSetConnectAttr(h->dbc.get(), SQL_ATTR_LOGIN_TIMEOUT, reinterpret_cast<SQLPOINTER>(30), 0);

    QString odbc = connectionString;
    if (ConnectionString::IsOleDb(connectionString)) {
        SQLHENV env = h->env.get();
        odbc = ConnectionString::AseToOdbc(
            connectionString, [env](const QString& name) { return driverRegistered(env, name); },
            [env](const QString& name) { return driverLibrary(env, name); });
    }
    QByteArray text = toDriver(odbc);
    SQLCHAR out[4096];
    SQLSMALLINT outLength = 0;
    check(SQLDriverConnect(h->dbc.get(), nullptr, reinterpret_cast<SQLCHAR*>(text.data()),
                           static_cast<SQLSMALLINT>(text.size()), out, sizeof out, &outLength,
                           SQL_DRIVER_NOPROMPT),
          SQL_HANDLE_DBC, h->dbc.get());
    h->open = true;
    handles_ = std::move(h);
    connectionString_ = connectionString;
}

void Connection::Close() {
    if (!isOpen()) throw Error(QStringLiteral("Operation is not allowed when the object is closed."), {});
    handles_->execWatch.reset();
    handles_->exec = Handle();
    if (handles_->lost) {
        // Nothing to say about a connection already reported gone.
        SQLDisconnect(handles_->dbc.get());
        handles_.reset();
        return;
    }
    // A refused disconnect (a statement still running) leaves the
    // connection open, and says so.
    check(SQLDisconnect(handles_->dbc.get()), SQL_HANDLE_DBC, handles_->dbc.get());
    handles_.reset();
}

void Connection::Execute(const QString& statement) {
    SQLHDBC dbc = handle();
    notify(statement);
    if (handles_->exec.get() == SQL_NULL_HANDLE) {
        handles_->exec = statementOf(dbc, QueryTimeout);
        handles_->execWatch = std::make_unique<StatementWatch>(handles_->exec.get());
    }
    SQLHSTMT stmt = handles_->exec.get();
    StatementWatch& watch = *handles_->execWatch;
    QByteArray text = toDriver(statement);
    const Armed armed(watch, QueryTimeout);
    SQLRETURN rc =
        SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(text.data()), static_cast<SQLINTEGER>(text.size()));
    // Closed after the diagnostics are read, so the next statement finds
    // the handle ready whatever this one returned.
    struct CloseCursor {
        SQLHSTMT s;
        ~CloseCursor() { SQLFreeStmt(s, SQL_CLOSE); }
    } closeCursor{stmt};
    if (rc != SQL_NO_DATA && !succeeded(rc)) failed(stmt, rc, watch.cancelled());
}

std::unique_ptr<Recordset> Connection::OpenSchema(int schema) {
    if (schema != SchemaTables) throw Error(QStringLiteral("Schema %1 is not supported.").arg(schema), {});
    auto stmt = std::make_unique<Recordset::Statement>(*this);
    SQLHSTMT s = stmt->handle.get();
    StatementWatch watch(s, QueryTimeout);
    SQLRETURN rc = SQLTables(s, nullptr, 0, nullptr, 0, nullptr, 0, nullptr, 0);
    if (!succeeded(rc)) failed(s, rc, watch.cancelled());
    auto rs = std::make_unique<Recordset>();
    rs->start(std::move(stmt), CursorLocation == UseClient, &watch);
    return rs;
}

// --- Recordset -----------------------------------------------------------

Recordset::Recordset() = default;
Recordset::~Recordset() = default;

const Value& Field::Value() const {
    if (owner_->atEnd_)
        throw Error(QStringLiteral("Either BOF or EOF is True, or the current record has been deleted."), {});
    return owner_->current_.at(index_);
}

void Recordset::Open(const QString& source, Connection& connection) {
    connection.handle();
    connection.notify(source);
    auto stmt = std::make_unique<Statement>(connection);
    SQLHSTMT s = stmt->handle.get();
    QByteArray text = toDriver(source);
    StatementWatch watch(s, connection.QueryTimeout);
    SQLRETURN rc =
        SQLExecDirect(s, reinterpret_cast<SQLCHAR*>(text.data()), static_cast<SQLINTEGER>(text.size()));
    if (!succeeded(rc)) connection.failed(s, rc, watch.cancelled());
    start(std::move(stmt), connection.CursorLocation == UseClient, &watch);
}

void Recordset::start(std::unique_ptr<Statement> statement, bool clientSide, StatementWatch* watch) {
    SQLHSTMT s = statement->handle.get();
    SQLSMALLINT columns = 0;
    check(SQLNumResultCols(s, &columns), SQL_HANDLE_STMT, s);
    std::vector<Field> fields(columns);
    std::vector<int> types(columns);
    for (SQLSMALLINT c = 0; c < columns; ++c) {
        std::vector<SQLCHAR> name(1024);
        SQLSMALLINT nameLength = 0, dataType = 0, digits = 0, nullable = 0;
        SQLULEN size = 0;
        // A name longer than the room offered comes again, whole. Some
        // drivers (SQLite's) give the length they cut it to, not the
        // length it has, and no warning, so the room grows while a name
        // fills it.
        for (;;) {
            const SQLRETURN rc = SQLDescribeCol(s, c + 1, name.data(), SQLSMALLINT(name.size()), &nameLength,
                                                &dataType, &size, &digits, &nullable);
            check(rc, SQL_HANDLE_STMT, s);
            const bool cut = nameLength >= SQLSMALLINT(name.size() - 1);
            if (!cut || name.size() >= 32768) break;
            name.resize(std::min<size_t>(32768, std::max<size_t>(name.size() * 2, size_t(nameLength) + 1)));
        }
        SQLLEN isUnsigned = SQL_FALSE;
        SQLColAttribute(s, c + 1, SQL_DESC_UNSIGNED, nullptr, 0, nullptr, &isUnsigned);
        fields[c].Name = fromDriver(name.data(), std::min<qsizetype>(nameLength, qsizetype(name.size()) - 1));
        fields[c].Type = AdoTypeCode(dataType, isUnsigned == SQL_TRUE);
        fields[c].Description = {dataType, size, digits, nullable != SQL_NO_NULLS, isUnsigned == SQL_TRUE};
        fields[c].owner_ = this;
        fields[c].index_ = c;
        types[c] = dataType;
    }
    statement_ = std::move(statement);
    fields_ = std::move(fields);
    sqlTypes_ = std::move(types);
    clientSide_ = clientSide;
    spool_.reset();
    atEnd_ = false;
    if (!clientSide_) {
        MoveNext();
        return;
    }
    try {
        spool_ = std::make_unique<Spool>(static_cast<int>(fields_.size()));
        // Each row that comes in is progress: a long read is no hang.
        while (spoolRow(watch)) {
            if (watch) watch->progress();
            if (eachRow_) eachRow_();
        }
        release(watch);
        // The first row is read back here, after the last of the file is
        // written: a spool that fails fails Open.
        MoveNext();
    } catch (...) {
        // A source that cannot be read whole is let go at once, so its
        // connection is free again.
        release(watch);
        spool_.reset();
        atEnd_ = true;
        throw;
    }
}

void Recordset::MoveNext() {
    if (atEnd_ && (clientSide_ || !statement_))
        throw Error(QStringLiteral("Either BOF or EOF is True, or the current record has been deleted."), {});
    if (clientSide_) {
        atEnd_ = !spool_ || !spool_->next(current_);
        return;
    }
    if (!statement_) {
        atEnd_ = true;
        return;
    }
    StatementWatch watch(statement_->handle.get(), statement_->connection->QueryTimeout);
    atEnd_ = !fetchRow(current_, &watch);
}

long long Recordset::RecordCount() const {
    if (!clientSide_) return -1;
    return spool_ ? spool_->rowCount() : 0;
}

void Recordset::Close() {
    statement_.reset();
    spool_.reset();
    current_.clear();
    atEnd_ = true;
}

const Value& Recordset::operator[](const QString& fieldName) const {
    for (const Field& f : fields_)
        if (f.Name.compare(fieldName, Qt::CaseInsensitive) == 0) return f.Value();
    throw Error(QStringLiteral(
                    "Item cannot be found in the collection corresponding to the requested name or ordinal."),
                {});
}

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

template <typename T>
bool readFixed(SQLHSTMT s, SQLUSMALLINT column, SQLSMALLINT cType, T& out) {
    SQLLEN indicator = 0;
    check(SQLGetData(s, column, cType, &out, sizeof out, &indicator), SQL_HANDLE_STMT, s);
    return IndicatorFromDriver(indicator) != SQL_NULL_DATA;
}

Value readValue(SQLHSTMT s, SQLUSMALLINT column, int sqlType, int adoType, std::vector<char>& buffer) {
    switch (sqlType) {
        case SQL_BIGINT:
        case SQL_INTEGER:
        case SQL_SMALLINT:
        case SQL_TINYINT: {
            bool isUnsigned = adoType == 17 || adoType == 18 || adoType == 19 || adoType == 21;
            if (isUnsigned) {
                SQLUBIGINT v = 0;
                return readFixed(s, column, SQL_C_UBIGINT, v) ? Value(std::uint64_t(v)) : Value(Null{});
            }
            SQLBIGINT v = 0;
            return readFixed(s, column, SQL_C_SBIGINT, v) ? Value(std::int64_t(v)) : Value(Null{});
        }
        case SQL_REAL: {
            SQLREAL v = 0;
            return readFixed(s, column, SQL_C_FLOAT, v) ? Value(float(v)) : Value(Null{});
        }
        case SQL_FLOAT:
        case SQL_DOUBLE: {
            SQLDOUBLE v = 0;
            return readFixed(s, column, SQL_C_DOUBLE, v) ? Value(double(v)) : Value(Null{});
        }
        case SQL_BIT: {
            unsigned char v = 0;
            return readFixed(s, column, SQL_C_BIT, v) ? Value(v != 0) : Value(Null{});
        }
        case SQL_TYPE_DATE:
        case SQL_DATE: {
            SQL_DATE_STRUCT v{};
            if (!readFixed(s, column, SQL_C_TYPE_DATE, v)) return Null{};
            return Date{v.year, v.month, v.day};
        }
        case SQL_TYPE_TIME:
        case SQL_TIME: {
            // As text: ODBC's time structure has no room for the fraction of
            // a second that ASE's time and bigtime columns hold.
            QByteArray bytes;
            if (!readLong(s, column, SQL_C_CHAR, buffer, bytes)) return Null{};
            return TimeFromDriverText(QString::fromUtf8(bytes));
        }
        case SQL_TYPE_TIMESTAMP:
        case SQL_TIMESTAMP: {
            SQL_TIMESTAMP_STRUCT v{};
            if (!readFixed(s, column, SQL_C_TYPE_TIMESTAMP, v)) return Null{};
            return Timestamp{Date{v.year, v.month, v.day}, Time{v.hour, v.minute, v.second, v.fraction}};
        }
        case SQL_BINARY:
        case SQL_VARBINARY:
        case SQL_LONGVARBINARY: {
            QByteArray bytes;
            return readLong(s, column, SQL_C_BINARY, buffer, bytes) ? Value(bytes) : Value(Null{});
        }
        default: {
            QByteArray bytes;
            if (!readLong(s, column, SQL_C_CHAR, buffer, bytes)) return Null{};
            QString text = QString::fromUtf8(bytes);
            if (sqlType == SQL_DECIMAL || sqlType == SQL_NUMERIC) return DecimalFromDriverText(text);
            if (sqlType == SQL_GUID) {
                text = text.toUpper();
                if (!text.startsWith(QLatin1Char('{'))) text = QLatin1Char('{') + text + QLatin1Char('}');
                return Guid{text};
            }
            return text;
        }
    }
}

// The values that go to a spool piece by piece as the driver delivers them:
// those readValue reads as bytes, and the text it keeps as text (its default
// case, less decimals and GUIDs). The two switches change together.
std::optional<Spool::Pieces> spooledInPieces(int sqlType) {
    switch (sqlType) {
        case SQL_BINARY:
        case SQL_VARBINARY:
        case SQL_LONGVARBINARY:
            return Spool::Pieces::Binary;
        case SQL_BIGINT:
        case SQL_INTEGER:
        case SQL_SMALLINT:
        case SQL_TINYINT:
        case SQL_REAL:
        case SQL_FLOAT:
        case SQL_DOUBLE:
        case SQL_BIT:
        case SQL_TYPE_DATE:
        case SQL_DATE:
        case SQL_TYPE_TIME:
        case SQL_TIME:
        case SQL_TYPE_TIMESTAMP:
        case SQL_TIMESTAMP:
        case SQL_DECIMAL:
        case SQL_NUMERIC:
        case SQL_GUID:
            return std::nullopt;
        default:
            return Spool::Pieces::Utf8Text;
    }
}

}  // namespace

// Moves to the driver's next row; false, with the statement let go, after
// the last.
bool Recordset::fetch(StatementWatch* watch) {
    if (!statement_) return false;
    SQLHSTMT s = statement_->handle.get();
    SQLRETURN rc = SQLFetch(s);
    if (rc == SQL_NO_DATA) {
        release(watch);
        return false;
    }
    if (!succeeded(rc)) statement_->connection->failed(s, rc, watch && watch->cancelled());
    return true;
}

bool Recordset::fetchRow(std::vector<Value>& row, StatementWatch* watch) {
    if (!fetch(watch)) return false;
    SQLHSTMT s = statement_->handle.get();
    row.resize(fields_.size());
    for (size_t c = 0; c < fields_.size(); ++c)
        row[c] =
            readValue(s, static_cast<SQLUSMALLINT>(c + 1), sqlTypes_[c], fields_[c].Type, statement_->buffer);
    return true;
}

// Lets the statement go. The watch on it is disarmed first: once the handle
// is freed, the watchdog must not cancel whatever statement gets its address.
void Recordset::release(StatementWatch* watch) {
    if (watch) watch->disarm();
    statement_.reset();
}

bool Recordset::spoolRow(StatementWatch* watch) {
    if (!fetch(watch)) return false;
    SQLHSTMT s = statement_->handle.get();
    for (size_t c = 0; c < fields_.size(); ++c) {
        const auto column = static_cast<SQLUSMALLINT>(c + 1);
        const std::optional<Spool::Pieces> pieces = spooledInPieces(sqlTypes_[c]);
        if (!pieces) {
            spool_->add(readValue(s, column, sqlTypes_[c], fields_[c].Type, statement_->buffer));
            continue;
        }
        spool_->beginPieces(*pieces);
        const bool present = readLong(
            s, column, *pieces == Spool::Pieces::Binary ? SQL_C_BINARY : SQL_C_CHAR, statement_->buffer,
            [this](const char* piece, std::size_t size) { spool_->addPiece(piece, size); });
        spool_->endPieces(present);
    }
    spool_->endRow();
    return true;
}

}  // namespace Db
