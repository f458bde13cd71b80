#include "catalog/core/Listing.h"

#include "catalog/core/LetterCase.h"
#include "connections/core/Connection.h"
#include "connections/core/ConnectionString.h"
#include "connections/core/Recordset.h"

namespace {

QString text(const Db::Value& v) { return Db::isNull(v) ? QString() : std::get<QString>(v); }

void listTables(const QString& connectionString, bool hideSys, TableList& list,
                const std::function<void()>& yield) {
    Db::Connection connection;
    connection.Open(connectionString);
    std::unique_ptr<Db::Recordset> rs = connection.OpenSchema(Db::SchemaTables);
    list.Clear();
    while (!rs->Eof()) {
        if (text((*rs)[QStringLiteral("TABLE_TYPE")]) == QLatin1String("TABLE")) {
            yield();
            const QString name = text((*rs)[QStringLiteral("TABLE_NAME")]);
            if (!(hideSys && UCase(name).contains(QLatin1String("SYS")))) list.AddItem(name);
        }
        rs->MoveNext();
    }
    rs->Close();
    connection.Close();
}

}  // namespace

void IBMDB2::ListTables(const Profile& p, TableList& list, const std::function<void()>& yield) {
    listTables(ConnectionString(p), false, list, yield);
}

void SybaseASE::ListTables(const Profile& p, TableList& list, const std::function<void()>& yield) {
    listTables(ConnectionString(p), true, list, yield);
}
