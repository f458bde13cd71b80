#include <QLocale>
#include <vector>

#include "app/Dialogs.h"
#include "app/DoEvents.h"
#include "app/ErrorReport.h"
#include "catalog/Form2.h"
#include "catalog/Identifiers.h"
#include "connections/ConnectionString.h"
#include "connections/Form1.h"
#include "connections/Odbc.h"
#include "transfer/Transfer.h"
#include "transfer/ValueText.h"

using namespace Controls;
using Datatype::Direction;

namespace {

// Removes every item whose text equals the name exactly.
void RemoveListItem(ListBox& list, const QString& name) {
    for (int i = list.ListCount() - 1; i >= 0; --i)
        if (list.List(i) == name) list.RemoveItem(i);
}

// A command run inside a yield may have put the entry there already.
void AddListItem(ListBox& list, const QString& entry) {
    if (!list.items().contains(entry)) list.AddItem(entry);
}

// The same question, at the same lines, in both directions: 0 when the
// target list does not show the name, otherwise the user's answer.
int OverwriteAnswer(Procedure& p, const ListBox& target, const QString& name) {
    bool listed = false;
    int answer = 0;
    p(126, [&] { listed = Transfer::ListHasItem(target.items(), name); });
    if (listed)
        p(128, [&] {
            answer =
                dialogs().question(QStringLiteral("Would you like to overwrite ") + name + QLatin1Char('?'),
                                   QStringLiteral("Overwrite?"));
        });
    else
        p(130, [&] { answer = 0; });
    return answer;
}

bool AseCanDelimitColumns(const Db::Recordset& rs) {
    for (int j = 0; j < rs.FieldCount(); ++j)
        if (!Identifiers::AseCanDelimit(rs.Fields(j).Name)) return false;
    return true;
}

void AppendColumns(Procedure& p, Direction d, const Db::Recordset& rs, QString& statement, int yieldLine,
                   int columnLine) {
    for (int j = 0; j < rs.FieldCount(); ++j) {
        p(yieldLine, DoEvents);
        p(columnLine, [&] { Transfer::AppendColumn(d, statement, rs.Fields(j).Name, rs.Fields(j).Type); });
    }
}

// Which columns of the source become DB2 DATE columns, worked out once per
// table rather than for every value.
std::vector<bool> Db2DateColumns(Direction d, const Db::Recordset& rs) {
    std::vector<bool> dates;
    for (int j = 0; j < rs.FieldCount(); ++j) dates.push_back(Transfer::TakesDb2Date(d, rs.Fields(j).Type));
    return dates;
}

void AppendValues(Procedure& p, Direction d, const Db::Recordset& rs, const std::vector<bool>& db2Dates,
                  const QLocale& locale, QString& statement, int yieldLine, int textLine, int appendLine) {
    static const Db::Value empty = QString();
    QString text;
    for (int j = 0; j < rs.FieldCount(); ++j) {
        p(yieldLine, DoEvents);
        text.clear();  // a value that could not be read goes in as empty
        p(textLine, [&] {
            const Db::Value& v = Transfer::ValueOrDefault(rs.Fields(j).Value(), empty);
            text = db2Dates[j] ? Db2DateText(v, locale) : ValueText(v, locale);
        });
        p(appendLine, [&] { Transfer::AppendValue(d, statement, text); });
    }
}

// Every row's statement is built in the one buffer, which keeps the room
// the longest row needed.
void Restart(QString& statement, const QString& start) {
    statement.resize(0);
    statement += start;
}

double Progress(int r, int last) {
    return double(r + 1) / double(last + 1) * 100;
}

}  // namespace

