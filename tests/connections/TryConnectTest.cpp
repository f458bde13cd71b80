#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <future>
#include <thread>

#include "connections/core/ConnectionString.h"
#include "connections/core/Odbc.h"
#include "support/ScriptedDialogs.h"
#include "support/TestOdbc.h"

namespace {

// Stands in for an ASE server just far enough to catch the TDS 5.0 login
// packet (type 0x02) a client sends, then hangs up: no login is granted.
// It listens on its own thread, since the client blocks the test's.
class LoginCatcher {
public:
    LoginCatcher() {
        std::promise<quint16> listening;
        std::future<quint16> port = listening.get_future();
        thread_ = std::thread([this, listening = std::move(listening)]() mutable {
            QTcpServer server;
            server.listen(QHostAddress::LocalHost);
            listening.set_value(server.serverPort());
            if (!server.waitForNewConnection(20000)) return;
            QTcpSocket* client = server.nextPendingConnection();
            while (packet_.size() < kPasswordEnd && client->waitForReadyRead(20000))
                packet_ += client->readAll();
            client->abort();
        });
        port_ = port.get();
    }
    ~LoginCatcher() {
        if (thread_.joinable()) thread_.join();
    }
    quint16 port() const { return port_; }
    // What arrived, once the client has sent it or given up.
    QByteArray packet() {
        if (thread_.joinable()) thread_.join();
        return packet_;
    }

private:
    static constexpr qsizetype kPasswordEnd = 8 + 93;  // header, then up to the password length
    std::thread thread_;
    quint16 port_ = 0;
    QByteArray packet_;
};

TEST(TryConnect, WorkingAndFailingProfilesWithoutAMessage) {
    ScriptedDialogs dialogs;
    const QString folder = TestOdbc::freshFolder();
    EXPECT_TRUE(IBMDB2::TryConnect(TestOdbc::profileFor(folder + QStringLiteral("/db2.db"))));
    EXPECT_TRUE(SybaseASE::TryConnect(TestOdbc::profileFor(folder + QStringLiteral("/ase.db"))));
    EXPECT_FALSE(IBMDB2::TryConnect(TestOdbc::brokenProfile()));
    EXPECT_FALSE(SybaseASE::TryConnect(TestOdbc::brokenProfile()));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST(TryConnect, AnUnregisteredDriverIsFalse) {
    Db::Connection c;
    EXPECT_THROW(c.Open(QStringLiteral("Driver={IBM DB2 ODBC DRIVER 9};Database=x;")), Db::Error);
}

TEST(TryConnect, FreeTdsAgainstAClosedPortAnswersFalseAtOnce) {
    // Find a loopback port nobody listens on.
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
    const QString port = QString::number(probe.serverPort());
    probe.close();
    const Profile ase{QStringLiteral("127.0.0.1"), port, QStringLiteral("sa"), QStringLiteral("pw"),
                      QStringLiteral("pubs2")};
    // The test registry has no ASEOLEDB-free variant, so go through FreeTDS directly.
    const QString odbc =
        ConnectionString::AseToOdbc(SybaseASE::ConnectionString(ase), [](const QString&) { return false; });
    QElapsedTimer clock;
    clock.start();
    Db::Connection c;
    try {
        c.Open(odbc);
        FAIL() << "opened a closed port";
    } catch (const Db::Error& e) {
        EXPECT_FALSE(e.description().isEmpty());
    }
    EXPECT_LT(clock.elapsed(), 20000);
}

TEST(TryConnect, FreeTdsPutsThePasswordTypedIntoTheLogin) {
    // Debian's tdsodbc, whichever release is installed, against the catcher.
    const QString typed = QStringLiteral("se;cr{e}t\"x");
    LoginCatcher server;
    const Profile ase{QStringLiteral("127.0.0.1"), QString::number(server.port()), QStringLiteral("sa"),
                      typed, QStringLiteral("pubs2")};
    const QString odbc =
        ConnectionString::AseToOdbc(SybaseASE::ConnectionString(ase), [](const QString&) { return false; });
    Db::Connection c;
    EXPECT_THROW(c.Open(odbc), Db::Error);
    const QByteArray login = server.packet();
    ASSERT_GE(login.size(), 8 + 93);
    EXPECT_EQ(login[0], 0x02);
    // After the 8-byte header the login record holds the host and user names
    // (30 bytes and a length byte each), then the password the same way.
    EXPECT_EQ(login.mid(8 + 62, static_cast<unsigned char>(login[8 + 92])), typed.toUtf8());
}

TEST(TryConnect, TheAseStringCarriesItsDatabaseToTheRegisteredDriver) {
    const QString db = TestOdbc::freshFolder() + QStringLiteral("/carried here.db");
    TestOdbc::exec(db, {QStringLiteral("CREATE TABLE marker (a)")});
    Db::Connection c;
    c.Open(TestOdbc::aseString(db));
    c.Execute(QStringLiteral("INSERT INTO marker VALUES (1)"));
    EXPECT_EQ(TestOdbc::rows(db, QStringLiteral("SELECT a FROM marker")).size(), 1u);
}

}  // namespace
