#include "transfer/core/Send.h"

#include <QElapsedTimer>
#include <exception>
#include <memory>

#include "catalog/core/Identifiers.h"
#include "connections/core/BatchInsert.h"
#include "connections/core/Connection.h"
#include "connections/core/ConnectionString.h"
#include "connections/core/Recordset.h"
#include "transfer/core/CopyRun.h"
#include "transfer/core/KeptTypes.h"
#include "transfer/core/TargetTable.h"
#include "transfer/core/CopyStatements.h"
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

// The same question, at the same lines, in both directions: none when the
// target list does not show the name, otherwise the user's answer.
std::optional<Answer> OverwriteAnswer(Procedure& p, CommandHost& host, const TableList& target,
                                      const QString& name) {
    bool listed = false;
    std::optional<Answer> answer;
    p(126, [&] { listed = Transfer::ListHasItem(target.items(), name); });
    if (listed)
        p(128, [&] { answer = host.askOverwrite(name); });
    else
        p(130, [&] { answer.reset(); });
    return answer;
}

double Progress(long long r, long long last) { return double(r + 1) / double(last + 1) * 100; }

// The lines and steps of a run that differ between the two directions, up
// to the table's name.
struct RunLines {
    const char* procedure;
    int noSelection, pleaseSelect;
    const char* pleaseSelectText;
    int busy, aseCursor, aseOpen, db2Cursor, db2Open, count;
    int yield;  // 0: the loop over the list does not yield
    int selected, name;
    int db2Close, aseClose, pointer;
    bool pointerFirst;  // the pointer goes back before the connections close
};

// What differs between the two directions.
struct Way {
    Direction d;
    Side source, target;
    RunLines run;
    CopyLines copy;
};

// DB2 to ASE. The source is read before the target is dropped: a column name
// ASE cannot delimit must stop the table before any ASE statement, and a
// source that cannot be read must not cost the user the old target.
constexpr Way ToAseWay{
    Direction::ToAse,
    Side::Db2,
    Side::Ase,
    {"Form2.PushButton3_Click", 106, 258, "Please select a table", 108, 110, 112, 114, 116, 118, 120, 122, 124,
     252, 254, 256, false},
    {.yieldColumn = 148, .column = 150, .endCreate = 186, .create = 192, .count = 200, .yieldRow = 206,
     .progress = 210, .startInsert = 212, .yieldValue = 216, .valueText = 218, .appendValue = 220,
     .endInsert = 226, .insert = 232, .next = 234, .pointer = 236, .resetBar = 238, .closeSource = 240,
     .addToList = 242},
};

// ASE to DB2: the same sequence, its own lines. Only the table name ever
// stands in an ASE statement here, so the column names need no check.
constexpr Way ToDb2Way{
    Direction::ToDb2,
    Side::Ase,
    Side::Db2,
    {"Form2.PushButton4_Click", 108, 270, "Please select a table to send.", 110, 112, 114, 116, 118, 120, 0, 122,
     124, 266, 268, 264, true},
    {.yieldColumn = 146, .column = 148, .endCreate = 196, .create = 202, .count = 210, .yieldRow = 214,
     .progress = 216, .startInsert = 218, .yieldValue = 222, .valueText = 224, .appendValue = 226,
     .endInsert = 238, .insert = 244, .next = 246, .pointer = 248, .resetBar = 250, .closeSource = 252,
     .addToList = 254},
};

