#include "support/TestOdbc.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QUuid>
#include <cstdlib>
#include <stdexcept>
#include <utility>

#include "connections/core/Connection.h"
#include "connections/core/ConnectionString.h"
#include "connections/core/Recordset.h"
#include "transfer/core/ValueText.h"

namespace TestOdbc {

namespace {
QTemporaryDir& tempRoot() {
    static QTemporaryDir dir;
    return dir;
}

std::vector<QStringList> asTexts(const std::vector<std::vector<Db::Value>>& rows) {
    std::vector<QStringList> out;
    for (const auto& row : rows) {
        QStringList texts;
        for (const auto& v : row) texts << (Db::isNull(v) ? QStringLiteral("<null>") : ValueText(v));
        out.push_back(texts);
    }
    return out;
}
}  // namespace

QString root() { return tempRoot().path(); }

QString odbcDriver(const QString& fileName) {
    for (const QString& dir : QDir(QStringLiteral("/usr/lib")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QString path = QStringLiteral("/usr/lib/%1/odbc/%2").arg(dir, fileName);
        if (QFileInfo::exists(path)) return path;
    }
    throw std::runtime_error(fileName.toStdString() + " not found: run scripts/install-deps");
}

QString sqliteDriver() { return odbcDriver(QStringLiteral("libsqlite3odbc.so")); }

void install(const QString& db2Driver, const QString& aseDriver) {
    const QString folder = root();
    QFile ini(folder + QStringLiteral("/odbcinst.ini"));
    if (!ini.open(QIODevice::WriteOnly)) throw std::runtime_error("cannot write odbcinst.ini");
    ini.write(QStringLiteral("[IBM DB2 ODBC DRIVER]\nDriver=%1\n\n[ASEOLEDB]\nDriver=%2\n")
                  .arg(db2Driver, aseDriver)
                  .toUtf8());
    ini.close();
    QFile(folder + QStringLiteral("/odbc.ini")).open(QIODevice::WriteOnly);
    qputenv("ODBCSYSINI", folder.toUtf8());
    qputenv("ODBCINI", (folder + QStringLiteral("/odbc.ini")).toUtf8());
    // A login with an empty database makes the driver create a file named
    // after the whole string in the working folder: keep that in the temp.
    QDir().mkpath(folder + QStringLiteral("/work"));
    QDir::setCurrent(folder + QStringLiteral("/work"));
}

QString freshFolder() {
    QString path = root() + QStringLiteral("/t-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    QDir().mkpath(path);
    return path;
}

Profile profileFor(const QString& databasePath) {
    return Profile{QStringLiteral("localhost"), QStringLiteral("50000"), QStringLiteral("tester"),
                   QStringLiteral("secret"), databasePath};
}

Profile brokenProfile() { return profileFor(root() + QStringLiteral("/no-such-folder/x.db")); }

QString db2String(const QString& databasePath) { return IBMDB2::ConnectionString(profileFor(databasePath)); }
QString aseString(const QString& databasePath) {
    return SybaseASE::ConnectionString(profileFor(databasePath));
}

namespace {

void execOn(const QString& connectionString, const QStringList& statements) {
    Db::Connection c;
    c.Open(connectionString);
    for (const QString& s : statements) c.Execute(s);
    c.Close();
}

std::vector<std::vector<Db::Value>> rowsOn(const QString& connectionString, const QString& query) {
    Db::Connection c;
    c.CursorLocation = Db::UseClient;
    c.Open(connectionString);
    Db::Recordset rs;
    rs.Open(query, c);
    std::vector<std::vector<Db::Value>> out;
    while (!rs.Eof()) {
        std::vector<Db::Value> row;
        for (int i = 0; i < rs.FieldCount(); ++i) row.push_back(rs.Fields(i).Value());
        out.push_back(std::move(row));
        rs.MoveNext();
    }
    return out;
}

}  // namespace

// A file is reached by the ASE name, which leads to SQLite in every test
// program.
void exec(const QString& databasePath, const QStringList& statements) {
    execOn(aseString(databasePath), statements);
}

std::vector<std::vector<Db::Value>> rows(const QString& databasePath, const QString& query) {
    return rowsOn(aseString(databasePath), query);
}

std::vector<QStringList> texts(const QString& databasePath, const QString& query) {
    return asTexts(rows(databasePath, query));
}

void exec(const Profile& db2, const QStringList& statements) {
    execOn(IBMDB2::ConnectionString(db2), statements);
}

std::vector<std::vector<Db::Value>> rows(const Profile& db2, const QString& query) {
    return rowsOn(IBMDB2::ConnectionString(db2), query);
}

std::vector<QStringList> texts(const Profile& db2, const QString& query) { return asTexts(rows(db2, query)); }

QStringList tables(const QString& databasePath) {
    QStringList names;
    for (const auto& row :
         rows(databasePath, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' "
                                           "ORDER BY name")))
        names << std::get<QString>(row.at(0));
    return names;
}

EnvironmentVariable::EnvironmentVariable(const char* name, const QByteArray& value)
    : name_(name), wasSet_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name)) {
    qputenv(name, value);
}

EnvironmentVariable::~EnvironmentVariable() {
    if (wasSet_)
        qputenv(name_, old_);
    else
        qunsetenv(name_);
}

StatementLog::StatementLog(Db::Connection::Listener atEach)
    : listener_(Db::Connection::addGlobalListener(
          [this, atEach = std::move(atEach)](const Db::Connection& c, const QString& statement) {
              sent_.append(statement);
              targets_.append(c.connectionString());
              if (atEach) atEach(c, statement);
          })) {}

StatementLog::~StatementLog() { Db::Connection::removeGlobalListener(listener_); }

QStringList StatementLog::to(const QString& databasePath) const {
    QStringList out;
    for (qsizetype i = 0; i < sent_.size(); ++i)
        if (targets_.at(i).contains(databasePath)) out << sent_.at(i);
    return out;
}

}  // namespace TestOdbc
