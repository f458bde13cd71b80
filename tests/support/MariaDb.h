#pragma once

#include <QString>
#include <QStringList>
#include <memory>

#include "connections/core/Profile.h"

class QProcess;

// A private MariaDB server for one test program, the client-server stand-in
// for DB2: its own data folder in the tests' temp folder, a free port on
// 127.0.0.1 and a socket beside its data, ANSI quotes, no grants. It starts
// on first use and stops when the program ends (or dies with it).
class MariaDb {
public:
    static MariaDb& server();
    ~MariaDb();

    // A login to a new, empty database of its own.
    Profile freshDatabase();

    // Ends the server at once, as a crash would (kill -9).
    void kill();
    // Starts it again on the same data and port after kill().
    void start();

    int port() const { return port_; }

    // The statements clients send from now on are kept in the server's
    // general log until loggedStatements() reads them.
    void logStatements();
    // Each statement kept since logStatements(), whole, in the order taken
    // (a prepared one once, as prepared); the log is off again.
    QStringList loggedStatements();

private:
    MariaDb();
    // A login to the server itself, in no database.
    Profile login() const;
    void waitUntilReady();

    QString folder_;
    int port_ = 0;
    int databases_ = 0;
    std::unique_ptr<QProcess> process_;
};
