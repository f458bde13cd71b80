#pragma once

#include <QString>
#include <exception>
#include <utility>

#include "app/core/Program.h"

// A step of a command that failed: where, and why. A table command also
// names the table and, while it sends rows, the row (counted from 1).
struct Failure {
    QString procedure;
    int line = 0;
    QString description;
    std::exception_ptr error;
    QString table;
    long long row = 0;
};

// Where a command's failures go: the report box of the windows, or whatever
// else runs the command.
class Reporter {
public:
    virtual ~Reporter() = default;
    virtual void report(const Failure& failure) = 0;
};

// The "Application Error" box, through the dialogs in force.
Reporter& ReportBox();

// The one failure rule of every command: a step that fails is reported with
// the command's name and the step's line number, and the command then goes
// on with its next step. A command reads as its numbered steps:
//
//     Procedure p("Form2.PushButton5_Click", host);
//     p(102, [&] { host.setBusy(true); });
//     p(104, [&] { connection.Open(...); });
class Procedure {
public:
    explicit Procedure(QString name, Reporter& reporter = ReportBox())
        : name_(std::move(name)), reporter_(reporter) {}

    // Runs one numbered step; true when it completed, false when it failed
    // and was reported.
    template <typename Step>
    bool operator()(int line, Step&& step) {
        line_ = line;
        try {
            std::forward<Step>(step)();
            return true;
        } catch (const Program::Ending&) {
            throw;
        } catch (...) {
            report(std::current_exception());
            return false;
        }
    }

    const QString& name() const { return name_; }
    int line() const { return line_; }
    // The failure of the last step that failed.
    const Failure& lastFailure() const { return last_; }

private:
    void report(std::exception_ptr error);

    QString name_;
    Reporter& reporter_;
    int line_ = 0;
    Failure last_;
};

inline const QString SupportAddress = QStringLiteral("support@quillmoor.example");

// The report's text for an error's description at a line of a procedure.
QString ErrorReportText(const QString& description, const QString& procedure, int line);

// The description of a failure as the report shows it: a database's own
// text unchanged.
QString ErrorDescription(std::exception_ptr error);
