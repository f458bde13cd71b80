#include "catalog/windows/Form2Host.h"

#include "app/core/Dialogs.h"
#include "catalog/windows/Form2.h"

Form2Host::Form2Host(Form2& form, const ProfileSource& logins, Program& program)
    : form_(form), logins_(logins), program_(program) {}

void Form2Host::report(const Failure& failure) { ReportBox().report(failure); }

Profile Form2Host::profile(Side side) const { return logins_.profile(side); }

void Form2Host::yield() { program_.DoEvents(); }

void Form2Host::stopIfAsked() {
    if (program_.IsEnding()) throw Program::Ending{};
}

void Form2Host::setBusy(bool busy) { form_.setMousePointer(busy ? Controls::Busy : Controls::Normal); }

void Form2Host::setProgress(double percent) { form_.ProgressBar1->setValue(percent); }

void Form2Host::resetProgress() {
    form_.ProgressBar1->setValue(0.0);
    form_.ProgressBar1->setText(QStringLiteral("Progress Bar"));
}

Answer Form2Host::askOverwrite(const QString& table) {
    const int box =
        dialogs().question(QStringLiteral("Would you like to overwrite ") + table + QLatin1Char('?'),
                           QStringLiteral("Overwrite?"));
    return box == Dialogs::Yes ? Answer::Yes : Answer::No;
}

QString Form2Host::askNewName(const QString& oldName) {
    return dialogs().input(QStringLiteral("Enter new name of ") + oldName + QLatin1Char(':'),
                           ApplicationTitle(), oldName);
}

void Form2Host::message(const QString& text) { MsgBox(text); }

TableList& Form2Host::list(Side side) { return side == Side::Db2 ? *form_.List1 : *form_.List2; }
