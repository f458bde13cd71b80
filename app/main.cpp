#include <QApplication>

#include "app/cli/CommandLine.h"
#include "app/core/ActivityLog.h"
#include "app/core/Program.h"
#include "app/core/Settings.h"
#include "app/windows/QtDialogs.h"
#include "app/windows/Windows.h"
#include "connections/core/Connection.h"

int main(int argc, char** argv) {
    QStringList args;
    for (int i = 1; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    if (CommandLine::Wanted(args)) {
        QCoreApplication app(argc, argv);
        return CommandLine::Run(args);
    }

    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QtDialogs dialogs;
    setDialogs(&dialogs);
    Settings settings;
    Db::Connection::SetDefaultQueryTimeout(settings.queryTimeout());
    Program program;
    ActivityLog log;
    Windows windows(settings, program, log);
    windows.Start();
    return QApplication::exec();
}
