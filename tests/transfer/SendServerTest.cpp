#include <gtest/gtest.h>

#include <QLocale>

#include "catalog/core/Listing.h"
#include "support/MariaDb.h"
#include "support/RecordingHost.h"
#include "support/TestOdbc.h"
#include "transfer/core/Send.h"

namespace {

// ASE to DB2 with the DB2 side on a real server: the statements as sent and
// the values as the server stored them. Day-first regional settings, so a
// DB2 DATE goes as yyyy-mm-dd, which this server reads too.
TEST(SendOnServer, AseToDb2StoresEveryValueAsSent) {
    struct DefaultLocale {
        DefaultLocale() { QLocale::setDefault(QLocale(QStringLiteral("en_GB"))); }
        ~DefaultLocale() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    } british;
    RecordingHost host;
    host.db2Login = MariaDb::server().freshDatabase();
    const QString ase = TestOdbc::freshFolder() + "/ase.db";
    host.aseLogin = TestOdbc::profileFor(ase);
    TestOdbc::exec(ase, {"CREATE TABLE \"Zoë's\" (id INTEGER, name TEXT, born DATE, note TEXT)",
                         "INSERT INTO \"Zoë's\" VALUES (7, 'O''Brien \"東京\"', '2021-05-01', ''), "
                         "(-8, NULL, NULL, 'a]b [c] 😀')"});
    SybaseASE::ListTables(host.aseLogin, host.ase, [] {});
    RecordingHost::select(host.ase, {"Zoë's"});
    TestOdbc::StatementLog log;

    Send::ToDb2(host);

    EXPECT_TRUE(host.failures.empty() && host.messages.empty()) << host.reports().join('|').toStdString();
    EXPECT_EQ(log.all(),
              (QStringList{"SELECT * FROM [Zoë's]",
                           "CREATE TABLE \"Zoë's\"(\"id\" LONG VARCHAR,\"name\" LONG VARCHAR,\"born\" DATE,"
                           "\"note\" LONG VARCHAR);",
                           "INSERT INTO \"Zoë's\" VALUES('7', 'O''Brien \"東京\"', '2021-05-01', NULL)",
                           "INSERT INTO \"Zoë's\" VALUES('-8', NULL, NULL, 'a]b [c] 😀')"}));
    EXPECT_EQ(TestOdbc::texts(host.db2Login, "SELECT id, name, born, note FROM \"Zoë's\" ORDER BY id DESC"),
              (std::vector<QStringList>{{"7", "O'Brien \"東京\"", "01/05/2021", "<null>"},
                                        {"-8", "<null>", "<null>", "a]b [c] 😀"}}));
    EXPECT_EQ(host.db2.items(), QStringList{"Zoë's"});
}

}  // namespace
