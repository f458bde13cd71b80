#include "connections/core/DriverRegistry.h"

#include <sqlext.h>

#include <QStringList>
#include <algorithm>
#include <optional>

#include "connections/core/DriverText.h"
#include "connections/core/Error.h"

namespace Db {

namespace {

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

}  // namespace

bool driverRegistered(SQLHENV env, const QString& name) { return driverAttributes(env, name).has_value(); }

QString driverLibrary(SQLHENV env, const QString& name) {
    for (const QString& attribute : driverAttributes(env, name).value_or(QStringList())) {
        if (attribute.startsWith(QLatin1String("Driver="), Qt::CaseInsensitive))
            return attribute.mid(7).trimmed();
    }
    return {};
}

}  // namespace Db
