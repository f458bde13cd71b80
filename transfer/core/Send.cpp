#include "transfer/core/Send.h"

#include <QLocale>
#include <vector>

#include "app/core/Dialogs.h"
#include "catalog/core/Identifiers.h"
#include "connections/core/ConnectionString.h"
#include "connections/core/Odbc.h"
#include "transfer/core/Transfer.h"
#include "transfer/core/ValueText.h"

using Datatype::Direction;

namespace {

// Removes every item whose text equals the name exactly.
void RemoveListItem(TableList& list, const QString& name) {
    for (int i = list.ListCount() - 1; i >= 0; --i)
        if (list.List(i) == name) list.RemoveItem(i);
}

// A command run inside a yield may have put the entry there already.
void AddListItem(TableList& list, const QString& entry) {
    if (!list.items().contains(entry)) list.AddItem(entry);
}

// The same question, at the same lines, in both directions: 0 when the
// target list does not show the name, otherwise the user's answer.
int OverwriteAnswer(Procedure& p, CommandHost& host, const TableList& target, const QString& name) {
    bool listed = false;
    int answer = 0;
    p(126, [&] { listed = Transfer::ListHasItem(target.items(), name); });
    if (listed)
        p(128, [&] { answer = host.askOverwrite(name); });
    else
        p(130, [&] { answer = 0; });
    return answer;
}

bool AseCanDelimitColumns(const Db::Recordset& rs) {
    for (int j = 0; j < rs.FieldCount(); ++j)
        if (!Identifiers::AseCanDelimit(rs.Fields(j).Name)) return false;
    return true;
}

// The lines each direction reports for the steps of one table's copy, from
// the CREATE TABLE on.
struct CopyLines {
    int yieldColumn, column, endCreate, create;
    int count, yieldRow, progress, startInsert, yieldValue, valueText, appendValue, endInsert, insert, next;
    int pointer, resetBar, closeSource, addToList;
};
constexpr CopyLines ToAseLines{
    .yieldColumn = 148,
    .column = 150,
    .endCreate = 186,
    .create = 192,
    .count = 200,
    .yieldRow = 206,
    .progress = 210,
    .startInsert = 212,
    .yieldValue = 216,
    .valueText = 218,
    .appendValue = 220,
    .endInsert = 226,
    .insert = 232,
    .next = 234,
    .pointer = 236,
    .resetBar = 238,
    .closeSource = 240,
    .addToList = 242,
};
constexpr CopyLines ToDb2Lines{
    .yieldColumn = 146,
    .column = 148,
    .endCreate = 196,
    .create = 202,
    .count = 210,
    .yieldRow = 214,
    .progress = 216,
    .startInsert = 218,
    .yieldValue = 222,
    .valueText = 224,
    .appendValue = 226,
    .endInsert = 238,
    .insert = 244,
    .next = 246,
    .pointer = 248,
    .resetBar = 250,
    .closeSource = 252,
    .addToList = 254,
};

// Every row's statement is built in the one buffer, which keeps the room
// the longest row needed.
void Restart(QString& statement, const QString& start) {
    statement.resize(0);
    statement += start;
}

double Progress(int r, int last) { return double(r + 1) / double(last + 1) * 100; }

// Which columns of the source become DB2 DATE columns, worked out once per
// table rather than for every value.
std::vector<bool> Db2DateColumns(Direction d, const Db::Recordset& rs) {
    std::vector<bool> dates;
    for (int j = 0; j < rs.FieldCount(); ++j) dates.push_back(Transfer::TakesDb2Date(d, rs.Fields(j).Type));
    return dates;
}

// One table whose source rows are open in rs: create the target table, send
// its rows, put the bar and the pointer back, close the source, and list the
// new table. Rows go only into a table this run created, and the target list
// gains the name only then.
void CopyTable(Procedure& p, Direction d, const CopyLines& at, CommandHost& host, Db::Recordset& rs,
               Db::Connection& target, TableList& targetList, const QString& name, const QLocale& locale) {
    static const Db::Value empty = QString();
    QString statement;
    p(142, [&] { statement = Transfer::CreateTableStart(d, name); });
    for (int j = 0; j < rs.FieldCount(); ++j) {
        p(at.yieldColumn, [&] { host.yield(); });
        p(at.column, [&] { Transfer::AppendColumn(d, statement, rs.Fields(j).Name, rs.Fields(j).Type); });
    }
    p(at.endCreate, [&] { Transfer::EndCreateTable(d, statement); });
    const bool created = p(at.create, [&] { target.Execute(statement); });
    if (created) {
        int last = -1;
        p(at.count, [&] { last = static_cast<int>(rs.RecordCount()) - 1; });
        const QString insertStart = Transfer::InsertStart(d, name);
        const std::vector<bool> db2Dates = Db2DateColumns(d, rs);
        QString text;
        for (int r = 0; r <= last; ++r) {
            p(at.yieldRow, [&] { host.yield(); });
            p(at.progress, [&] { host.setProgress(Progress(r, last)); });
            p(at.startInsert, [&] { Restart(statement, insertStart); });
            for (int j = 0; j < rs.FieldCount(); ++j) {
                p(at.yieldValue, [&] { host.yield(); });
                text.clear();  // a value that could not be read goes in as empty
                p(at.valueText, [&] {
                    const Db::Value& v = Transfer::ValueOrDefault(rs.Fields(j).Value(), empty);
                    text = db2Dates[j] ? Db2DateText(v, locale) : ValueText(v, locale);
                });
                p(at.appendValue, [&] { Transfer::AppendValue(d, statement, text); });
            }
            p(at.endInsert, [&] { Transfer::EndInsert(statement); });
            p(at.insert, [&] { target.Execute(statement); });
            p(at.next, [&] { rs.MoveNext(); });
        }
    }
    p(at.pointer, [&] { host.setBusy(false); });
    p(at.resetBar, [&] { host.resetProgress(); });
    p(at.closeSource, [&] { rs.Close(); });
    if (created) p(at.addToList, [&] { AddListItem(targetList, Transfer::TargetEntry(d, name)); });
}

}  // namespace

