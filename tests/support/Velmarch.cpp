#include "support/Velmarch.h"

#include <QProcess>
#include <QSettings>

#include "app/core/Settings.h"
#include "connections/core/Profile.h"

VelmarchRun Velmarch(const QStringList& args, const QProcessEnvironment& extra,
                     const std::function<void(QProcess&)>& whileRunning) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(extra);
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(VELMARCH_PROGRAM), args);
    p.waitForStarted();
    if (whileRunning)
        while (!p.waitForFinished(20)) whileRunning(p);
    p.waitForFinished(300000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

QString SettingsFileFor(const QString& folder, const Profile& db2, const Profile& ase) {
    const QString path = folder + QStringLiteral("/logins.ini");
    Settings s(path);
    s.setLogin(Side::Ase, ase);
    s.setLogin(Side::Db2, db2);
    return path;
}
