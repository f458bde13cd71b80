#pragma once

#include <QString>
#include <exception>
#include <utility>

#include "app/Program.h"

// The one failure rule of every command: a step that fails is reported in
// the "Application Error" box with the command's name and the step's line
// number, and once the user has pressed OK the command goes on with its
// next step. A command reads as its numbered steps:
//
//     Procedure p("Form2.PushButton5_Click");
//     p(102, [&] { setBusy(); });
//     p(104, [&] { connection.Open(...); });
class Procedure {
public:
    explicit Procedure(QString name) : name_(std::move(name)) {}

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

private:
    void report(std::exception_ptr error) const;

    QString name_;
    int line_ = 0;
};

inline const QString SupportAddress = QStringLiteral("support@quillmoor.example");

// The report's text for an error's description at a line of a procedure.
QString ErrorReportText(const QString& description, const QString& procedure, int line);

// The description of a failure as the report shows it: a database's own
// text unchanged.
QString ErrorDescription(std::exception_ptr error);
