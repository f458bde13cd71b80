#include "connections/core/TryConnect.h"

#include "connections/core/Connection.h"
#include "connections/core/ConnectionString.h"

namespace {

bool tryOpen(const QString& connectionString) {
    try {
        Db::Connection connection;
        connection.Open(connectionString);
        return true;
    } catch (const Db::Error&) {
        return false;
    }
}

}  // namespace

bool IBMDB2::TryConnect(const Profile& p) { return tryOpen(ConnectionString(p)); }

bool SybaseASE::TryConnect(const Profile& p) { return tryOpen(ConnectionString(p)); }
