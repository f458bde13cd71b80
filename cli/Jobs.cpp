#include "cli/Jobs.h"

#include <QElapsedTimer>
#include <atomic>
#include <cmath>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

#include "app/core/Dialogs.h"
#include "app/core/Platform.h"
#include "app/core/Program.h"
#include "catalog/core/LoggedHost.h"
#include "cli/ConsoleHost.h"
#include "connections/core/Error.h"

namespace {

long long Rate(long long rows, const QElapsedTimer& clock) {
    const double seconds = clock.nsecsElapsed() / 1e9;
    return seconds > 0 ? std::llround(rows / seconds) : 0;
}

// The console shared by the tables: every line goes out under its lock,
// and on a terminal a live line per running table and one for them all
// stand below what was written, redrawn in place.
class Board {
public:
    Board(const Jobs::Console& console, const QStringList& tables)
        : console_(console), names_(tables), running_(size_t(tables.size())) {
        clock_.start();
    }

    // Has the console write, with the live lines out of its way.
    template <typename Write>
    void say(Write&& write) {
        const std::lock_guard lock(mutex_);
        erase();
        write(console_.host);
        draw();
    }

    void begins(int i, long long rows) {
        const std::lock_guard lock(mutex_);
        running_[size_t(i)].rows = rows;
        running_[size_t(i)].clock.start();
        running_[size_t(i)].on = true;
        drawIfDue();
    }

    // Called for every row: takes the lock only when a redraw is due.
    void rowsDone(int i, long long done) {
        running_[size_t(i)].done = done;
        if (!console_.terminal || !due()) return;
        const std::lock_guard lock(mutex_);
        drawIfDue();
    }

    void ends(int i, const TableCopy& copy) {
        say([&](ConsoleHost& host) {
            running_[size_t(i)].on = false;
            host.tableEnds(copy);
        });
    }

    // The table's send is over, however it went.
    void finished(int i) {
        const std::lock_guard lock(mutex_);
        running_[size_t(i)].on = false;
        ++finished_;
        drawIfDue();
    }

    // The live lines gone, for what comes after the tables.
    void close() {
        const std::lock_guard lock(mutex_);
        erase();
    }

private:
    struct Running {
        std::atomic<long long> done{0};
        long long rows = 0;
        QElapsedTimer clock;
        bool on = false;
    };

    // Flushed at once: what comes next may go to stderr.
    void erase() {
        if (drawn_ == 0) return;
        console_.out << "\033[" << drawn_ << "A\033[J";
        console_.out.flush();
        drawn_ = 0;
    }

    bool due() const { return Platform::CoarseMilliseconds() - lastDraw_ >= ConsoleHost::RedrawEvery; }
    void drawIfDue() {
        if (due()) draw();
    }

    // Over the lines drawn before, and clear of what stood below them.
    void draw() {
        if (!console_.terminal) return;
        QTextStream& out = console_.out;
        if (drawn_ > 0) out << "\033[" << drawn_ << 'A';
        drawn_ = 0;
        long long all = 0;
        for (const Running& r : running_) all += r.done;
        for (const Running& r : running_)
            if (r.on) out << liveLine(r) << "\033[K\n", ++drawn_;
        out << QStringLiteral("%1 of %2 tables done, %3 rows/s")
                   .arg(finished_)
                   .arg(running_.size())
                   .arg(Rate(all, clock_))
            << "\033[K\n\033[J";
        ++drawn_;
        out.flush();
        lastDraw_ = Platform::CoarseMilliseconds();
    }

    QString liveLine(const Running& r) const {
        const auto i = &r - running_.data();
        return QStringLiteral("%1: %2 of %3 rows, %4 rows/s")
            .arg(names_.value(i))
            .arg(r.done.load())
            .arg(r.rows)
            .arg(Rate(r.done, r.clock));
    }

    const Jobs::Console& console_;
    const QStringList names_;
    std::mutex mutex_;
    std::vector<Running> running_;
    QElapsedTimer clock_;
    int finished_ = 0;
    int drawn_ = 0;  // live lines on the screen
    std::atomic<qint64> lastDraw_{0};
};

// The program's boxes while the tables run: the activity log tells through
// them from whichever thread found it unwritable, so what they say takes
// its turn on the board like every other line.
class BoardDialogs : public Dialogs {
public:
    explicit BoardDialogs(Board& board) : board_(board), inner_(dialogs()) { setDialogs(this); }
    ~BoardDialogs() override { setDialogs(&inner_); }
    BoardDialogs(const BoardDialogs&) = delete;
    BoardDialogs& operator=(const BoardDialogs&) = delete;

