#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include "connections/Odbc.h"
#include "connections/Profile.h"

// The databases of the tests: SQLite files reached through the real ODBC
// driver manager and Debian's SQLite ODBC driver, which an odbcinst.ini in a
// temp folder registers under "IBM DB2 ODBC DRIVER" and "ASEOLEDB".
namespace TestOdbc {

// Writes the odbcinst.ini, points ODBCSYSINI at it and moves into a fresh
// temp folder. Called once, by the tests' main.
void install();

// The driver library the stand-in databases use.
QString sqliteDriver();

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
// The user tables of a SQLite file, sorted.
QStringList tables(const QString& databasePath);

// Records every statement sent on any connection while it lives.
class StatementLog {
public:
    StatementLog();
    ~StatementLog();
    QStringList all() const { return *sent_; }
    // Statements sent on connections to the given database file.
    QStringList to(const QString& databasePath) const;

private:
    std::shared_ptr<QStringList> sent_;
    std::shared_ptr<QStringList> targets_;
};

}  // namespace TestOdbc
