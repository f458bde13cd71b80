#include "support/MariaDb.h"

#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QTcpServer>
#include <QThread>
#include <stdexcept>

#include "support/TestOdbc.h"

namespace {

QStringList asRootWhenRoot() {
    return geteuid() == 0 ? QStringList{QStringLiteral("--user=root")} : QStringList{};
}

int freePort() {
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost)) throw std::runtime_error("no free port on 127.0.0.1");
    return probe.serverPort();
}

}  // namespace

MariaDb& MariaDb::server() {
    static MariaDb instance;
    return instance;
}

MariaDb::MariaDb() : folder_(TestOdbc::root() + QStringLiteral("/mariadb")), port_(freePort()) {
    QDir().mkpath(folder_);
    // A login naming no host reaches "localhost", which the client library
    // takes for its default socket; the driver's cancel connects that way.
    qputenv("MYSQL_UNIX_PORT", QFile::encodeName(folder_ + QStringLiteral("/s")));
    QProcess install;
    install.setProcessChannelMode(QProcess::MergedChannels);
    install.start(
        QStringLiteral("mariadb-install-db"),
        QStringList{QStringLiteral("--no-defaults"), QStringLiteral("--datadir=") + folder_ + "/data",
                    QStringLiteral("--auth-root-authentication-method=normal")} +
            asRootWhenRoot());
    if (!install.waitForFinished(120000) || install.exitCode() != 0)
        throw std::runtime_error("mariadb-install-db failed: " + install.readAll().toStdString());
    start();
}

MariaDb::~MariaDb() {
    if (process_ && process_->state() != QProcess::NotRunning) {
        process_->terminate();
        if (!process_->waitForFinished(20000)) process_->kill();
        process_->waitForFinished(5000);
    }
}

void MariaDb::start() {
    process_ = std::make_unique<QProcess>();
    process_->setProcessChannelMode(QProcess::MergedChannels);
    process_->setStandardOutputFile(folder_ + QStringLiteral("/server.log"), QIODevice::Append);
    // The server goes when the test program goes, however it ends.
    process_->setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGKILL); });
    process_->start(
        QStringLiteral("/usr/sbin/mariadbd"),
        QStringList{QStringLiteral("--no-defaults"), QStringLiteral("--datadir=") + folder_ + "/data",
                    QStringLiteral("--socket=") + folder_ + "/s", QStringLiteral("--port=%1").arg(port_),
                    QStringLiteral("--bind-address=127.0.0.1"), QStringLiteral("--skip-grant-tables"),
                    QStringLiteral("--sql-mode=ANSI_QUOTES"), QStringLiteral("--skip-log-bin"),
                    // Every connection speaks UTF-8, as the DB2 driver is asked to.
                    QStringLiteral("--character-set-server=utf8mb4"),
                    QStringLiteral("--skip-character-set-client-handshake"),
                    QStringLiteral("--innodb-buffer-pool-size=32M")} +
            asRootWhenRoot());
    if (!process_->waitForStarted(10000)) throw std::runtime_error("mariadbd did not start");
    waitUntilReady();
}

void MariaDb::waitUntilReady() {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 60000) {
        if (process_->state() == QProcess::NotRunning)
            throw std::runtime_error("mariadbd ended at start; see " + folder_.toStdString() + "/server.log");
        QLocalSocket socket;
        socket.connectToServer(folder_ + QStringLiteral("/s"));
        if (socket.waitForConnected(200)) return;
        QThread::msleep(100);
    }
    throw std::runtime_error("mariadbd did not answer within 60 s");
}

void MariaDb::kill() {
    process_->kill();
    process_->waitForFinished(10000);
}

Profile MariaDb::login() const {
    // Any user will do: the server checks no grants. Host and database as
    // the DB2 login would carry them; the driver goes to 127.0.0.1:port.
    return Profile{QStringLiteral("127.0.0.1"), QString::number(port_), QStringLiteral("root"), QString(),
                   QString()};
}

Profile MariaDb::freshDatabase() {
    const QString name = QStringLiteral("t%1").arg(++databases_);
    Profile login = this->login();
    TestOdbc::exec(login, {QStringLiteral("CREATE DATABASE \"%1\"").arg(name)});
    login.database = name;
    return login;
}

void MariaDb::logStatements() {
    TestOdbc::exec(
        login(),
        {QStringLiteral("SET GLOBAL general_log = OFF"), QStringLiteral("SET GLOBAL log_output = 'TABLE'"),
         QStringLiteral("TRUNCATE TABLE mysql.general_log"), QStringLiteral("SET GLOBAL general_log = ON")});
}

QStringList MariaDb::loggedStatements() {
    TestOdbc::exec(login(), {QStringLiteral("SET GLOBAL general_log = OFF")});
    QStringList statements;
    for (const QStringList& row : TestOdbc::texts(
             login(), QStringLiteral("SELECT CONVERT(argument USING utf8mb4) FROM mysql.general_log "
                                     "WHERE command_type IN ('Query', 'Prepare')")))
        statements << row.at(0);
    return statements;
}