// The CREATE TABLE, a column at a time with a yield before each. Once the
// old table is dropped (replacing), a stop waits for its replacement to
// exist: the run never ends between the DROP and the CREATE.
bool CreateTarget(CopyRun& c, const QString& name, bool replacing) {
    const auto& at = c.at;
    bool stopAfterCreate = false;
    const auto yieldBeforeCreate = [&] {
        try {
            c.host.yield();
        } catch (const Program::Ending&) {
            if (!replacing) throw;
            stopAfterCreate = true;
        }
    };
    QString statement;
    c.p(142, [&] { statement = Transfer::CreateTableStart(c.d, name); });
    for (int j = 0; j < c.columns; ++j) {
        c.p(at.yieldColumn, yieldBeforeCreate);
        c.p(at.column, [&] {
            TargetTable::AppendColumn(c.d, statement, c.rs.Fields(j),
                                      c.options.keepTypes ? &c.kept[size_t(j)] : nullptr);
        });
    }
    c.p(at.endCreate, [&] { Transfer::EndCreateTable(c.d, statement); });
    const bool created = c.p(at.create, [&] { c.target.Execute(statement); });
    const Side targetSide = c.d == Direction::ToAse ? Side::Ase : Side::Db2;
    c.host.statementSent(c.run, targetSide, statement, created ? QString() : c.p.lastFailure().description);
    if (stopAfterCreate) throw Program::Ending{};
    c.o.lost = !created && c.lost();
    return created;
}

// Every row of the open source into the sink: a value that cannot be read
// keeps its whole row out of the target, nothing written in its place.
void CopyRows(CopyRun& c, RowSink& sink) {
    const auto& at = c.at;
    // Counted wide: a table may hold more rows than an int counts.
    long long last = -1;
    c.p(at.count, [&] { last = c.rs.RecordCount() - 1; });
    bool goOn = true;
    for (long long r = 0; r <= last && goOn; ++r) {
        c.reporter.atRow(r + 1);
        c.p(at.yieldRow, [&] { c.host.yield(); });
        c.p(at.progress, [&] { c.host.setProgress(Progress(r, last)); });
        sink.startRow();
        bool readable = true;
        for (int j = 0; j < c.columns && readable; ++j) {
            c.p(at.yieldValue, [&] { c.host.yield(); });
            readable = c.p(at.valueText, [&] { sink.read(j, c.rs.Fields(j).Value()); });
            if (readable) sink.append(j);
        }
        if (readable) goOn = sink.send(r + 1);
        c.host.rowsDone(r + 1);
        // A row that cannot be reached would leave the one before it in
        // place, to be sent twice.
        if (goOn && !c.p(at.next, [&] { c.rs.MoveNext(); })) goOn = false;
    }
    if (goOn && !c.o.lost) sink.finish();
}

// The target read back and compared with what was sent.
void Check(CopyRun& c, const QString& name) {
    const auto asSent = [&](int j, const Db::Value& v) -> Db::Value {
        if (c.options.keepTypes || Db::isNull(v)) return v;
        return Transfer::BoundText(c.d, c.text(j, v));
    };
    const Direction back = c.d == Direction::ToAse ? Direction::ToDb2 : Direction::ToAse;
    c.o.checked = c.p(c.at.insert, [&] {
        c.o.differs = c.verify->check(c.target, Transfer::SelectAll(back, name), c.o.rows, asSent);
    });
    if (!c.o.differs.isEmpty()) c.host.message(name + QStringLiteral(": ") + c.o.differs + QLatin1Char('.'));
}

// The primary key, then the unique indexes, then the others, once every row
// is in. One the target refuses is told once, naming it and the table; the
// rows stay.
void CreateKeys(CopyRun& c, const QString& name) {
    const Side targetSide = c.d == Direction::ToAse ? Side::Ase : Side::Db2;
    for (const KeptKeys::Step& step : c.keys.afterRows) {
        c.host.stopIfAsked();
        QString failure;
        try {
            c.target.Execute(step.statement);
        } catch (const Db::Error& e) {
            failure = e.description();
            c.o.lost = e.connectionLost();
        }
        c.host.statementSent(c.run, targetSide, step.statement, failure);
        if (!failure.isEmpty())
            c.host.message(QStringLiteral("%1: the %2 was not created: %3").arg(name, step.what, failure));
        if (c.o.lost) return;
    }
}

