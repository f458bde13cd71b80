#include <QApplication>

#include "app/core/Program.h"
#include "app/core/Settings.h"
#include "app/windows/QtDialogs.h"
#include "app/windows/Windows.h"
#include "connections/core/Odbc.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QtDialogs dialogs;
    setDialogs(&dialogs);
    Settings settings;
    Db::Connection::SetDefaultQueryTimeout(settings.queryTimeout());
    Program program;
    Windows windows(settings, program);
    windows.Start();
    return QApplication::exec();
}
