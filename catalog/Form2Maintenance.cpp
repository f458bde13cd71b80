#include <memory>

#include "app/Dialogs.h"
#include "app/DoEvents.h"
#include "app/ErrorReport.h"
#include "catalog/Form2.h"
#include "catalog/Identifiers.h"
#include "connections/ConnectionString.h"
#include "connections/Form1.h"
#include "connections/Odbc.h"

// Delete and rename. The lists are edited item by item, never re-read, so an
// item may change only when the database did: a refused drop or rename
// leaves its list as it was. A connection that does not open ends the
// command after its one report; every later step would only fail again.

namespace {
const QString PleaseSelect = QStringLiteral("Please select a table");
const QString PleaseSelectOne = QStringLiteral("Please select just one table to rename");
}  // namespace

// Delete Table/s (DB2): a connection of its own per table, so the DB2 fields
// are read again for each one, and a yield per index so the window repaints.
// The walk runs from the last index down, so removing an item never shifts
// one still to be visited.
void Form2::PushButton1_Click() {
    Procedure p(QStringLiteral("Form2.PushButton1_Click"));
    std::unique_ptr<Db::Connection> connection;
    bool noCurrent = false;
    int last = -1;

    p(100, [&] { connection = std::make_unique<Db::Connection>(); });
    p(102, [&] { noCurrent = List1->ListIndex() == -1; });
    if (noCurrent) {
        p(124, [&] { MsgBox(PleaseSelect); });
        return;
    }
    p(104, [&] { setMousePointer(Controls::Busy); });
    p(106, [&] { last = List1->ListCount() - 1; });
    for (int i = last; i >= 0; --i) {
        p(108, [&] { DoEvents(); });
        // A command run inside the yield may have shortened the list.
        if (i >= List1->ListCount()) continue;
        bool selected = false;
        p(110, [&] { selected = List1->Selected(i); });
        if (!selected) continue;
        if (!p(112, [&] { connection->Open(IBMDB2::ConnectionString(form1_.db2Profile())); })) break;
        bool dropped = p(114, [&] { connection->Execute(Statements::DropDb2Table(List1->List(i))); });
        p(116, [&] { connection->Close(); });
        if (dropped) p(118, [&] { List1->RemoveItem(i); });
    }
    p(122, [&] { setMousePointer(Controls::Normal); });
}

// Delete Table/s (ASE): one connection, opened before the list is looked at
// and released when the command ends.
void Form2::PushButton5_Click() {
    Procedure p(QStringLiteral("Form2.PushButton5_Click"));
    std::unique_ptr<Db::Connection> connection;
    bool noCurrent = false;
    int last = -1;

    p(100, [&] { connection = std::make_unique<Db::Connection>(); });
    p(102, [&] { setMousePointer(Controls::Busy); });
    if (p(104, [&] { connection->Open(SybaseASE::ConnectionString(form1_.aseProfile())); })) {
        p(106, [&] { noCurrent = List2->ListIndex() == -1; });
        if (noCurrent) {
            p(118, [&] { MsgBox(PleaseSelect); });
        } else {
            p(108, [&] { last = List2->ListCount() - 1; });
            for (int i = last; i >= 0; --i) {
                bool selected = false;
                p(110, [&] { selected = List2->Selected(i); });
                if (!selected) continue;
                bool dropped = false;
                p(112, [&] {
                    const QString name = List2->List(i);
                    // No escape for ']' inside brackets is known to hold on
                    // ASE, so such a name is never sent: it could end the
                    // identifier early and drop something else.
                    if (!Identifiers::AseCanDelimit(name)) {
                        MsgBox(Identifiers::AseDropRefusal(name));
                        return;
                    }
                    connection->Execute(Statements::DropAseTable(name));
                    dropped = true;
                });
                if (dropped) p(114, [&] { List2->RemoveItem(i); });
            }
        }
    }
    p(120, [&] { setMousePointer(Controls::Normal); });
}

// Rename Table (DB2): exactly one selected table, the new name taken exactly
// as typed (blanks included) and sent as one delimited identifier.
void Form2::PushButton6_Click() {
    Procedure p(QStringLiteral("Form2.PushButton6_Click"));
    std::unique_ptr<Db::Connection> connection;
    bool noCurrent = false;
    int count = 0;
    int selectedCount = 0;
    int index = -1;
    QString oldName;
    QString newName;

    p(100, [&] { connection = std::make_unique<Db::Connection>(); });
    p(102, [&] { noCurrent = List1->ListIndex() == -1; });
    if (noCurrent) {
        p(138, [&] { MsgBox(PleaseSelect); });
        return;
    }
    p(104, [&] { count = List1->ListCount(); });
    for (int i = 0; i < count; ++i) {
        bool selected = false;
        p(106, [&] { selected = List1->Selected(i); });
        if (selected) {
            p(108, [&] { oldName = List1->List(i); });
            p(110, [&] { index = i; });
            p(112, [&] { ++selectedCount; });
        }
    }
    if (selectedCount != 1) {
        p(136, [&] { MsgBox(PleaseSelectOne); });
        return;
    }
    p(118, [&] { setMousePointer(Controls::Busy); });
    p(120, [&] {
        newName = dialogs().input(QStringLiteral("Enter new name of ") + oldName + QLatin1Char(':'),
                                  ApplicationTitle(), oldName);
    });
    if (newName.isEmpty()) {
        p(122, [&] { setMousePointer(Controls::Normal); });
        return;
    }
    if (p(124, [&] { connection->Open(IBMDB2::ConnectionString(form1_.db2Profile())); })) {
        bool renamed = p(126, [&] { connection->Execute(Statements::RenameDb2Table(oldName, newName)); });
        p(128, [&] { connection->Close(); });
        if (renamed) {
            p(130, [&] { List1->RemoveItem(index); });
            p(132, [&] { List1->AddItem(newName); });
        }
    }
    p(134, [&] { setMousePointer(Controls::Normal); });
}
