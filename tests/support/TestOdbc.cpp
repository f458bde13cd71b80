#include "support/TestOdbc.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QUuid>
#include <cstdlib>
#include <stdexcept>

#include "connections/ConnectionString.h"

namespace TestOdbc {

namespace {
QTemporaryDir& root() {
    static QTemporaryDir dir;
    return dir;
}
}  // namespace

QString sqliteDriver() {
    for (const QString& dir : QDir(QStringLiteral("/usr/lib")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QString path = QStringLiteral("/usr/lib/%1/odbc/libsqlite3odbc.so").arg(dir);
        if (QFileInfo::exists(path)) return path;
    }
    throw std::runtime_error("libsqlite3odbc.so not found: install libsqliteodbc");
}

void install() {
    const QString folder = root().path();
    QFile ini(folder + QStringLiteral("/odbcinst.ini"));
    if (!ini.open(QIODevice::WriteOnly)) throw std::runtime_error("cannot write odbcinst.ini");
    const QString driver = sqliteDriver();
    ini.write(
        QStringLiteral("[IBM DB2 ODBC DRIVER]\nDriver=%1\n\n[ASEOLEDB]\nDriver=%1\n").arg(driver).toUtf8());
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
    QString path = root().path() + QStringLiteral("/t-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    QDir().mkpath(path);
    return path;
}

Profile profileFor(const QString& databasePath) {
    return Profile{QStringLiteral("localhost"), QStringLiteral("50000"), QStringLiteral("tester"),
                   QStringLiteral("secret"), databasePath};
}

Profile brokenProfile() { return profileFor(root().path() + QStringLiteral("/no-such-folder/x.db")); }

QString db2String(const QString& databasePath) { return IBMDB2::ConnectionString(profileFor(databasePath)); }
QString aseString(const QString& databasePath) {
    return SybaseASE::ConnectionString(profileFor(databasePath));
}

void exec(const QString& databasePath, const QStringList& statements) {
    Db::Connection c;
    c.Open(db2String(databasePath));
    for (const QString& s : statements) c.Execute(s);
    c.Close();
}

std::vector<std::vector<Db::Value>> rows(const QString& databasePath, const QString& query) {
    Db::Connection c;
    c.CursorLocation = Db::UseClient;
    c.Open(db2String(databasePath));
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

QStringList tables(const QString& databasePath) {
    QStringList names;
    for (const auto& row :
         rows(databasePath, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' "
                                           "ORDER BY name")))
        names << std::get<QString>(row.at(0));
    return names;
}

StatementLog::StatementLog()
    : sent_(std::make_shared<QStringList>()), targets_(std::make_shared<QStringList>()) {
    auto sent = sent_;
    auto targets = targets_;
    Db::Connection::addGlobalListener([sent, targets](const Db::Connection& c, const QString& statement) {
        sent->append(statement);
        targets->append(c.connectionString());
    });
}

StatementLog::~StatementLog() { Db::Connection::clearGlobalListeners(); }

QStringList StatementLog::to(const QString& databasePath) const {
    QStringList out;
    for (qsizetype i = 0; i < sent_->size(); ++i)
        if (targets_->at(i).contains(databasePath)) out << sent_->at(i);
    return out;
}

}  // namespace TestOdbc