// DB2 to ASE. The source is read before the target is dropped: a column name
// ASE cannot delimit must stop the table before any ASE statement, and a
// source that cannot be read must not cost the user the old target.
void Form2::PushButton3_Click() {
    const Direction toAse = Direction::ToAse;
    Procedure p(QStringLiteral("Form2.PushButton3_Click"));
    // Lines 100 to 104 of the report create these; nothing there can fail.
    Db::Connection db2;
    Db::Connection ase;
    Db::Recordset rs;
    const QLocale locale;

    const auto end = [&] {
        if (db2.isOpen()) p(252, [&] { db2.Close(); });
        if (ase.isOpen()) p(254, [&] { ase.Close(); });
        p(256, [&] { setMousePointer(Normal); });
    };

    bool noCurrent = false;
    p(106, [&] { noCurrent = List1->ListIndex() == -1; });
    if (noCurrent) {
        p(258, [] { MsgBox(QStringLiteral("Please select a table")); });
        return;
    }
    p(108, [&] { setMousePointer(Busy); });
    p(110, [&] { ase.CursorLocation = Db::UseServer; });
    if (!p(112, [&] { ase.Open(SybaseASE::ConnectionString(form1_.aseProfile())); })) return end();
    p(114, [&] { db2.CursorLocation = Db::UseClient; });
    if (!p(116, [&] { db2.Open(IBMDB2::ConnectionString(form1_.db2Profile())); })) return end();

    int i = -1;
    p(118, [&] { i = List1->ListCount() - 1; });
    for (; i >= 0; --i) {
        p(120, DoEvents);
        bool selected = false;
        // The yield may have run a command that emptied the list.
        p(122, [&] { selected = i < List1->ListCount() && List1->Selected(i); });
        if (!selected) continue;
        QString name;
        p(124, [&] { name = List1->List(i); });
        if (!Identifiers::AseCanDelimit(name)) {
            p(124, [&] { MsgBox(Identifiers::AseRefusal(name)); });
            continue;
        }
        const int answer = OverwriteAnswer(p, *List2, name);
        if (answer == Dialogs::No) continue;  // 132

        if (!p(140, [&] { rs.Open(Transfer::SelectAll(toAse, name), db2); })) continue;
        if (!AseCanDelimitColumns(rs)) {
            p(140, [&] {
                rs.Close();
                MsgBox(Identifiers::AseRefusal(name));
            });
            continue;
        }
        if (answer == Dialogs::Yes && p(136, [&] { ase.Execute(Transfer::DropTarget(toAse, name)); }))
            p(138, [&] { RemoveListItem(*List2, Transfer::TargetEntry(toAse, name)); });

        QString statement;
        p(142, [&] { statement = Transfer::CreateTableStart(toAse, name); });
        AppendColumns(p, toAse, rs, statement, 148, 150);
        p(186, [&] { Transfer::EndCreateTable(toAse, statement); });
        // Rows go only into a table this run created.
        const bool created = p(192, [&] { ase.Execute(statement); });
        if (created) {
            int last = -1;
            p(200, [&] { last = static_cast<int>(rs.RecordCount()) - 1; });
            const QString insertStart = Transfer::InsertStart(toAse, name);
            const std::vector<bool> db2Dates = Db2DateColumns(toAse, rs);
            for (int r = 0; r <= last; ++r) {
                p(206, DoEvents);
                p(210, [&] { ProgressBar1->setValue(Progress(r, last)); });
                p(212, [&] { Restart(statement, insertStart); });
                AppendValues(p, toAse, rs, db2Dates, locale, statement, 216, 218, 220);
                p(226, [&] { Transfer::EndInsert(statement); });
                p(232, [&] { ase.Execute(statement); });
                p(234, [&] { rs.MoveNext(); });
            }
        }
        p(236, [&] { setMousePointer(Normal); });
        p(238, [&] {
            ProgressBar1->setValue(0.0);
            ProgressBar1->setText(QStringLiteral("Progress Bar"));
        });
        p(240, [&] { rs.Close(); });
        if (created) p(242, [&] { AddListItem(*List2, Transfer::TargetEntry(toAse, name)); });
    }
    end();
}

