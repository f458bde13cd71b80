#include "cli/ConsoleHost.h"

#include <algorithm>
#include <atomic>
#include <cmath>

#include "app/core/Dialogs.h"
#include "app/core/Platform.h"
#include "app/core/Program.h"
#include "app/core/Text.h"
#include "cli/TableChoice.h"

namespace {
std::atomic<bool> stop{false};

// A text on one line, without the spaces around it.
QString OneLineTrimmed(const QString& text) { return OneLine(text).trimmed(); }

QString Ended(const TableCopy& c) {
    QString line = QStringLiteral("%1: %2 rows copied, %3 not copied, %4 s")
                       .arg(c.table)
                       .arg(c.copied)
                       .arg(c.notCopied())
                       .arg(c.seconds, 0, 'f', 1);
    line += c.checkText();
    if (c.interrupted) line += QStringLiteral(" (stopped)");
    return line;
}

}  // namespace

ConsoleHost::ConsoleHost(const Profile& db2, const Profile& ase, QTextStream& out, QTextStream& err,
                         bool terminal)
    : db2Login_(db2), aseLogin_(ase), out_(out), err_(err), terminal_(terminal) {}

void ConsoleHost::interrupt() { stop = true; }
bool ConsoleHost::interrupted() { return stop; }

void ConsoleHost::report(const Failure& f) {
    failed_ = true;
    if (terminal_ && !tables_.empty() && !tables_.back().done) err_ << "\n";
    if (f.table.isEmpty())
        err_ << "velmarch: " << OneLineTrimmed(f.description) << Qt::endl;
    else if (f.row > 0)
        err_ << f.table << " row " << f.row << ": " << OneLineTrimmed(f.description) << Qt::endl;
    else
        err_ << f.table << ": " << OneLineTrimmed(f.description) << Qt::endl;
}

void ConsoleHost::toStderr(const QString& text) {
    if (terminal_ && !tables_.empty() && !tables_.back().done) err_ << "\n";
    err_ << OneLineTrimmed(text) << Qt::endl;
}

void ConsoleHost::message(const QString& text) {
    failed_ = true;
    toStderr(text);
}

void ConsoleHost::note(const QString& text) { toStderr(text); }

void ConsoleHost::yield() {
    if (stop) throw Program::Ending{};
}

Answer ConsoleHost::askOverwrite(const QString& table) {
    switch (existing) {
        case Existing::Overwrite:
            return Answer::Yes;
        case Existing::Skip:
            tables_.push_back({table, skippedNote(), {}, true, 0});
            return Answer::No;
        case Existing::Refuse:
            break;
    }
    failed_ = true;
    tables_.push_back(
        {table, QStringLiteral("refused, the %1 database has it").arg(SideName(target)), {}, true, 0});
    err_ << table << ": the " << SideName(target)
         << " database already has this table; --overwrite replaces it, --skip-existing leaves it"
         << Qt::endl;
    return Answer::No;
}

QString ConsoleHost::skippedNote() const {
    return QStringLiteral("skipped, the %1 database has it").arg(SideName(target));
}

QStringList ConsoleHost::select(Side side, const QStringList& names) {
    NameList& l = side == Side::Db2 ? db2_ : ase_;
    const QStringList items = l.items();
    QStringList chosen;
    for (const QString& name : names) {
        const int i = TableChoice::IndexOf(items, name);
        chosen << (i < 0 ? QString() : items[i]);
        if (i < 0) continue;
        l.setSelected(i, true);
        l.setListIndex(i);
    }
    return chosen;
}

void ConsoleHost::tableChanged(Side, const QString& table, const QString& newName) {
    if (newName.isEmpty())
        dropped << table;
    else
        renamed = true;
}

void ConsoleHost::tableBegins(const QString& table, long long rows) {
    tables_.push_back({table, {}, {}, false, 0});
    tables_.back().copy.table = table;
    tables_.back().copy.rows = rows;
    tableClock_.start();
    lastDraw_ = Platform::CoarseMilliseconds();
    redraw(false);
}

void ConsoleHost::rowsDone(long long done) {
    if (tables_.empty()) return;
    tables_.back().handled = done;
    // Called for every row: the coarse clock is the cheap one to read.
    if (terminal_ && Platform::CoarseMilliseconds() - lastDraw_ >= RedrawEvery) {
        redraw(false);
        lastDraw_ = Platform::CoarseMilliseconds();
    }
}

void ConsoleHost::tableEnds(const TableCopy& copy) {
    if (tables_.empty() || tables_.back().done) tables_.push_back({copy.table, {}, {}, false, 0});
    tables_.back().copy = copy;
    tables_.back().done = true;
    if (copy.notCopied() > 0) failed_ = true;
    redraw(true);
}

// One line per table: redrawn in place on a terminal, written once it ends
// elsewhere.
void ConsoleHost::redraw(bool final) {
    const Table& t = tables_.back();
    const TableCopy& c = t.copy;
    QString line;
    if (final) {
        line = Ended(c);
    } else {
        if (!terminal_) return;
        const double seconds = tableClock_.nsecsElapsed() / 1e9;
        const long long done = t.handled;
        const double rate = seconds > 0 ? done / seconds : 0;
        const int percent = c.rows > 0 ? int(done * 100 / c.rows) : 0;
        line = QStringLiteral("%1: %2 of %3 rows, %4%, %5 rows/s")
                   .arg(c.table)
                   .arg(done)
                   .arg(c.rows)
                   .arg(percent)
                   .arg(std::llround(rate));
        if (rate > 0) line += QStringLiteral(", %1 s left").arg(std::llround((c.rows - done) / rate));
    }
    if (terminal_)
        out_ << '\r' << line << "\033[K";
    else
        out_ << line;
    if (final || !terminal_) out_ << '\n';
    if (final)
        for (const QString& detail : c.details()) out_ << "  " << detail << '\n';
    out_.flush();
}

void ConsoleHost::printSummary() {
    if (tables_.empty()) return;
    if (terminal_ && !tables_.back().done) out_ << '\n';
    out_ << "Summary:" << '\n';
    for (const Table& t : tables_) {
        const TableCopy& c = t.copy;
        if (!t.note.isEmpty())
            out_ << "  " << t.name << ": " << t.note << '\n';
        else
            out_ << "  " << Ended(c) << '\n';
        for (const QString& detail : c.details()) out_ << "    " << detail << '\n';
    }
    out_.flush();
}

void ConsoleHost::orderSummary(const QStringList& tables) {
    const auto place = [&](const Table& t) {
        const qsizetype i = tables.indexOf(t.name);
        return i < 0 ? tables.size() : i;
    };
    std::stable_sort(tables_.begin(), tables_.end(),
                     [&](const Table& a, const Table& b) { return place(a) < place(b); });
}
