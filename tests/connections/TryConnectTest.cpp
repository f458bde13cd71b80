#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTcpServer>

#include "connections/core/Connection.h"
#include "connections/core/ConnectionString.h"
#include "connections/core/TryConnect.h"
#include "support/ScriptedDialogs.h"
#include "support/TdsLoginCatcher.h"
#include "support/TestOdbc.h"

namespace {

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
    TdsLoginCatcher server;
    const Profile ase{QStringLiteral("127.0.0.1"), QString::number(server.port()), QStringLiteral("sa"),
                      typed, QStringLiteral("pubs2")};
    const QString odbc =
        ConnectionString::AseToOdbc(SybaseASE::ConnectionString(ase), [](const QString&) { return false; });
    Db::Connection c;
    EXPECT_THROW(c.Open(odbc), Db::Error);
    EXPECT_EQ(server.password(), typed.toUtf8());
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
