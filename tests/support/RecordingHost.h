#pragma once

#include <QStringList>
#include <deque>
#include <functional>
#include <vector>

#include "catalog/core/CommandHost.h"

// Runs a table command without a window: two plain lists, logins set by the
// test, scripted answers, and a record of everything the command showed.
class RecordingHost : public CommandHost {
public:
    void report(const Failure& failure) override;
    Profile profile(Side side) const override { return side == Side::Db2 ? db2Login : aseLogin; }
    void yield() override;
    void stopIfAsked() override;
    void setBusy(bool b) override {
        busy = b;
        busyCalls.push_back(b);
    }
    void setProgress(double percent) override { progress.push_back(percent); }
    void resetProgress() override { progress.push_back(0); }
    Answer askOverwrite(const QString& table) override;
    QString askNewName(const QString& oldName) override;
    void message(const QString& text) override { messages << text; }
    TableList& list(Side side) override { return side == Side::Db2 ? db2 : ase; }

    // Picks items of a list: each is selected and becomes the current one.
    static void select(NameList& list, const QStringList& names);

    // "procedure line" of every failure reported, in order.
    QStringList reports() const;

    Profile db2Login, aseLogin;
    NameList db2, ase;

    // Scripted: one answer per overwrite question, one per new-name prompt.
    std::deque<Answer> answers;
    std::deque<QString> newNames;
    // Runs at every yield, as a click handled inside it would.
    std::function<void()> onYield;
    // Set to stop the command at its next yield, as closing the window does.
    bool ending = false;

    // Recorded.
    std::vector<Failure> failures;
    QStringList messages;
    QStringList overwriteAsked;    // table names
    QStringList renameAsked;       // old names
    std::vector<double> progress;  // every value the bar took, a reset as 0
    bool busy = false;
    std::vector<bool> busyCalls;
};