    void message(const QString& text, const QString& title, Icon icon) override {
        board_.say([&](ConsoleHost&) { inner_.message(text, title, icon); });
    }
    int question(const QString& text, const QString& title) override {
        int answer = No;
        board_.say([&](ConsoleHost&) { answer = inner_.question(text, title); });
        return answer;
    }
    QString input(const QString& prompt, const QString& title, const QString& defaultText) override {
        QString text;
        board_.say([&](ConsoleHost&) { text = inner_.input(prompt, title, defaultText); });
        return text;
    }
    void openUrl(const QString& address) override {
        board_.say([&](ConsoleHost&) { inner_.openUrl(address); });
    }
    int drawOneToHundred() override {
        int n = 1;
        board_.say([&](ConsoleHost&) { n = inner_.drawOneToHundred(); });
        return n;
    }

private:
    Board& board_;
    Dialogs& inner_;
};

// What the threads share: the tables, which one is next, and the board. A
// lost connection ends the run, as it ends a send of one: the tables under
// way end with their reports and no further one starts.
struct Work {
    const Jobs::Console& console;
    const Side source;
    const QStringList& tables;
    const QStringList targetItems;
    const Send::Options& options;
    Board& board;
    std::atomic<int> next{0};
    std::atomic<bool> lost{false};
};

// One table's send as the engine sees its host: a source list holding that
// table alone, selected, and a copy of the target list of its own; all it
// tells goes to the board.
class TableHost : public CommandHost {
public:
    TableHost(Work& work, int index)
        : work_(work),
          board_(work.board),
          index_(index),
          console_(work.console),
          source_(work.source),
          sourceList_({work.tables[index]}),
          targetList_(work.targetItems) {
        sourceList_.setSelected(0, true);
        sourceList_.setListIndex(0);
    }

    void report(const Failure& f) override {
        if (Db::ConnectionLost(f.error)) work_.lost = true;
        board_.say([&](ConsoleHost& h) { h.report(f); });
    }
    Profile profile(Side side) const override { return console_.host.profile(side); }
    void yield() override {
        if (ConsoleHost::interrupted()) throw Program::Ending{};
    }
    void stopIfAsked() override { yield(); }
    void setBusy(bool) override {}
    void setProgress(double) override {}
    void resetProgress() override {}
    Answer askOverwrite(const QString& table) override {
        Answer answer = Answer::No;
        board_.say([&](ConsoleHost& h) { answer = h.askOverwrite(table); });
        return answer;
    }
    QString askNewName(const QString&) override { return {}; }
    void message(const QString& text) override {
        board_.say([&](ConsoleHost& h) { h.message(text); });
    }
    void note(const QString& text) override {
        board_.say([&](ConsoleHost& h) { h.note(text); });
    }
    TableList& list(Side side) override { return side == source_ ? sourceList_ : targetList_; }
    void tableBegins(const QString&, long long rows) override { board_.begins(index_, rows); }
    void rowsDone(long long done) override { board_.rowsDone(index_, done); }
    void tableEnds(const TableCopy& copy) override { board_.ends(index_, copy); }

private:
    Work& work_;
    Board& board_;
    const int index_;
    const Jobs::Console& console_;
    const Side source_;
    NameList sourceList_, targetList_;
};

// One table, start to end, with the log's own record of it; false when a
// stop ended it.
bool SendOne(Work& w, int i) {
    TableHost host(w, i);
    LoggedHost logged(host, w.console.log, w.console.command);
    bool goOn = true;
    try {
        w.source == Side::Db2 ? Send::ToAse(logged, w.options) : Send::ToDb2(logged, w.options);
    } catch (const Program::Ending&) {
        goOn = false;
    } catch (const std::exception& e) {
        host.message(w.tables[i] + QStringLiteral(": ") + QString::fromLocal8Bit(e.what()));
    }
    w.board.finished(i);
    return goOn;
}

// A thread's loop: the next table nobody has taken, until none is left, a
// stop is asked or a connection was lost.
void Worker(Work& w) {
    for (int i = w.next++; i < w.tables.size() && !ConsoleHost::interrupted() && !w.lost; i = w.next++)
        if (!SendOne(w, i)) return;
}

}  // namespace

void Jobs::SendAll(const Console& console, Side source, QStringList tables, const Send::Options& options,
                   int jobs) {
    tables.removeAll(QString());
    tables.removeDuplicates();
    Board board(console, tables);
    const Side target = source == Side::Db2 ? Side::Ase : Side::Db2;
    Work work{console, source, tables, console.host.list(target).items(), options, board};
    {
        BoardDialogs boxes(board);
        std::vector<std::thread> threads;
        for (int t = 0; t < jobs && t < tables.size(); ++t) threads.emplace_back(Worker, std::ref(work));
        for (std::thread& t : threads) t.join();
    }
    board.close();
    console.host.orderSummary(tables);
    if (ConsoleHost::interrupted()) throw Program::Ending{};
}
