#include <QApplication>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "cli/CommandLine.h"
#include "app/core/ActivityLog.h"
#include "app/core/Program.h"
#include "app/core/Settings.h"
#include "app/windows/QtDialogs.h"
#include "app/windows/WindowOwner.h"
#include "connections/core/Connection.h"

namespace {

const char* const NoDisplay =
    "velmarch: the windows need a display, and none could be found; for the command line see 'velmarch --help'\n";

bool Set(const char* variable) { return !qEnvironmentVariableIsEmpty(variable); }

// Whether a Qt platform ("xcb", "wayland-egl", "offscreen:arguments"...)
// has what it draws on.
bool Usable(const QString& platform, bool x11) {
    const QString name = platform.section(QLatin1Char(':'), 0, 0);
    if (name == QLatin1String("xcb")) return x11;
    return !name.startsWith(QLatin1String("wayland")) || Set("WAYLAND_DISPLAY");
}

// Whether one of the platforms Qt is told to use (by -platform, else by
// QT_QPA_PLATFORM, a list split by ';') has what it draws on; with none
// named, X11's or Wayland's display.
bool DisplayFor(const QStringList& args) {
    qsizetype at = args.indexOf(QStringLiteral("-platform"));
    if (at < 0) at = args.indexOf(QStringLiteral("--platform"));
    const QString named =
        at >= 0 && at + 1 < args.size() ? args[at + 1] : qEnvironmentVariable("QT_QPA_PLATFORM");
    const bool x11 = Set("DISPLAY") || args.contains(QStringLiteral("-display"));
    if (named.isEmpty()) return x11 || Set("WAYLAND_DISPLAY");
    const QStringList platforms = named.split(QLatin1Char(';'));
    return std::any_of(platforms.begin(), platforms.end(),
                       [x11](const QString& platform) { return Usable(platform, x11); });
}

// A display that is named but does not answer ends Qt with a fatal message
// while the application is made; the program then ends with status 2, not
// with a signal.
QtMessageHandler qtHandler = nullptr;
void OnQtMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    qtHandler(type, context, text);
    if (type != QtFatalMsg) return;
    std::fputs(NoDisplay, stderr);
    std::_Exit(2);
}

}  // namespace

int main(int argc, char** argv) {
    QStringList args;
    for (int i = 1; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    if (CommandLine::Wanted(args)) {
        QCoreApplication app(argc, argv);
        return CommandLine::Run(args);
    }
    if (!DisplayFor(args)) {
        std::fputs(NoDisplay, stderr);
        return 2;
    }

    qtHandler = qInstallMessageHandler(OnQtMessage);
    QApplication app(argc, argv);
    qInstallMessageHandler(qtHandler);
    QApplication::setQuitOnLastWindowClosed(false);
    QtDialogs dialogs;
    setDialogs(&dialogs);
    Settings settings;
    Db::Connection::SetDefaultQueryTimeout(settings.queryTimeout());
    Program program;
    ActivityLog log;
    WindowOwner windows(settings, program, log);
    windows.Start();
    return QApplication::exec();
}
