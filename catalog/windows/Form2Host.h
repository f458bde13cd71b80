#pragma once

#include "app/core/Program.h"
#include "catalog/core/CommandHost.h"

class Form2;

// The tables window as the table commands see it: its lists, its pointer
// and progress bar, the dialogs, the logins of the Setup Connections window
// and the program's yields.
class Form2Host : public CommandHost {
public:
    Form2Host(Form2& form, const ProfileSource& logins, Program& program);

    void report(const Failure& failure) override;
    Profile profile(Side side) const override;
    void yield() override;
    void stopIfAsked() override;
    void setBusy(bool busy) override;
    void setProgress(double percent) override;
    void resetProgress() override;
    Answer askOverwrite(const QString& table) override;
    QString askNewName(const QString& oldName) override;
    void message(const QString& text) override;
    TableList& list(Side side) override;

private:
    Form2& form_;
    const ProfileSource& logins_;
    Program& program_;
};
