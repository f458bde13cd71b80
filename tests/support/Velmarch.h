#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <functional>

class QProcess;

// The velmarch program itself, run as a process the way a script runs it.
struct VelmarchRun {
    int status = -1;
    QString out;
    QString err;
};

// Runs velmarch with the arguments and this process's environment plus
// the given variables; whileRunning, when given, is called every few
// milliseconds until the program ends.
VelmarchRun Velmarch(const QStringList& args, const QProcessEnvironment& extra = {},
                     const std::function<void(QProcess&)>& whileRunning = {});

// A settings file holding the two logins.
QString SettingsFileFor(const QString& folder, const struct Profile& db2, const struct Profile& ase);
