#include "connections/core/Error.h"

#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "connections/core/DriverText.h"

namespace Db {

namespace {

// The database error a failure is; nothing for any other failure.
std::optional<Error> databaseError(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const Error& e) {
        return e;
    } catch (...) {
        return std::nullopt;
    }
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

bool ConnectionLost(std::exception_ptr error) {
    const std::optional<Error> e = databaseError(error);
    return e && e->connectionLost();
}

QString FailureKind(std::exception_ptr error) {
    const std::optional<Error> e = databaseError(error);
    return e ? e->kind() : QString();
}

Diagnostics diagnostics(short handleType, void* handle, short rc) {
    Diagnostics d;
    for (SQLSMALLINT i = 1;; ++i) {
        SQLCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLSMALLINT length = 0;
        std::vector<SQLCHAR> text(1024);
        SQLRETURN r = SQLGetDiagRec(handleType, handle, i, state, &native, text.data(),
                                    static_cast<SQLSMALLINT>(text.size()), &length);
        if (r == SQL_SUCCESS_WITH_INFO && length >= static_cast<SQLSMALLINT>(text.size())) {
            text.resize(length + 1);
            r = SQLGetDiagRec(handleType, handle, i, state, &native, text.data(),
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

Error errorOf(Diagnostics d, bool lost, bool timedOut) {
    Error e(d.messages.join(QLatin1Char('\n')), d.states, d.natives);
    e.lost_ = lost || timedOut;
    e.timedOut_ = timedOut;
    return e;
}

bool succeeded(short rc) { return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO; }

void raise(short handleType, void* handle, short rc) { throw errorOf(diagnostics(handleType, handle, rc)); }

void check(short rc, short handleType, void* handle) {
    if (!succeeded(rc)) raise(handleType, handle, rc);
}

}  // namespace Db
