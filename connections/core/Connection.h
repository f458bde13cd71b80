#pragma once

#include <QString>
#include <functional>
#include <memory>

#include "connections/core/Error.h"

// Database access: a small layer over the ODBC 3 C API that offers the
// connection and recordset operations the windows use. Every failure is a
// Db::Error whose description is the driver manager's or driver's own text.
namespace Db {

// Cursor locations, as ADO numbers them.
enum CursorLocation { UseServer = 2, UseClient = 3 };

// adSchemaTables
constexpr int SchemaTables = 20;

class Recordset;

class Connection {
public:
    // Sees every statement text the moment before it is sent to the driver,
    // on any connection of the process: how tests see what was sent.
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
    // The schema as a recordset; with Recordset::Open, in Recordset.cpp.
    std::unique_ptr<Recordset> OpenSchema(int schema);
    // Closes the connection; one that was lost is let go without a word.
    void Close();

    bool isOpen() const;
    // The connection string as the caller gave it to Open.
    const QString& connectionString() const { return connectionString_; }

    // Listeners are added and removed while no statement goes out on
    // another thread; removing one leaves the others listening.
    [[nodiscard]] static int addGlobalListener(Listener listener);
    static void removeGlobalListener(int id);

private:
    friend class Recordset;
    friend class BatchInsert;
    friend struct CatalogAccess;  // the catalogue calls of TableShape
    void notify(const QString& statement) const;
    void* handle() const;
    // The diagnostics of a failed call on this connection or one of its
    // statements, telling a lost connection and a timeout apart; a lost
    // connection is closed without a word.
    Error failure(short handleType, void* handle, short rc, bool cancelled);
    [[noreturn]] void failed(void* statement, short rc, bool cancelled);
    // Throws failure() unless the call succeeded.
    void checkCall(short rc, short handleType, void* handle);

    struct Handles;
    std::unique_ptr<Handles> handles_;
    QString connectionString_;
};

}  // namespace Db
