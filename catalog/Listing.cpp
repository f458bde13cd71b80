#include "catalog/Listing.h"

#include "app/DoEvents.h"
#include "connections/ConnectionString.h"
#include "connections/Odbc.h"

namespace {

QString text(const Db::Value& v) { return Db::isNull(v) ? QString() : std::get<QString>(v); }

void listTables(const QString& connectionString, bool hideSys, TableListTarget& list) {
    Db::Connection connection;
    connection.Open(connectionString);
    std::unique_ptr<Db::Recordset> rs = connection.OpenSchema(Db::SchemaTables);
    list.Clear();
    while (!rs->Eof()) {
        if (text((*rs)[QStringLiteral("TABLE_TYPE")]) == QLatin1String("TABLE")) {
            DoEvents();
            const QString name = text((*rs)[QStringLiteral("TABLE_NAME")]);
            if (!(hideSys && name.toUpper().contains(QLatin1String("SYS")))) list.AddItem(name);
        }
        rs->MoveNext();
    }
    rs->Close();
    connection.Close();
}

}  // namespace

void IBMDB2::ListTables(const Profile& p, TableListTarget& list) {
    listTables(ConnectionString(p), false, list);
}

void SybaseASE::ListTables(const Profile& p, TableListTarget& list) {
    listTables(ConnectionString(p), true, list);
}
