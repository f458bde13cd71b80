#pragma once

#include <QString>
#include <functional>
#include <utility>
#include <vector>

#include "connections/core/Profile.h"

// The two connection-string grammars: ODBC's for DB2 and what the ASE string
// becomes, OLE DB's for the ASE string as the user's profile spells it.
namespace ConnectionString {

// A value as ODBC needs it: bare when it is safe, otherwise in braces with
// every '}' doubled.
QString OdbcValue(const QString& value);

// A value as the OLE DB grammar needs it: bare when it is safe, otherwise in
// double quotes with every '"' doubled.
QString OleDbValue(const QString& value);

// The keyword/value pairs of an OLE DB string, in order; empty pairs dropped.
std::vector<std::pair<QString, QString>> ParseOleDb(const QString& text);

bool IsOleDb(const QString& text);

// The ODBC string that reaches ASE for an OLE DB string: through the driver
// registered as ASEOLEDB when there is one, otherwise through FreeTDS.
// driverLibrary names the library a registered driver loads (its Driver=
// attribute), empty when unknown; it tells which FreeTDS release will read
// the string. Throws Db::Error for a value that FreeTDS cannot receive
// whole, so that no login is tried with a value other than the one typed.
QString AseToOdbc(const QString& oleDb, const std::function<bool(const QString& driverName)>& isRegistered,
                  const std::function<QString(const QString& driverName)>& driverLibrary = {});

}  // namespace ConnectionString

// The DB2 string: ODBC's grammar, for IBM's DB2 ODBC driver.
namespace IBMDB2 {
QString ConnectionString(const Profile& p);
}  // namespace IBMDB2

// The ASE string: OLE DB's grammar, for the ASEOLEDB provider; AseToOdbc
// makes it the string that reaches ASE from here.
namespace SybaseASE {
QString ConnectionString(const Profile& p);
}  // namespace SybaseASE
