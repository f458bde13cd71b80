#include "app/core/ErrorReport.h"

#include "app/core/Dialogs.h"

QString ErrorReportText(const QString& description, const QString& procedure, int line) {
    return description + QStringLiteral("\r\n") + QStringLiteral("in Kelvane2021/08/31.") + procedure +
           QLatin1Char(' ') + QStringLiteral("at line ") + QString::number(line) + QStringLiteral("\r\r") +
           QStringLiteral("Please email screenshot of this message to ") + SupportAddress;
}

QString ErrorDescription(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        // A database error's text is the driver's own, carried as UTF-8.
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("Unexpected error");
    }
}

void Procedure::report(std::exception_ptr error) {
    last_ = Failure{name_, line_, ErrorDescription(error), error, {}, 0};
    reporter_.report(last_);
}

namespace {

class Box : public Reporter {
public:
    void report(const Failure& f) override {
        dialogs().message(ErrorReportText(f.description, f.procedure, f.line),
                          QStringLiteral("Application Error"), Dialogs::Icon::Warning);
    }
};

}  // namespace

Reporter& ReportBox() {
    static Box box;
    return box;
}