// One table whose source rows are open: create the target table, send its
// rows, put the bar and the pointer back, close the source, and list the
// new table. Rows go only into a table this run created, the target list
// gains the name only then (and only while it holds the catalogue the run
// began with), and a table that lost rows says so.
void CopyTable(CopyRun& c, Db::Connection& source, TableList& targetList, int targetGeneration, bool replacing) {
    const QString& name = c.o.table;
    TargetTable::Kept kept =
        TargetTable::KeptOf(c.host, c.d, source, name, c.rs, c.options.keepTypes, c.options.keepKeys);
    c.kept = std::move(kept.columns);
    c.keys = std::move(kept.keys);
    for (const KeptKeys::NotKept& n : c.keys.notKept) c.o.notKept << n.what;
    c.host.tableBegins(name, c.o.rows);
    const bool created = CreateTarget(c, name, replacing);
    if (created)
        if (std::unique_ptr<RowSink> sink = MakeRowSink(c, name)) CopyRows(c, *sink);
    if (created && !c.o.lost) CreateKeys(c, name);
    c.reporter.atRow(0);
    if (c.verify && created && !c.o.lost) Check(c, name);
    c.p(c.at.pointer, [&] { c.host.setBusy(false); });
    c.p(c.at.resetBar, [&] { c.host.resetProgress(); });
    c.p(c.at.closeSource, [&] { c.rs.Close(); });
    if (created && targetList.generation() == targetGeneration)
        c.p(c.at.addToList, [&] { AddListItem(targetList, Transfer::TargetEntry(c.d, name)); });
    if (c.o.copied < c.o.rows) c.host.message(NotCopiedMessage(c.o));
}

// What one run shares between its tables.
struct SendRun {
    Procedure& p;
    RunReporter& reporter;
    const CommandRun& run;
    const Way& way;
    const Send::Options& options;
    CommandHost& host;
    Db::Connection& source;
    Db::Connection& target;
    Db::Recordset& rs;
    int targetGeneration;
};

// The DROP of the target the user chose to overwrite: false when its
// connection is gone.
bool DropTarget(SendRun& s, const QString& name) {
    TableList& targetList = s.host.list(s.way.target);
    // A stop asked for while the source was read sends no DROP.
    s.host.stopIfAsked();
    const QString drop = Transfer::DropTarget(s.way.d, name);
    const bool dropped = s.p(136, [&] { s.target.Execute(drop); });
    s.host.statementSent(s.run, s.way.target, drop, dropped ? QString() : s.p.lastFailure().description);
    if (dropped && targetList.generation() == s.targetGeneration)
        s.p(138, [&] { RemoveListItem(targetList, Transfer::TargetEntry(s.way.d, name)); });
    return dropped || !Db::ConnectionLost(s.p.lastFailure().error);
}

// The host hears how the table ended also when the program ends in the
// middle of it.
struct TableEnds {
    CommandHost& host;
    QElapsedTimer clock;
    TableCopy copy;
    ~TableEnds() {
        copy.interrupted = std::uncaught_exceptions() > 0;
        copy.seconds = clock.nsecsElapsed() / 1e9;
        host.tableEnds(copy);
    }
};

// From the name check to the copy, the same in both directions: true while
// the run may go on with the next table.
bool SendTable(SendRun& s, const QString& name) {
    Procedure& p = s.p;
    if (!Identifiers::AseCanDelimit(name)) {
        p(124, [&] { s.host.message(Identifiers::AseRefusal(name)); });
        return true;
    }
    const std::optional<Answer> answer = OverwriteAnswer(p, s.host, s.host.list(s.way.target), name);
    if (answer == Answer::No) return true;  // 132

    s.reporter.beginTable(name);
    struct End {
        RunReporter& r;
        ~End() { r.endTable(); }
    } end{s.reporter};
    QElapsedTimer clock;
    clock.start();
    s.rs.WhileReading([&host = s.host] { host.stopIfAsked(); });
    if (!p(140, [&] { s.rs.Open(Transfer::SelectAll(s.way.d, name), s.source); }))
        return !Db::ConnectionLost(p.lastFailure().error);
    if (s.way.d == Direction::ToAse && !TargetTable::AseCanDelimitColumns(s.rs)) {
        p(140, [&] {
            s.rs.Close();
            s.host.message(Identifiers::AseRefusal(name));
        });
        return true;
    }
    const bool replacing = answer == Answer::Yes;
    if (replacing && !DropTarget(s, name)) {
        s.rs.Close();
        return false;
    }
    TableEnds ends{s.host, clock, TableCopy{name, s.rs.RecordCount()}};
    CopyRun copy(p, s.reporter, s.run, s.way.d, s.way.copy, s.options, s.host, s.rs, s.target, ends.copy);
    CopyTable(copy, s.source, s.host.list(s.way.target), s.targetGeneration, replacing);
    return !ends.copy.lost;
}

