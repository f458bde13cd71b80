#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
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
    Error(const QString& description, QStringList sqlStates);
    const QString& description() const { return description_; }
    const QStringList& sqlStates() const { return sqlStates_; }

private:
    QString description_;
    QStringList sqlStates_;
};

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

// One column of a recordset: its name and ADO type code, and the value in
// the current row.
struct Field {
    QString Name;
    int Type = 0;
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
    void start(std::unique_ptr<Statement> statement, bool clientSide);
    bool fetch();
    bool fetchRow(std::vector<Value>& row);
    bool spoolRow();

    std::unique_ptr<Statement> statement_;
    std::vector<Field> fields_;
    std::vector<int> sqlTypes_;
    std::unique_ptr<Spool> spool_;  // every row, with a client-side cursor
    std::vector<Value> current_;
    bool clientSide_ = false;
    bool atEnd_ = true;
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

    void Open(const QString& connectionString);
    void Execute(const QString& statement);
    std::unique_ptr<Recordset> OpenSchema(int schema);
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
    void notify(const QString& statement) const;
    void* handle() const;

    struct Handles;
    std::unique_ptr<Handles> handles_;
    QString connectionString_;
    std::vector<Listener> listeners_;
};

}  // namespace Db
