#include "catalog/core/Maintenance.h"

#include <memory>

#include "catalog/core/Identifiers.h"
#include "catalog/core/Statements.h"
#include "connections/core/Connection.h"
#include "connections/core/ConnectionString.h"

// An item may change only when the database did: a refused drop or rename
// leaves its list as it was. A connection that does not open ends the
// command after its one report; every later step would only fail again.

namespace {
const QString PleaseSelect = QStringLiteral("Please select a table");
const QString PleaseSelectOne = QStringLiteral("Please select just one table to rename");
}  // namespace

// A connection of its own per table, so the DB2 fields are read again for
// each one, and a yield per index so the window repaints. The walk runs from
// the last index down, so removing an item never shifts one still to be
// visited.
void Maintenance::DeleteDb2Tables(CommandHost& host) {
    Procedure p(QStringLiteral("Form2.PushButton1_Click"), host);
    TableList& list = host.list(Side::Db2);
    std::unique_ptr<Db::Connection> connection;
    bool noCurrent = false;
    int last = -1;

    p(100, [&] { connection = std::make_unique<Db::Connection>(); });
    p(102, [&] { noCurrent = list.ListIndex() == -1; });
    if (noCurrent) {
        p(124, [&] { host.message(PleaseSelect); });
        return;
    }
    const RunRecord record(host, p.name(), Side::Db2, false);
    p(104, [&] { host.setBusy(true); });
    p(106, [&] { last = list.ListCount() - 1; });
    for (int i = last; i >= 0; --i) {
        p(108, [&] { host.yield(); });
        // A command run inside the yield may have shortened the list.
        if (i >= list.ListCount()) continue;
        bool selected = false;
        p(110, [&] { selected = list.Selected(i); });
        if (!selected) continue;
        if (!p(112, [&] { connection->Open(IBMDB2::ConnectionString(host.profile(Side::Db2))); })) break;
        const QString name = list.List(i);
        const QString drop = Statements::DropDb2Table(name);
        const bool dropped = p(114, [&] { connection->Execute(drop); });
        host.statementSent(record.run(), Side::Db2, drop, dropped ? QString() : p.lastFailure().description);
        p(116, [&] { connection->Close(); });
        // Nothing more goes over a connection that is gone.
        if (!dropped && Db::ConnectionLost(p.lastFailure().error)) break;
        if (!dropped) continue;
        host.tableChanged(Side::Db2, name, {});
        p(118, [&] { list.RemoveItem(i); });
    }
    p(122, [&] { host.setBusy(false); });
}

// One connection, opened before the list is looked at and released when the
// command ends.
void Maintenance::DeleteAseTables(CommandHost& host) {
    Procedure p(QStringLiteral("Form2.PushButton5_Click"), host);
    TableList& list = host.list(Side::Ase);
    std::unique_ptr<Db::Connection> connection;
    bool noCurrent = false;
    int last = -1;

    p(100, [&] { connection = std::make_unique<Db::Connection>(); });
    const RunRecord record(host, p.name(), Side::Ase, false);
    p(102, [&] { host.setBusy(true); });
    if (p(104, [&] { connection->Open(SybaseASE::ConnectionString(host.profile(Side::Ase))); })) {
        p(106, [&] { noCurrent = list.ListIndex() == -1; });
        if (noCurrent) {
            p(118, [&] { host.message(PleaseSelect); });
        } else {
            p(108, [&] { last = list.ListCount() - 1; });
            for (int i = last; i >= 0; --i) {
                bool selected = false;
                p(110, [&] { selected = list.Selected(i); });
                if (!selected) continue;
                bool dropped = false;
                QString name, drop;
                const bool sent = p(112, [&] {
                    name = list.List(i);
                    // No escape for ']' inside brackets is known to hold on
                    // ASE, so such a name is never sent: it could end the
                    // identifier early and drop something else.
                    if (!Identifiers::AseCanDelimit(name)) {
                        host.message(Identifiers::AseDropRefusal(name));
                        return;
                    }
                    drop = Statements::DropAseTable(name);
                    connection->Execute(drop);
                    dropped = true;
                });
                if (!drop.isEmpty())
                    host.statementSent(record.run(), Side::Ase, drop,
                                       sent ? QString() : p.lastFailure().description);
                if (dropped) {
                    host.tableChanged(Side::Ase, name, {});
                    p(114, [&] { list.RemoveItem(i); });
                }
                // Nothing more goes over a connection that is gone.
                if (!sent && Db::ConnectionLost(p.lastFailure().error)) break;
            }
        }
    }
    p(120, [&] { host.setBusy(false); });
}

// Exactly one selected table, the new name taken exactly as typed (blanks
// included) and sent as one delimited identifier.
void Maintenance::RenameDb2Table(CommandHost& host) {
    Procedure p(QStringLiteral("Form2.PushButton6_Click"), host);
    TableList& list = host.list(Side::Db2);
    std::unique_ptr<Db::Connection> connection;
    bool noCurrent = false;
    int count = 0;
    int selectedCount = 0;
    int index = -1;
    QString oldName;
    QString newName;

    p(100, [&] { connection = std::make_unique<Db::Connection>(); });
    p(102, [&] { noCurrent = list.ListIndex() == -1; });
    if (noCurrent) {
        p(138, [&] { host.message(PleaseSelect); });
        return;
    }
    p(104, [&] { count = list.ListCount(); });
    for (int i = 0; i < count; ++i) {
        bool selected = false;
        p(106, [&] { selected = list.Selected(i); });
        if (selected) {
            p(108, [&] { oldName = list.List(i); });
            p(110, [&] { index = i; });
            p(112, [&] { ++selectedCount; });
        }
    }
    if (selectedCount != 1) {
        p(136, [&] { host.message(PleaseSelectOne); });
        return;
    }
    const RunRecord record(host, p.name(), Side::Db2, false);
    p(118, [&] { host.setBusy(true); });
    p(120, [&] { newName = host.askNewName(oldName); });
    if (newName.isEmpty()) {
        p(122, [&] { host.setBusy(false); });
        return;
    }
    if (p(124, [&] { connection->Open(IBMDB2::ConnectionString(host.profile(Side::Db2))); })) {
        const QString rename = Statements::RenameDb2Table(oldName, newName);
        const bool renamed = p(126, [&] { connection->Execute(rename); });
        host.statementSent(record.run(), Side::Db2, rename,
                           renamed ? QString() : p.lastFailure().description);
        p(128, [&] { connection->Close(); });
        if (renamed) {
            host.tableChanged(Side::Db2, oldName, newName);
            p(130, [&] { list.RemoveItem(index); });
            p(132, [&] { list.AddItem(newName); });
        }
    }
    p(134, [&] { host.setBusy(false); });
}
