#pragma once

#include "app/core/ActivityLog.h"
#include "catalog/core/CommandHost.h"

// A host that keeps the activity log of what a table command does to the
// databases, and passes everything on to the host it wraps. Each line names
// the command and the database (server and database name, never a password
// or a connection string). INSERT statements and values are not logged.
class LoggedHost : public CommandHost {
public:
    // command names the runs in the log ("velmarch send"); left empty, each
    // run is named by its procedure, the window's handler.
    LoggedHost(CommandHost& inner, ActivityLog& log, QString command = {});

    void report(const Failure& failure) override;
    Profile profile(Side side) const override { return inner_.profile(side); }
    void yield() override { inner_.yield(); }
    void stopIfAsked() override { inner_.stopIfAsked(); }
    void setBusy(bool busy) override { inner_.setBusy(busy); }
    void setProgress(double percent) override { inner_.setProgress(percent); }
    void resetProgress() override { inner_.resetProgress(); }
    Answer askOverwrite(const QString& table) override { return inner_.askOverwrite(table); }
    QString askNewName(const QString& oldName) override { return inner_.askNewName(oldName); }
    void message(const QString& text) override { inner_.message(text); }
    void note(const QString& text) override;
    TableList& list(Side side) override { return inner_.list(side); }

    void runBegins(const CommandRun& run) override;
    void runEnds(const CommandRun& run) override;
    void statementSent(const CommandRun& run, Side side, const QString& statement,
                       const QString& failure) override;
    void tableBegins(const QString& table, long long rows) override { inner_.tableBegins(table, rows); }
    void rowsDone(long long done) override { inner_.rowsDone(done); }
    void tableEnds(const TableCopy& copy) override;
    void tableChanged(Side side, const QString& table, const QString& newName) override {
        inner_.tableChanged(side, table, newName);
    }

    // One line for a run that sent nothing, done to show what it would
    // send: the command, its databases and its tables.
    void dryRun(const CommandRun& run);

private:
    QString named(const QString& procedure) const { return command_.isEmpty() ? procedure : command_; }
    QString where(Side side) const;
    QString runHead(const CommandRun& run) const;
    // A driver's text with the logins' passwords taken out, as typed and as
    // a connection string spells them.
    QString clean(QString text) const;

    CommandHost& inner_;
    ActivityLog& log_;
    const QString command_;
    CommandRun run_;
};