// DB2 to ASE. The source is read before the target is dropped: a column name
// ASE cannot delimit must stop the table before any ASE statement, and a
// source that cannot be read must not cost the user the old target.
void Send::ToAse(CommandHost& host) {
    const Direction toAse = Direction::ToAse;
    Procedure p(QStringLiteral("Form2.PushButton3_Click"), host);
    TableList& List1 = host.list(Side::Db2);
    TableList& List2 = host.list(Side::Ase);
    // Lines 100 to 104 of the report create these; nothing there can fail.
    Db::Connection db2;
    Db::Connection ase;
    Db::Recordset rs;
    const QLocale locale;

    const auto end = [&] {
        if (db2.isOpen()) p(252, [&] { db2.Close(); });
        if (ase.isOpen()) p(254, [&] { ase.Close(); });
        p(256, [&] { host.setBusy(false); });
    };

    bool noCurrent = false;
    p(106, [&] { noCurrent = List1.ListIndex() == -1; });
    if (noCurrent) {
        p(258, [&] { host.message(QStringLiteral("Please select a table")); });
        return;
    }
    p(108, [&] { host.setBusy(true); });
    p(110, [&] { ase.CursorLocation = Db::UseServer; });
    if (!p(112, [&] { ase.Open(SybaseASE::ConnectionString(host.profile(Side::Ase))); })) return end();
    p(114, [&] { db2.CursorLocation = Db::UseClient; });
    if (!p(116, [&] { db2.Open(IBMDB2::ConnectionString(host.profile(Side::Db2))); })) return end();

    int i = -1;
    p(118, [&] { i = List1.ListCount() - 1; });
    for (; i >= 0; --i) {
        p(120, [&] { host.yield(); });
        bool selected = false;
        // The yield may have run a command that emptied the list.
        p(122, [&] { selected = i < List1.ListCount() && List1.Selected(i); });
        if (!selected) continue;
        QString name;
        p(124, [&] { name = List1.List(i); });
        if (!Identifiers::AseCanDelimit(name)) {
            p(124, [&] { host.message(Identifiers::AseRefusal(name)); });
            continue;
        }
        const int answer = OverwriteAnswer(p, host, List2, name);
        if (answer == Dialogs::No) continue;  // 132

        if (!p(140, [&] { rs.Open(Transfer::SelectAll(toAse, name), db2); })) continue;
        if (!AseCanDelimitColumns(rs)) {
            p(140, [&] {
                rs.Close();
                host.message(Identifiers::AseRefusal(name));
            });
            continue;
        }
        if (answer == Dialogs::Yes && p(136, [&] { ase.Execute(Transfer::DropTarget(toAse, name)); }))
            p(138, [&] { RemoveListItem(List2, Transfer::TargetEntry(toAse, name)); });

        CopyTable(p, toAse, ToAseLines, host, rs, ase, List2, name, locale);
    }
    end();
}

