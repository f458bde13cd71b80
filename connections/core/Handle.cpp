#include "connections/core/Handle.h"

#include <utility>

#include "connections/core/Error.h"

namespace Db {

Handle::Handle(SQLSMALLINT type, SQLHANDLE parent) {
    SQLRETURN rc = allocate(type, parent);
    if (succeeded(rc)) return;
    if (parent != SQL_NULL_HANDLE)
        raise(type == SQL_HANDLE_STMT ? SQL_HANDLE_DBC : SQL_HANDLE_ENV, parent, rc);
    throw Error(QStringLiteral("The ODBC driver manager could not allocate a handle."), {});
}

Handle::~Handle() {
    if (handle_ != SQL_NULL_HANDLE) SQLFreeHandle(type_, handle_);
}

Handle& Handle::operator=(Handle&& other) noexcept {
    std::swap(type_, other.type_);
    std::swap(handle_, other.handle_);
    return *this;
}

SQLRETURN Handle::allocate(SQLSMALLINT type, SQLHANDLE parent) {
    type_ = type;
    SQLRETURN rc = SQLAllocHandle(type, parent, &handle_);
    if (!succeeded(rc)) handle_ = SQL_NULL_HANDLE;
    return rc;
}

void limitWait(SQLHSTMT statement, int timeoutSeconds) {
    if (timeoutSeconds > 0)
        SQLSetStmtAttr(statement, SQL_ATTR_QUERY_TIMEOUT,
                       reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(timeoutSeconds)), 0);
}

Handle statementOf(SQLHDBC dbc, int timeoutSeconds) {
    Handle h(SQL_HANDLE_STMT, dbc);
    limitWait(h.get(), timeoutSeconds);
    return h;
}

}  // namespace Db
