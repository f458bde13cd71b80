#pragma once

#include <sql.h>

#include <QString>

// The drivers the driver manager has registered (odbcinst.ini), as the
// environment handle sees them.
namespace Db {

bool driverRegistered(SQLHENV env, const QString& name);
// The library a registered driver loads, as its Driver= attribute names it;
// empty when the name is not registered or names none.
QString driverLibrary(SQLHENV env, const QString& name);

}  // namespace Db