// ASE to DB2: the same sequence, its own lines. Only the table name ever
// stands in an ASE statement here, so the column names need no check.
void Send::ToDb2(CommandHost& host) {
    const Direction toDb2 = Direction::ToDb2;
    Procedure p(QStringLiteral("Form2.PushButton4_Click"), host);
    TableList& List1 = host.list(Side::Db2);
    TableList& List2 = host.list(Side::Ase);
    // Lines 100 to 104 of the report create these; nothing there can fail.
    Db::Connection db2;
    Db::Connection ase;
    Db::Recordset rs;
    const QLocale locale;

    const auto end = [&] {
        p(264, [&] { host.setBusy(false); });
        if (db2.isOpen()) p(266, [&] { db2.Close(); });
        if (ase.isOpen()) p(268, [&] { ase.Close(); });
    };

    bool noCurrent = false;
    p(108, [&] { noCurrent = List2.ListIndex() == -1; });
    if (noCurrent) {
        p(270, [&] { host.message(QStringLiteral("Please select a table to send.")); });
        return;
    }
    p(110, [&] { host.setBusy(true); });
    p(112, [&] { ase.CursorLocation = Db::UseClient; });
    if (!p(114, [&] { ase.Open(SybaseASE::ConnectionString(host.profile(Side::Ase))); })) return end();
    p(116, [&] { db2.CursorLocation = Db::UseServer; });
    if (!p(118, [&] { db2.Open(IBMDB2::ConnectionString(host.profile(Side::Db2))); })) return end();

    int i = -1;
    p(120, [&] { i = List2.ListCount() - 1; });
    for (; i >= 0; --i) {
        bool selected = false;
        // A yield further down may have run a command that emptied the list.
        p(122, [&] { selected = i < List2.ListCount() && List2.Selected(i); });
        if (!selected) continue;
        QString name;
        p(124, [&] { name = List2.List(i); });
        if (!Identifiers::AseCanDelimit(name)) {
            p(124, [&] { host.message(Identifiers::AseRefusal(name)); });
            continue;
        }
        const int answer = OverwriteAnswer(p, host, List1, name);
        if (answer == Dialogs::No) continue;  // 132

        if (!p(140, [&] { rs.Open(Transfer::SelectAll(toDb2, name), ase); })) continue;
        if (answer == Dialogs::Yes && p(136, [&] { db2.Execute(Transfer::DropTarget(toDb2, name)); }))
            p(138, [&] { RemoveListItem(List1, Transfer::TargetEntry(toDb2, name)); });

        CopyTable(p, toDb2, ToDb2Lines, host, rs, db2, List1, name, locale);
    }
    end();
}
