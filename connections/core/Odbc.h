#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <exception>
#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

#include "connections/core/Value.h"

// Database access: a small layer over the ODBC 3 C API that offers the
// connection and recordset operations the windows use. Every failure is a
// Db::Error whose description is the driver manager's or driver's own text.
namespace Db {

class Error : public std::runtime_error {
public:
    Error(const QString& description, QStringList sqlStates, QList<int> nativeCodes = {});
    const QString& description() const { return description_; }
    const QStringList& sqlStates() const { return sqlStates_; }
    const QList<int>& nativeCodes() const { return nativeCodes_; }
    // What sort of failure it is: its first SQLSTATE and native code, so
    // that the same fault row after row is told apart from a new one.
    QString kind() const;

    // The connection is gone (SQLSTATE class 08, or the driver says it is
    // dead), or the statement did not finish within the query timeout:
    // nothing more should be sent over it.
    bool connectionLost() const { return lost_; }
    bool timedOut() const { return timedOut_; }

private:
    friend struct Failures;
    QString description_;
    QStringList sqlStates_;
    QList<int> nativeCodes_;
    bool lost_ = false;
    bool timedOut_ = false;
};

// True when the failure ended the connection it ran on (Error::connectionLost).
bool ConnectionLost(std::exception_ptr error);
// Error::kind of a failure; one kind for every failure that is no database
// error.
QString FailureKind(std::exception_ptr error);

// A login the program would not send because the driver would hand the
// server something other than what was typed; nothing was tried.
class LoginRefused : public Error {
public:
    explicit LoginRefused(const QString& description) : Error(description, {}) {}
};

// Cursor locations, as ADO numbers them.
enum CursorLocation { UseServer = 2, UseClient = 3 };

// adSchemaTables
constexpr int SchemaTables = 20;

// ADO data-type code of an ODBC SQL type (unsigned as the column reports it).
int AdoTypeCode(int sqlType, bool isUnsigned);

// An exact decimal from the text a driver gives for a DECIMAL or NUMERIC
// value: sign and digits kept, leading zeros of the whole part dropped.
Decimal DecimalFromDriverText(const QString& text);
// A TIME value as the driver spells it ("13:45:06", "13.45.06",
// "13:45:06.125"); text that is no such time stays the text it is.
Value TimeFromDriverText(const QString& text);
// A length or NULL indicator as the driver meant it. Some drivers (IBM's
// DB2 CLI on 64-bit Linux) write only its lower 32 bits; the upper half is
// zeroed before each call, so their NULL (-1) and "no total" (-4) markers
// arrive as 0xFFFFFFFF and 0xFFFFFFFC.
long long IndicatorFromDriver(long long written);

class Connection;
class Spool;
class StatementWatch;

// A column as the driver describes it (SQLDescribeCol, SQLColAttribute).
// Size and decimal digits mean what ODBC's column size and decimal digits
// mean for the type: characters, bytes or precision; scale, or digits of a
// second's fraction. A column the driver cannot vouch for counts as nullable.
// ODBC calls every column that is not a number unsigned (and SQLite's driver
// its doubles too), so unsigned says something of integer columns only.
struct ColumnDescription {
    int sqlType = 0;
    unsigned long long size = 0;
    int decimalDigits = 0;
    bool nullable = true;
    bool isUnsigned = false;
    bool operator==(const ColumnDescription&) const = default;
};

// One column of a recordset: its name, ADO type code and description, and
// the value in the current row.
struct Field {
    QString Name;
    int Type = 0;
    ColumnDescription Description;
    const Db::Value& Value() const;

private:
    friend class Recordset;
    const class Recordset* owner_ = nullptr;
    int index_ = 0;
};

class Recordset {
public:
    Recordset();
    ~Recordset();
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    // Runs the statement on the connection. With a client-side cursor every
    // row is read at once, so RecordCount is exact, and kept in a Spool (past
    // a budget, in a temporary file) until MoveNext reaches it; otherwise
    // rows are read as MoveNext reaches them and RecordCount is -1.
    void Open(const QString& source, Connection& connection);
    void Close();
    // Called after each row a client-side Open reads; what it throws ends
    // the read, with the statement let go.
    void WhileReading(std::function<void()> eachRow) { eachRow_ = std::move(eachRow); }

    int FieldCount() const { return static_cast<int>(fields_.size()); }
    const Field& Fields(int i) const { return fields_.at(i); }
    const Value& operator[](const QString& fieldName) const;
    long long RecordCount() const;
    bool Eof() const { return atEnd_; }
    void MoveNext();

private:
    friend class Connection;
    friend struct Field;
    struct Statement;
    void start(std::unique_ptr<Statement> statement, bool clientSide, StatementWatch* watch);
    bool fetch(StatementWatch* watch);
    bool fetchRow(std::vector<Value>& row, StatementWatch* watch);
    bool spoolRow(StatementWatch* watch);
    void release(StatementWatch* watch);

    std::unique_ptr<Statement> statement_;
    std::vector<Field> fields_;
    std::vector<int> sqlTypes_;
    std::unique_ptr<Spool> spool_;  // every row, with a client-side cursor
    std::vector<Value> current_;
    bool clientSide_ = false;
    bool atEnd_ = true;
    std::function<void()> eachRow_;
};

class Connection {
public:
    // Sees every statement text the moment before it is sent to the driver.
    using Listener = std::function<void(const Connection&, const QString& statement)>;

    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    int CursorLocation = UseServer;
    // Seconds a statement may wait for the server before it is ended and
    // counts as a lost connection; 0 for no limit.
    int QueryTimeout = DefaultQueryTimeout();

    // The query timeout new connections take (the QueryTimeout setting).
    static int DefaultQueryTimeout();
    static void SetDefaultQueryTimeout(int seconds);

    void Open(const QString& connectionString);
    void Execute(const QString& statement);
    std::unique_ptr<Recordset> OpenSchema(int schema);
    // Closes the connection; one that was lost is let go without a word.
    void Close();

    bool isOpen() const;
    // The connection string as the caller gave it to Open.
    const QString& connectionString() const { return connectionString_; }

    void addListener(Listener listener) { listeners_.push_back(std::move(listener)); }
    // Listens to every connection of the process: how tests, and a user
    // later, see what was sent.
    static void addGlobalListener(Listener listener);
    static void clearGlobalListeners();

private:
    friend class Recordset;
    friend class BatchInsert;
    void notify(const QString& statement) const;
    void* handle() const;
    // The diagnostics of a failed call on this connection or one of its
    // statements, telling a lost connection and a timeout apart; a lost
    // connection is closed without a word.
    Error failure(short handleType, void* handle, short rc, bool cancelled);
    [[noreturn]] void failed(void* statement, short rc, bool cancelled);

    struct Handles;
    std::unique_ptr<Handles> handles_;
    QString connectionString_;
    std::vector<Listener> listeners_;
};

}  // namespace Db