// ASE to DB2: the same sequence, its own lines. Only the table name ever
// stands in an ASE statement here, so the column names need no check.
void Form2::PushButton4_Click() {
    const Direction toDb2 = Direction::ToDb2;
    Procedure p(QStringLiteral("Form2.PushButton4_Click"));
    // Lines 100 to 104 of the report create these; nothing there can fail.
    Db::Connection db2;
    Db::Connection ase;
    Db::Recordset rs;
    const QLocale locale;

    const auto end = [&] {
        p(264, [&] { setMousePointer(Normal); });
        if (db2.isOpen()) p(266, [&] { db2.Close(); });
        if (ase.isOpen()) p(268, [&] { ase.Close(); });
    };

    bool noCurrent = false;
    p(108, [&] { noCurrent = List2->ListIndex() == -1; });
    if (noCurrent) {
        p(270, [] { MsgBox(QStringLiteral("Please select a table to send.")); });
        return;
    }
    p(110, [&] { setMousePointer(Busy); });
    p(112, [&] { ase.CursorLocation = Db::UseClient; });
    if (!p(114, [&] { ase.Open(SybaseASE::ConnectionString(form1_.aseProfile())); })) return end();
    p(116, [&] { db2.CursorLocation = Db::UseServer; });
    if (!p(118, [&] { db2.Open(IBMDB2::ConnectionString(form1_.db2Profile())); })) return end();

    int i = -1;
    p(120, [&] { i = List2->ListCount() - 1; });
    for (; i >= 0; --i) {
        bool selected = false;
        // A yield further down may have run a command that emptied the list.
        p(122, [&] { selected = i < List2->ListCount() && List2->Selected(i); });
        if (!selected) continue;
        QString name;
        p(124, [&] { name = List2->List(i); });
        if (!Identifiers::AseCanDelimit(name)) {
            p(124, [&] { MsgBox(Identifiers::AseRefusal(name)); });
            continue;
        }
        const int answer = OverwriteAnswer(p, *List1, name);
        if (answer == Dialogs::No) continue;  // 132

        if (!p(140, [&] { rs.Open(Transfer::SelectAll(toDb2, name), ase); })) continue;
        if (answer == Dialogs::Yes && p(136, [&] { db2.Execute(Transfer::DropTarget(toDb2, name)); }))
            p(138, [&] { RemoveListItem(*List1, Transfer::TargetEntry(toDb2, name)); });

        QString statement;
        p(142, [&] { statement = Transfer::CreateTableStart(toDb2, name); });
        AppendColumns(p, toDb2, rs, statement, 146, 148);
        p(196, [&] { Transfer::EndCreateTable(toDb2, statement); });
        // Rows go only into a table this run created.
        const bool created = p(202, [&] { db2.Execute(statement); });
        if (created) {
            int last = -1;
            p(210, [&] { last = static_cast<int>(rs.RecordCount()) - 1; });
            const QString insertStart = Transfer::InsertStart(toDb2, name);
            const std::vector<bool> db2Dates = Db2DateColumns(toDb2, rs);
            for (int r = 0; r <= last; ++r) {
                p(214, DoEvents);
                p(216, [&] { ProgressBar1->setValue(Progress(r, last)); });
                p(218, [&] { Restart(statement, insertStart); });
                AppendValues(p, toDb2, rs, db2Dates, locale, statement, 222, 224, 226);
                p(238, [&] { Transfer::EndInsert(statement); });
                p(244, [&] { db2.Execute(statement); });
                p(246, [&] { rs.MoveNext(); });
            }
        }
        p(248, [&] { setMousePointer(Normal); });
        p(250, [&] {
            ProgressBar1->setValue(0.0);
            ProgressBar1->setText(QStringLiteral("Progress Bar"));
        });
        p(252, [&] { rs.Close(); });
        if (created) p(254, [&] { AddListItem(*List1, Transfer::TargetEntry(toDb2, name)); });
    }
    end();
}
