#include "transfer/core/Send.h"

#include <QElapsedTimer>
#include <QLocale>
#include <QSet>
#include <deque>
#include <exception>
#include <memory>
#include <optional>
#include <vector>

#include "app/core/Dialogs.h"
#include "catalog/core/Identifiers.h"
#include "connections/core/BatchInsert.h"
#include "connections/core/Connection.h"
#include "connections/core/ConnectionString.h"
#include "connections/core/Recordset.h"
#include "transfer/core/KeptTypes.h"
#include "transfer/core/Transfer.h"
#include "transfer/core/ValueText.h"
#include "transfer/core/Verify.h"

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

double Progress(long long r, long long last) { return double(r + 1) / double(last + 1) * 100; }

// Which columns of the source become DB2 DATE columns, worked out once per
// table rather than for every value.
std::vector<bool> Db2DateColumns(Direction d, const Db::Recordset& rs) {
    std::vector<bool> dates;
    for (int j = 0; j < rs.FieldCount(); ++j) dates.push_back(Transfer::TakesDb2Date(d, rs.Fields(j).Type));
    return dates;
}

// After this many INSERTs in a row have failed the same way, the rest of the
// table would only fail again.
constexpr int RepeatedFailureLimit = 100;

// A run's failures on their way to the host, naming the table and the row
// they happened at. Within one table a failure of a kind already shown is
// counted, not shown again: one full disk must not become a box per row.
class RunReporter : public Reporter {
public:
    explicit RunReporter(CommandHost& host) : host_(host) {}

    void beginTable(const QString& table) {
        table_ = table;
        row_ = 0;
        shown_.clear();
    }
    void endTable() { beginTable(QString()); }
    void atRow(long long row) { row_ = row; }

    void report(const Failure& failure) override {
        if (!table_.isEmpty()) {
            const QString kind = Db::FailureKind(failure.error);
            if (shown_.contains(kind) && !Db::ConnectionLost(failure.error)) return;
            shown_.insert(kind);
        }
        Failure f = failure;
        f.table = table_;
        f.row = row_;
        host_.report(f);
    }

private:
    CommandHost& host_;
    QString table_;
    long long row_ = 0;
    QSet<QString> shown_;
};

QString NotCopiedMessage(const QString& table, const TableCopy& o) {
    QString text =
        QStringLiteral("%1 of %2 rows of %3 were not copied.").arg(o.rows - o.copied).arg(o.rows).arg(table);
    if (o.stopped)
        text += QStringLiteral(" The copy stopped after %1 rows in a row failed the same way.")
                    .arg(RepeatedFailureLimit);
    return text;
}

// Tells when a table has failed the same way row after row: a failure of
// the kind before it, at the row after it, adds to the run; anything else
// starts a new one.
class RepeatedFailures {
public:
    // True when the table should stop here.
    bool failed(const QString& kind, long long row) {
        inARow_ = kind == kind_ && row == row_ + 1 ? inARow_ + 1 : 1;
        kind_ = kind;
        row_ = row;
        return inARow_ >= RepeatedFailureLimit;
    }
    void succeeded() { inARow_ = 0; }

private:
    QString kind_;
    long long row_ = -1;
    int inARow_ = 0;
};

// Rows given to a batch insert and not yet stored or refused: their row
// numbers in the table, and their values for the check after the copy.
struct Waiting {
    long long row;
    std::vector<Db::Value> values;
};

