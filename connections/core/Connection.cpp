#include "connections/core/Connection.h"

#include <sql.h>
#include <sqlext.h>

#include <utility>
#include <vector>

#include "connections/core/ConnectionString.h"
#include "connections/core/DriverRegistry.h"
#include "connections/core/DriverText.h"
#include "connections/core/Handle.h"
#include "connections/core/StatementWatch.h"

namespace Db {

namespace {

// Each listener with the id it was added under.
std::vector<std::pair<int, Connection::Listener>>& globalListeners() {
    static std::vector<std::pair<int, Connection::Listener>> listeners;
    return listeners;
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

// The ODBC string for the one given: an OLE DB string for ASE becomes the
// string of the driver that reaches ASE from here.
QString odbcStringOf(const QString& connectionString, SQLHENV env) {
    if (!ConnectionString::IsOleDb(connectionString)) return connectionString;
    return ConnectionString::AseToOdbc(
        connectionString, [env](const QString& name) { return driverRegistered(env, name); },
        [env](const QString& name) { return driverLibrary(env, name); });
}

}  // namespace

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
    return errorOf(std::move(d), lost, timedOut);
}

void Connection::failed(void* statement, short rc, bool cancelled) {
    throw failure(SQL_HANDLE_STMT, statement, rc, cancelled);
}

void Connection::checkCall(short rc, short handleType, void* handle) {
    if (!succeeded(rc)) throw failure(handleType, handle, rc, false);
}

Connection::Connection() = default;

Connection::~Connection() {
    if (handles_ && handles_->open) {
        handles_->execWatch.reset();
        handles_->exec = Handle();
        SQLDisconnect(handles_->dbc.get());
    }
}

int Connection::addGlobalListener(Listener listener) {
    static int lastId = 0;
    globalListeners().emplace_back(++lastId, std::move(listener));
    return lastId;
}

void Connection::removeGlobalListener(int id) {
    std::erase_if(globalListeners(), [id](const auto& entry) { return entry.first == id; });
}

bool Connection::isOpen() const { return handles_ && handles_->open; }

void* Connection::handle() const {
    if (!isOpen()) throw Error(QStringLiteral("Operation is not allowed when the object is closed."), {});
    return handles_->dbc.get();
}

void Connection::notify(const QString& statement) const {
    for (const auto& [id, listener] : globalListeners()) listener(*this, statement);
}

void Connection::Open(const QString& connectionString) {
    if (isOpen()) throw Error(QStringLiteral("Operation is not allowed when the object is open."), {});
    askDb2ForUtf8();
    auto h = std::make_unique<Handles>();
    h->env = Handle(SQL_HANDLE_ENV, SQL_NULL_HANDLE);
    SQLSetEnvAttr(h->env.get(), SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    h->dbc = Handle(SQL_HANDLE_DBC, h->env.get());
    SQLSetConnectAttr(h->dbc.get(), SQL_ATTR_LOGIN_TIMEOUT, reinterpret_cast<SQLPOINTER>(30), 0);

    QByteArray text = toDriver(odbcStringOf(connectionString, h->env.get()));
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

}  // namespace Db
