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
    const Profile* profiles[] = {&ase, &db2};
    for (size_t i = 0; i < Settings::Logins.size(); ++i) {
        const Profile& p = *profiles[i / 5];
        const QString values[] = {p.server, p.port, p.user, p.password, p.database};
        s.write(QString::fromLatin1(Settings::Logins[i].name), values[i % 5]);
    }
    return path;
}