// Opens both logins, ASE first, each with its cursor: client-side for the
// source, whose rows are counted before they are sent.
bool OpenBoth(Procedure& p, const Way& way, CommandHost& host, Db::Connection& db2, Db::Connection& ase) {
    const RunLines& at = way.run;
    const bool aseIsSource = way.source == Side::Ase;
    p(at.aseCursor, [&] { ase.CursorLocation = aseIsSource ? Db::UseClient : Db::UseServer; });
    if (!p(at.aseOpen, [&] { ase.Open(SybaseASE::ConnectionString(host.profile(Side::Ase))); })) return false;
    p(at.db2Cursor, [&] { db2.CursorLocation = aseIsSource ? Db::UseServer : Db::UseClient; });
    return p(at.db2Open, [&] { db2.Open(IBMDB2::ConnectionString(host.profile(Side::Db2))); });
}

// Every selected table of the source list, last to first. A lost
// connection ends the run after its one report.
void Run(CommandHost& host, const Send::Options& options, const Way& way) {
    const RunLines& at = way.run;
    RunReporter reporter(host);
    Procedure p(QString::fromLatin1(at.procedure), reporter);
    TableList& list = host.list(way.source);
    const int targetGeneration = host.list(way.target).generation();
    // Lines 100 to 104 of the report create these; nothing there can fail.
    Db::Connection db2;
    Db::Connection ase;
    Db::Recordset rs;

    const auto end = [&] {
        if (at.pointerFirst) p(at.pointer, [&] { host.setBusy(false); });
        if (db2.isOpen()) p(at.db2Close, [&] { db2.Close(); });
        if (ase.isOpen()) p(at.aseClose, [&] { ase.Close(); });
        if (!at.pointerFirst) p(at.pointer, [&] { host.setBusy(false); });
    };

    bool noCurrent = false;
    p(at.noSelection, [&] { noCurrent = list.ListIndex() == -1; });
    if (noCurrent) {
        p(at.pleaseSelect, [&] { host.message(QString::fromLatin1(at.pleaseSelectText)); });
        return;
    }
    const RunRecord record(host, p.name(), way.source, true);
    p(at.busy, [&] { host.setBusy(true); });
    if (!OpenBoth(p, way, host, db2, ase)) return end();
    Db::Connection& source = way.source == Side::Db2 ? db2 : ase;
    Db::Connection& target = way.source == Side::Db2 ? ase : db2;
    SendRun s{p, reporter, record.run(), way, options, host, source, target, rs, targetGeneration};

    int i = -1;
    p(at.count, [&] { i = list.ListCount() - 1; });
    for (; i >= 0; --i) {
        if (at.yield != 0) p(at.yield, [&] { host.yield(); });
        bool selected = false;
        // A yield may have run a command that emptied the list.
        p(at.selected, [&] { selected = i < list.ListCount() && list.Selected(i); });
        if (!selected) continue;
        QString name;
        p(at.name, [&] { name = list.List(i); });
        if (!SendTable(s, name)) break;
    }
    end();
}

}  // namespace

void Send::ToAse(CommandHost& host) { Run(host, {}, ToAseWay); }
void Send::ToAse(CommandHost& host, const Options& options) { Run(host, options, ToAseWay); }
void Send::ToDb2(CommandHost& host) { Run(host, {}, ToDb2Way); }
void Send::ToDb2(CommandHost& host, const Options& options) { Run(host, options, ToDb2Way); }
