#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <exception>
#include <stdexcept>

// The one kind of failure the database layer raises: a Db::Error whose
// description is the driver manager's or driver's own text.
namespace Db {

struct Diagnostics;

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
    friend Error errorOf(Diagnostics d, bool lost, bool timedOut);
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

// --- A failed ODBC call ----------------------------------------------------
// Handle types and return codes as ODBC's SQLSMALLINT, handles as SQLHANDLE.

// Every diagnostic record of a handle, in order, unchanged.
struct Diagnostics {
    QStringList messages;
    QStringList states;
    QList<int> natives;
};

// The records a call that returned rc left on the handle; a message with the
// return code when it left none.
Diagnostics diagnostics(short handleType, void* handle, short rc);
// The error the records tell of, with what only the connection that failed
// can tell: that it is lost, that the statement ran out of time.
Error errorOf(Diagnostics d, bool lost = false, bool timedOut = false);
// SQL_SUCCESS or SQL_SUCCESS_WITH_INFO.
bool succeeded(short rc);
[[noreturn]] void raise(short handleType, void* handle, short rc);
// Raises the handle's diagnostics unless the call succeeded.
void check(short rc, short handleType, void* handle);

}  // namespace Db