// One table whose source rows are open in rs: create the target table, send
// its rows, put the bar and the pointer back, close the source, and list the
// new table. Rows go only into a table this run created, the target list
// gains the name only then (and only while it holds the catalogue the run
// began with), and a table that lost rows says so.
//
// The rows go as the window sends them, one literal INSERT each, unless the
// options keep the types or ask for batches: then through one prepared
// INSERT with bound parameters (the texts the literals would carry, or the
// values in their kept types), a batch of rows per execution and per
// transaction.
void CopyTable(TableCopy& o, Procedure& p, RunReporter& reporter, const CommandRun& run, Direction d,
               const CopyLines& at, const Send::Options& options, CommandHost& host, Db::Recordset& rs,
               Db::Connection& target, TableList& targetList, int targetGeneration, const QString& name,
               const QLocale& locale, bool replacing) {
    static const Db::Value empty = QString();
    const auto lost = [&p] { return Db::ConnectionLost(p.lastFailure().error); };
    const Side targetSide = d == Direction::ToAse ? Side::Ase : Side::Db2;
    const int columns = rs.FieldCount();
    const bool bound = options.keepTypes || options.batch > 0;
    std::vector<KeptTypes::Column> kept;
    if (options.keepTypes) {
        KeptTypes::Table types = KeptTypes::For(d, name, rs);
        kept = std::move(types.columns);
        for (const QString& note : types.notes) host.note(note);
    }
    host.tableBegins(name, o.rows);
    QString statement;
    p(142, [&] { statement = Transfer::CreateTableStart(d, name); });
    // Once the old table is dropped, a stop waits for its replacement to
    // exist: the run never ends between the DROP and the CREATE.
    bool stopAfterCreate = false;
    const auto yieldBeforeCreate = [&] {
        try {
            host.yield();
        } catch (const Program::Ending&) {
            if (!replacing) throw;
            stopAfterCreate = true;
        }
    };
    for (int j = 0; j < columns; ++j) {
        p(at.yieldColumn, yieldBeforeCreate);
        p(at.column, [&] {
            if (options.keepTypes)
                Transfer::AppendKeptColumn(d, statement, rs.Fields(j).Name, kept[size_t(j)].type);
            else
                Transfer::AppendColumn(d, statement, rs.Fields(j).Name, rs.Fields(j).Type);
        });
    }
    p(at.endCreate, [&] { Transfer::EndCreateTable(d, statement); });
    const bool created = p(at.create, [&] { target.Execute(statement); });
    host.statementSent(run, targetSide, statement, created ? QString() : p.lastFailure().description);
    if (stopAfterCreate) throw Program::Ending{};
    o.lost = !created && lost();

    std::unique_ptr<Db::BatchInsert> batch;
    if (created && bound) {
        std::vector<Db::Parameter> parameters(size_t(columns), Db::TextParameter());
        for (size_t j = 0; j < kept.size(); ++j) parameters[j] = kept[j].parameter;
        if (!p(at.insert, [&] {
                batch = std::make_unique<Db::BatchInsert>(target, Transfer::PreparedInsert(d, name, columns),
                                                          parameters, std::max(options.batch, 1));
            }))
            o.lost = lost();
    }
    const std::vector<bool> db2Dates = Db2DateColumns(d, rs);
    std::optional<Verify> verify;
    if (options.verify) verify.emplace(columns);

    if (created && (!bound || batch)) {
        // Counted wide: a table may hold more rows than an int counts.
        long long last = -1;
        p(at.count, [&] { last = rs.RecordCount() - 1; });
        const QString insertStart = Transfer::InsertStart(d, name);
        QString text;
        RepeatedFailures repeated;
        std::vector<Db::Value> values(static_cast<size_t>(columns));
        std::deque<Waiting> waiting;
        long long decided = 0;  // rows of the batch stored or refused so far
        // What a batch says of its rows once it has sent them: each refusal
        // reported, the rows stored counted (and kept for the check); false
        // when the table stops here.
        const auto settle = [&](const std::vector<Db::RowFailure>& failures) {
            const long long sent = batch->rowsSent();
            size_t next = 0;
            bool goOn = true;
            while (decided < sent && !waiting.empty()) {
                Waiting w = std::move(waiting.front());
                waiting.pop_front();
                ++decided;
                if (next == failures.size() || failures[next].row != decided) {
                    ++o.copied;
                    repeated.succeeded();
                    if (verify) verify->sent(w.values);
                    continue;
                }
                const Db::RowFailure& f = failures[next++];
                reporter.atRow(w.row);
                reporter.report(Failure{
                    p.name(), at.insert, f.error.description(), std::make_exception_ptr(f.error), {}, 0});
                // Over a lost connection the rest of the batch went nowhere.
                if (f.error.connectionLost()) {
                    o.lost = true;
                    return false;
                }
                if (repeated.failed(f.error.kind(), w.row)) {
                    o.stopped = true;
                    goOn = false;
                }
            }
            return goOn;
        };
        bool goOn = true;
        for (long long r = 0; r <= last && goOn; ++r) {
            reporter.atRow(r + 1);
            p(at.yieldRow, [&] { host.yield(); });
            p(at.progress, [&] { host.setProgress(Progress(r, last)); });
            if (!bound) p(at.startInsert, [&] { Restart(statement, insertStart); });
            // A value that cannot be read keeps its whole row out of the
            // target: nothing is written in its place.
            bool readable = true;
            for (int j = 0; j < columns && readable; ++j) {
                p(at.yieldValue, [&] { host.yield(); });
                readable = p(at.valueText, [&] {
                    const Db::Value& v = rs.Fields(j).Value();
                    if (options.keepTypes &&
                        kept[size_t(j)].conversion != KeptTypes::Conversion::DefaultText) {
                        values[size_t(j)] = KeptTypes::Convert(kept[size_t(j)], v);
                        return;
                    }
                    const Db::Value& w = Transfer::ValueOrDefault(v, empty);
                    text = db2Dates[size_t(j)] ? Db2DateText(w, locale) : ValueText(w, locale);
                    if (bound || verify) values[size_t(j)] = Transfer::BoundText(d, text);
                });
                if (readable && !bound) p(at.appendValue, [&] { Transfer::AppendValue(d, statement, text); });
            }
            if (readable && bound) {
                std::vector<Db::RowFailure> failures;
                waiting.push_back({r + 1, verify ? values : std::vector<Db::Value>()});
                const long long taken = batch->rowsTaken();
                if (p(at.insert, [&] { failures = batch->add(values); })) {
                    goOn = settle(failures);
                } else if (batch->rowsTaken() == taken) {
                    // A row the batch could not take is refused like a row
                    // the target refused.
                    waiting.pop_back();
                    if (repeated.failed(Db::FailureKind(p.lastFailure().error), r + 1)) goOn = !(o.stopped = true);
                } else {
                    // What became of the batch's rows is not known.
                    goOn = false;
                }
            } else if (readable) {
                p(at.endInsert, [&] { Transfer::EndInsert(statement); });
                if (p(at.insert, [&] { target.Execute(statement); })) {
                    ++o.copied;
                    repeated.succeeded();
                    if (verify) verify->sent(values);
                } else if (lost()) {
                    o.lost = true;
                    break;
                } else if (repeated.failed(Db::FailureKind(p.lastFailure().error), r + 1)) {
                    o.stopped = true;
                    break;
                }
            }
            host.rowsDone(r + 1);
            // A row that cannot be reached would leave the one before it in
            // place, to be sent twice.
            if (goOn && !p(at.next, [&] { rs.MoveNext(); })) break;
        }
        if (batch && goOn && !o.lost) {
            std::vector<Db::RowFailure> failures;
            if (p(at.insert, [&] { failures = batch->flush(); }))
                settle(failures);
            else
                o.lost = lost();
        }
        batch.reset();
    }
    reporter.atRow(0);
    if (verify && created && !o.lost) {
        const auto asSent = [&](int j, const Db::Value& v) -> Db::Value {
            if (options.keepTypes || Db::isNull(v)) return v;
            return Transfer::BoundText(d,
                                       db2Dates[size_t(j)] ? Db2DateText(v, locale) : ValueText(v, locale));
        };
        const Direction back = d == Direction::ToAse ? Direction::ToDb2 : Direction::ToAse;
        o.checked = p(at.insert, [&] {
            o.differs = verify->check(target, Transfer::SelectAll(back, name), o.rows, asSent);
        });
        if (!o.differs.isEmpty()) host.message(name + QStringLiteral(": ") + o.differs + QLatin1Char('.'));
    }
    p(at.pointer, [&] { host.setBusy(false); });
    p(at.resetBar, [&] { host.resetProgress(); });
    p(at.closeSource, [&] { rs.Close(); });
    if (created && targetList.generation() == targetGeneration)
        p(at.addToList, [&] { AddListItem(targetList, Transfer::TargetEntry(d, name)); });
    if (o.copied < o.rows) host.message(NotCopiedMessage(name, o));
}

