#pragma once

#include <QString>
#include <QStringList>

#include "app/core/ErrorReport.h"
#include "catalog/core/TableList.h"
#include "connections/core/Profile.h"

// One run of a table command: its procedure, the database it works on (for
// a send, the source; the target is the other side) and the tables selected.
struct CommandRun {
    QString procedure;
    Side side = Side::Db2;
    bool send = false;
    QStringList tables;
};

// How one table's copy ended.
struct TableCopy {
    QString table;
    long long rows = 0;        // read from the source
    long long copied = 0;      // inserted into the target
    bool stopped = false;      // given up after the same failure row after row
    bool lost = false;         // a connection went: the run ends with it
    bool interrupted = false;  // the program ended in the middle of it
    bool checked = false;      // the check after the copy ran to its end
    QString differs{};         // what the check found the target holding otherwise, in words
    QStringList notKept{};     // what of the source table the target was not given, in words
    QString rejectsFile{};     // where the rows the target refused were written
    long long rejected = 0;    // rows written there
    double seconds = 0;
    long long notCopied() const { return rows - copied; }
    // How the check ended, for a summary or log line: empty when none ran.
    QString checkText() const {
        if (!checked) return {};
        return differs.isEmpty() ? QStringLiteral(", check passed") : QStringLiteral(", check failed: ") + differs;
    }
    // What a summary or log says after the table's line: what was not
    // kept, and where its refused rows went.
    QStringList details() const {
        QStringList lines;
        if (!notKept.isEmpty()) lines << QStringLiteral("not kept: ") + notKept.join(QStringLiteral(", "));
        if (rejected > 0) lines << QStringLiteral("%1 refused rows in %2").arg(rejected).arg(rejectsFile);
        return lines;
    }
};

// A person's answer to a command's question.
enum class Answer { Yes, No };

// What a table command (send, delete, rename) needs of whoever runs it: the
// tables window with its lists, pointer, progress bar and boxes, or the
// command line. The command itself holds every step and every line number.
class CommandHost : public Reporter, public ProfileSource {
public:
    // Lets the window repaint and answer clicks; may raise Program::Ending.
    virtual void yield() = 0;
    // Raises Program::Ending when the program is ending, without yielding:
    // for the points where a stop must be seen before a step that cannot be
    // taken back.
    virtual void stopIfAsked() {}
    // The busy pointer while a command works, the normal one after.
    virtual void setBusy(bool busy) = 0;
    // The progress of one table's rows, from 0 to 100.
    virtual void setProgress(double percent) = 0;
    // The bar back at 0 with its own text, after each table.
    virtual void resetProgress() = 0;
    // Whether to overwrite the target's table of that name.
    virtual Answer askOverwrite(const QString& table) = 0;
    // The new name for a table, or the empty text to leave it alone.
    virtual QString askNewName(const QString& oldName) = 0;
    // An informational message.
    virtual void message(const QString& text) = 0;
    // A word on a choice the command made on the user's behalf (a kept
    // column that could not keep its type): told, never a failure.
    virtual void note(const QString& /*text*/) {}
    // The table list of a database: the DB2 list and the ASE list.
    virtual TableList& list(Side side) = 0;

    // What the command did, for whoever keeps a record of it (the activity
    // log, the command line's progress and summary).
    virtual void runBegins(const CommandRun&) {}
    virtual void runEnds(const CommandRun&) {}
    // A DROP, CREATE or RENAME statement went to a database; failure holds
    // the driver's text when it failed.
    virtual void statementSent(const CommandRun&, Side, const QString& /*statement*/,
                               const QString& /*failure*/) {}
    // The database dropped a table (newName empty) or renamed it; told only
    // for a statement that succeeded.
    virtual void tableChanged(Side, const QString& /*table*/, const QString& /*newName*/) {}
    // A table's rows are about to go, then each row sent or given up, then
    // how the table ended.
    virtual void tableBegins(const QString& /*table*/, long long /*rows*/) {}
    virtual void rowsDone(long long /*done*/) {}
    virtual void tableEnds(const TableCopy&) {}
};

// A command's run as its host hears of it: begun once the command really
// starts, with the tables selected at that moment, and ended however it
// ends.
class RunRecord {
public:
    RunRecord(CommandHost& host, const QString& procedure, Side side, bool send)
        : host_(host), run_{procedure, side, send, host.list(side).selectedNames()} {
        host_.runBegins(run_);
    }
    ~RunRecord() { host_.runEnds(run_); }
    RunRecord(const RunRecord&) = delete;
    RunRecord& operator=(const RunRecord&) = delete;
    const CommandRun& run() const { return run_; }

private:
    CommandHost& host_;
    CommandRun run_;
};
