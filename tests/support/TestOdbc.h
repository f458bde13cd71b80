#pragma once

#include <QString>
#include <QStringList>
#include <ostream>
#include <vector>

#include "connections/core/Connection.h"
#include "connections/core/Profile.h"
#include "connections/core/Value.h"

// The databases of the tests: SQLite files reached through the real ODBC
// driver manager and Debian's SQLite ODBC driver, which an odbcinst.ini in a
// temp folder registers under "IBM DB2 ODBC DRIVER" and "ASEOLEDB". A test
// program may register other drivers under either name instead (the
// driver manager reads the registry once per process).
// Failures show the texts, not their bytes.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace TestOdbc {

// The driver libraries of the stand-in databases.
QString sqliteDriver();
QString odbcDriver(const QString& fileName);

// Writes the odbcinst.ini, points ODBCSYSINI at it and moves into a fresh
// temp folder. Called once, by the tests' main.
void install(const QString& db2Driver = sqliteDriver(), const QString& aseDriver = sqliteDriver());

// The folder every test's files go in; gone when the tests end.
QString root();

// A new empty folder for one test.
QString freshFolder();

// A login whose database is the SQLite file at path.
Profile profileFor(const QString& databasePath);
// A login that cannot open: its database lies in a folder that does not exist.
Profile brokenProfile();

QString db2String(const QString& databasePath);
QString aseString(const QString& databasePath);

// Runs statements against a SQLite file directly (test set-up).
void exec(const QString& databasePath, const QStringList& statements);
// All rows of a query, each value as the recordset delivers it.
std::vector<std::vector<Db::Value>> rows(const QString& databasePath, const QString& query);
// The same through the DB2 driver, for a database behind a login.
void exec(const Profile& db2, const QStringList& statements);
std::vector<std::vector<Db::Value>> rows(const Profile& db2, const QString& query);
// Every row of a query with each value as its text, NULL as "<null>".
std::vector<QStringList> texts(const Profile& db2, const QString& query);
std::vector<QStringList> texts(const QString& databasePath, const QString& query);
// The user tables of a SQLite file, sorted.
QStringList tables(const QString& databasePath);

// An environment variable set for as long as it lives, then as it was.
class EnvironmentVariable {
public:
    EnvironmentVariable(const char* name, const QByteArray& value);
    ~EnvironmentVariable();
    EnvironmentVariable(const EnvironmentVariable&) = delete;
    EnvironmentVariable& operator=(const EnvironmentVariable&) = delete;

private:
    const char* name_;
    bool wasSet_;
    QByteArray old_;
};

// Records every statement sent on any connection while it lives, and runs
// the callback, if given, at each one once it is recorded (for a test that
// acts at a given statement). Other logs are left listening when it goes.
class StatementLog {
public:
    explicit StatementLog(Db::Connection::Listener atEach = {});
    ~StatementLog();
    StatementLog(const StatementLog&) = delete;
    StatementLog& operator=(const StatementLog&) = delete;
    QStringList all() const { return sent_; }
    // Statements sent on connections to the given database file.
    QStringList to(const QString& databasePath) const;

private:
    QStringList sent_;
    QStringList targets_;
    int listener_;
};

}  // namespace TestOdbc
