#include <gtest/gtest.h>

#include "catalog/core/Maintenance.h"
#include "support/MariaDb.h"
#include "support/RecordingHost.h"
#include "support/TestOdbc.h"

namespace {

// The DB2 side on a real client-server database, where RENAME TABLE exists.
class OnServer : public ::testing::Test {
protected:
    OnServer() {
        host.db2Login = MariaDb::server().freshDatabase();
        host.aseLogin = TestOdbc::profileFor(TestOdbc::freshFolder() + "/ase.db");
    }
    void create(const QStringList& tables) {
        QStringList statements;
        for (const QString& t : tables) statements << "CREATE TABLE \"" + t + "\" (x INTEGER)";
        TestOdbc::exec(host.db2Login, statements);
        // The server's catalogue shows every database on it; the list holds
        // this test's tables only.
        for (const QString& t : tables) host.db2.AddItem(t);
    }
    QStringList serverTables() {
        QStringList names;
        for (const auto& row : TestOdbc::texts(host.db2Login, "SHOW TABLES")) names << row.at(0);
        names.sort();
        return names;
    }
    RecordingHost host;
};

TEST_F(OnServer, ARenameMovesTheTableWithItsRowsAndTheItemToItsPlace) {
    create({"alpha", "beta", "gamma"});
    TestOdbc::exec(host.db2Login, {"INSERT INTO alpha VALUES (42)"});
    RecordingHost::select(host.db2, {"alpha"});
    host.newNames = {"Zeta"};
    TestOdbc::StatementLog log;

    Maintenance::RenameDb2Table(host);

    EXPECT_EQ(log.all(), QStringList{R"(RENAME TABLE "alpha" TO "Zeta")"});
    EXPECT_TRUE(host.failures.empty()) << host.reports().join('|').toStdString();
    EXPECT_EQ(host.db2.items(), (QStringList{"beta", "gamma", "Zeta"}));
    EXPECT_FALSE(host.db2.Selected(2)) << "the new item is not selected";
    EXPECT_EQ(serverTables(), (QStringList{"Zeta", "beta", "gamma"}));
    EXPECT_EQ(TestOdbc::texts(host.db2Login, "SELECT x FROM \"Zeta\""), std::vector<QStringList>{{"42"}});
    EXPECT_FALSE(host.busy);
}

TEST_F(OnServer, ARenameOntoATakenNameIsReportedAndChangesNothing) {
    create({"alpha", "beta"});
    RecordingHost::select(host.db2, {"alpha"});
    host.newNames = {"beta"};

    Maintenance::RenameDb2Table(host);

    EXPECT_EQ(host.reports(), QStringList{"Form2.PushButton6_Click 126"});
    EXPECT_TRUE(host.failures.at(0).description.contains("already exists"))
        << host.failures.at(0).description.toStdString();
    EXPECT_EQ(host.db2.items(), (QStringList{"alpha", "beta"}));
    EXPECT_EQ(serverTables(), (QStringList{"alpha", "beta"}));
}

TEST_F(OnServer, TheDb2DeleteDropsEachSelectedTableOverAConnectionOfItsOwn) {
    create({"a", "b", "c"});
    RecordingHost::select(host.db2, {"a", "c"});
    TestOdbc::StatementLog log;

    Maintenance::DeleteDb2Tables(host);

    EXPECT_EQ(log.all(), (QStringList{R"(DROP TABLE "c")", R"(DROP TABLE "a")"}));
    EXPECT_TRUE(host.failures.empty()) << host.reports().join('|').toStdString();
    EXPECT_EQ(host.db2.items(), QStringList{"b"});
    EXPECT_EQ(serverTables(), QStringList{"b"});
}

}  // namespace
