#pragma once

#include <sql.h>
#include <sqlext.h>

#include <utility>

namespace Db {

// One owner per ODBC handle; freeing never throws.
class Handle {
public:
    Handle() = default;
    // Allocates a handle of the type under its parent (none for an
    // environment); a refusal raises the parent's diagnostics.
    Handle(SQLSMALLINT type, SQLHANDLE parent);
    ~Handle();
    Handle(Handle&& other) noexcept { *this = std::move(other); }
    Handle& operator=(Handle&& other) noexcept;

    // Allocates in place of the empty handle, and hands back what the
    // driver manager returned: the caller tells a refusal.
    SQLRETURN allocate(SQLSMALLINT type, SQLHANDLE parent);
    SQLHANDLE get() const { return handle_; }

private:
    SQLSMALLINT type_ = 0;
    SQLHANDLE handle_ = SQL_NULL_HANDLE;
};

// Asks the driver to let the statement wait for the server at most the
// seconds given (none for 0). Drivers that do not know the attribute are
// cancelled by the watchdog instead.
void limitWait(SQLHSTMT statement, int timeoutSeconds);

// A statement handle on the connection that waits for the server at most
// the seconds given.
Handle statementOf(SQLHDBC dbc, int timeoutSeconds);

}  // namespace Db
