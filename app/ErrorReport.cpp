#include "app/ErrorReport.h"

#include "app/Dialogs.h"
#include "connections/Odbc.h"

QString ErrorReportText(const QString& description, const QString& procedure, int line) {
    return description + QStringLiteral("\r\n") + QStringLiteral("in Kelvane2021/08/31.") + procedure +
           QLatin1Char(' ') + QStringLiteral("at line ") + QString::number(line) + QStringLiteral("\r\r") +
           QStringLiteral("Please email screenshot of this message to ") + SupportAddress;
}

QString ErrorDescription(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const Db::Error& e) {
        return e.description();
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("Unexpected error");
    }
}

void Procedure::report(std::exception_ptr error) const {
    dialogs().message(ErrorReportText(ErrorDescription(error), name_, line_),
                      QStringLiteral("Application Error"), Dialogs::Icon::Warning);
}