// What differs between the two directions once a table's name is known.
struct Direction_ {
    Direction d;
    const CopyLines& lines;
    Side sourceSide, targetSide;
};

// From the name check to the copy, the same in both directions: true while
// the run may go on with the next table.
bool SendTable(Procedure& p, RunReporter& reporter, const CommandRun& run, const Direction_& dir,
               const Send::Options& options, CommandHost& host, Db::Connection& source,
               Db::Connection& target, Db::Recordset& rs, int targetGeneration, const QString& name,
               const QLocale& locale) {
    TableList& targetList = host.list(dir.targetSide);
    const auto lost = [&p] { return Db::ConnectionLost(p.lastFailure().error); };
    if (!Identifiers::AseCanDelimit(name)) {
        p(124, [&] { host.message(Identifiers::AseRefusal(name)); });
        return true;
    }
    const int answer = OverwriteAnswer(p, host, targetList, name);
    if (answer == Dialogs::No) return true;  // 132

    reporter.beginTable(name);
    struct End {
        RunReporter& r;
        ~End() { r.endTable(); }
    } end{reporter};
    QElapsedTimer clock;
    clock.start();
    rs.WhileReading([&host] { host.stopIfAsked(); });
    if (!p(140, [&] { rs.Open(Transfer::SelectAll(dir.d, name), source); })) return !lost();
    if (dir.d == Direction::ToAse && !AseCanDelimitColumns(rs)) {
        p(140, [&] {
            rs.Close();
            host.message(Identifiers::AseRefusal(name));
        });
        return true;
    }
    if (answer == Dialogs::Yes) {
        // A stop asked for while the source was read sends no DROP.
        host.stopIfAsked();
        const QString drop = Transfer::DropTarget(dir.d, name);
        const bool dropped = p(136, [&] { target.Execute(drop); });
        host.statementSent(run, dir.targetSide, drop, dropped ? QString() : p.lastFailure().description);
        if (dropped) {
            if (targetList.generation() == targetGeneration)
                p(138, [&] { RemoveListItem(targetList, Transfer::TargetEntry(dir.d, name)); });
        } else if (lost()) {
            rs.Close();
            return false;
        }
    }
    // The host hears how the table ended also when the program ends in the
    // middle of it.
    struct Ends {
        CommandHost& host;
        const QElapsedTimer& clock;
        TableCopy copy;
        ~Ends() {
            copy.interrupted = std::uncaught_exceptions() > 0;
            copy.seconds = clock.nsecsElapsed() / 1e9;
            host.tableEnds(copy);
        }
    } ends{host, clock, TableCopy{name, rs.RecordCount()}};
    CopyTable(ends.copy, p, reporter, run, dir.d, dir.lines, options, host, rs, target, targetList,
              targetGeneration, name, locale, answer == Dialogs::Yes);
    return !ends.copy.lost;
}

}  // namespace

