#pragma once

#include "catalog/core/CommandHost.h"

class Form2;

// The tables window as the table commands see it: its lists, its pointer
// and progress bar, the dialogs, and the logins of the Setup Connections
// window.
class Form2Host : public CommandHost {
public:
    explicit Form2Host(Form2& form);

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
};
