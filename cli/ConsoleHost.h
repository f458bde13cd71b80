#pragma once

#include <QElapsedTimer>
#include <QStringList>
#include <QTextStream>
#include <vector>

#include "catalog/core/CommandHost.h"
#include "cli/Arguments.h"

// The table commands on a terminal or in a script: the lists are read from
// the catalogues, the answers come from the command line, failures go to
// stderr one line each, and a send shows its progress and a summary.
class ConsoleHost : public CommandHost {
public:
    ConsoleHost(const Profile& db2, const Profile& ase, QTextStream& out, QTextStream& err, bool terminal);

    void report(const Failure& failure) override;
    Profile profile(Side side) const override { return side == Side::Db2 ? db2Login_ : aseLogin_; }
    void yield() override;
    void stopIfAsked() override { yield(); }
    void setBusy(bool) override {}
    void setProgress(double) override {}
    void resetProgress() override {}
    Answer askOverwrite(const QString& table) override;
    QString askNewName(const QString&) override { return newName; }
    void message(const QString& text) override;
    void note(const QString& text) override;
    TableList& list(Side side) override { return side == Side::Db2 ? db2_ : ase_; }
    void tableBegins(const QString& table, long long rows) override;
    void rowsDone(long long done) override;
    void tableEnds(const TableCopy& copy) override;
    void tableChanged(Side side, const QString& table, const QString& newName) override;

    // Selects the named tables of a list and returns, name for name, the
    // item each one selected: the one of that name, else the only one that
    // differs from it in letter case alone; an empty text where none does.
    QStringList select(Side side, const QStringList& names);
    // A line per table sent, and per table passed over.
    void printSummary();
    // The summary's tables in the order given rather than the order they
    // ended in; tables not given keep their order after them.
    void orderSummary(const QStringList& tables);
    // What the summary says of a table left alone because the target has it.
    QString skippedNote() const;
    // True when anything was refused, failed or left rows behind.
    bool somethingFailed() const { return failed_; }

    Existing existing = Existing::Refuse;
    QString newName;
    Side target = Side::Ase;

    // What the command did, as the database answered it: the items dropped,
    // and whether the table was renamed.
    QStringList dropped;
    bool renamed = false;

    // Milliseconds at least between two redraws of the live lines: ten
    // times a second at most.
    static constexpr qint64 RedrawEvery = 100;

    // Set from a signal handler: the command stops at its next yield.
    static void interrupt();
    static bool interrupted();

private:
    void redraw(bool final);
    // A line on stderr, below a progress line that is under way.
    void toStderr(const QString& text);

    Profile db2Login_, aseLogin_;
    NameList db2_, ase_;
    QTextStream& out_;
    QTextStream& err_;
    const bool terminal_;
    bool failed_ = false;

    struct Table {
        QString name;
        QString note;  // why it was not sent, for one that was not
        TableCopy copy;
        bool done = false;
        long long handled = 0;  // rows sent so far
    };
    std::vector<Table> tables_;
    QElapsedTimer tableClock_;
    qint64 lastDraw_ = 0;  // Platform::CoarseMilliseconds of the last redraw
};