// DB2 to ASE. The source is read before the target is dropped: a column name
// ASE cannot delimit must stop the table before any ASE statement, and a
// source that cannot be read must not cost the user the old target. A lost
// connection ends the run after its one report.
void Send::ToAse(CommandHost& host) { ToAse(host, {}); }

void Send::ToAse(CommandHost& host, const Options& options) {
    RunReporter reporter(host);
    Procedure p(QStringLiteral("Form2.PushButton3_Click"), reporter);
    TableList& List1 = host.list(Side::Db2);
    const int targetGeneration = host.list(Side::Ase).generation();
    const Direction_ dir{Direction::ToAse, ToAseLines, Side::Db2, Side::Ase};
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
    const RunRecord record(host, p.name(), Side::Db2, true);
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
        if (!SendTable(p, reporter, record.run(), dir, options, host, db2, ase, rs, targetGeneration, name,
                       locale))
            break;
    }
    end();
}

// ASE to DB2: the same sequence, its own lines. Only the table name ever
// stands in an ASE statement here, so the column names need no check.
void Send::ToDb2(CommandHost& host) { ToDb2(host, {}); }

void Send::ToDb2(CommandHost& host, const Options& options) {
    RunReporter reporter(host);
    Procedure p(QStringLiteral("Form2.PushButton4_Click"), reporter);
    TableList& List2 = host.list(Side::Ase);
    const int targetGeneration = host.list(Side::Db2).generation();
    const Direction_ dir{Direction::ToDb2, ToDb2Lines, Side::Ase, Side::Db2};
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
    const RunRecord record(host, p.name(), Side::Ase, true);
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
        if (!SendTable(p, reporter, record.run(), dir, options, host, ase, db2, rs, targetGeneration, name,
                       locale))
            break;
    }
    end();
}
