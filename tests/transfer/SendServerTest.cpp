#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QLocale>

#include "catalog/core/Listing.h"
#include "connections/core/Connection.h"
#include "connections/core/ConnectionString.h"
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

// Rows of a SQLite table for the ASE side: id and a text.
Profile AseTable(const QString& table, int rows) {
    const QString ase = TestOdbc::freshFolder() + "/ase.db";
    TestOdbc::exec(ase,
                   {"CREATE TABLE \"" + table + "\" (id INTEGER, v TEXT)",
                    QString("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                            "INSERT INTO \"%2\" SELECT i, 'row ' || i FROM n")
                        .arg(rows)
                        .arg(table)});
    return TestOdbc::profileFor(ase);
}

// The server goes away in the middle of a table: one report, then how many
// rows did not arrive, and not one statement more to either side. The rows
// sent before are kept, and the table, which exists, is listed.
TEST(SendOnServer, AServerKilledMidCopyEndsTheRunWithOneReport) {
    RecordingHost host;
    host.db2Login = MariaDb::server().freshDatabase();
    host.aseLogin = AseTable("big", 300);
    TestOdbc::exec(host.aseLogin.database, {"CREATE TABLE after (x TEXT)"});
    SybaseASE::ListTables(host.aseLogin, host.ase, [] {});
    RecordingHost::select(host.ase, {"after", "big"});
    QStringList sent;
    {
        int inserts = 0;
        const TestOdbc::StatementLog log([&](const Db::Connection&, const QString& s) {
            if (s.startsWith("INSERT") && ++inserts == 100) MariaDb::server().kill();
        });
        Send::ToDb2(host);
        sent = log.all();
    }
    MariaDb::server().start();

    ASSERT_EQ(host.reports(), QStringList{"Form2.PushButton4_Click 244"});
    EXPECT_TRUE(Db::ConnectionLost(host.failures[0].error)) << host.failures[0].description.toStdString();
    EXPECT_EQ(host.failures[0].table, "big");
    EXPECT_EQ(host.failures[0].row, 100);
    EXPECT_EQ(host.messages, QStringList{"201 of 300 rows of big were not copied."});
    EXPECT_TRUE(sent.last().startsWith("INSERT INTO \"big\" VALUES('100', ")) << "nothing after it";
    EXPECT_FALSE(sent.join('|').contains("after")) << "the next table is not tried";
    EXPECT_EQ(TestOdbc::texts(host.db2Login, "SELECT COUNT(*) FROM \"big\""),
              std::vector<QStringList>{{"99"}});
    EXPECT_EQ(host.db2.items(), QStringList{"big"});
    EXPECT_FALSE(host.busy);
}

// A statement that waits on another connection's lock is ended once the
// query timeout has passed (this driver ignores the timeout it is given),
// and counts as a lost connection.
TEST(SendOnServer, AStatementWaitingPastTheQueryTimeoutEndsTheRun) {
    struct Timeout {
        Timeout() { Db::Connection::SetDefaultQueryTimeout(2); }
        ~Timeout() { Db::Connection::SetDefaultQueryTimeout(60); }
    } twoSeconds;
    RecordingHost host;
    host.db2Login = MariaDb::server().freshDatabase();
    host.aseLogin = AseTable("held", 10);
    SybaseASE::ListTables(host.aseLogin, host.ase, [] {});
    RecordingHost::select(host.ase, {"held"});
    Db::Connection locker;
    locker.Open(IBMDB2::ConnectionString(host.db2Login));
    qint64 elapsed = 0;
    {
        const TestOdbc::StatementLog lock([&](const Db::Connection& c, const QString& s) {
            if (&c != &locker && s.startsWith("INSERT") && !locker.connectionString().isEmpty() &&
                host.failures.empty() && s.contains("'1'"))
                locker.Execute("LOCK TABLES \"held\" WRITE");
        });
        QElapsedTimer clock;
        clock.start();
        Send::ToDb2(host);
        elapsed = clock.elapsed();
    }
    locker.Execute("UNLOCK TABLES");

    ASSERT_EQ(host.reports(), QStringList{"Form2.PushButton4_Click 244"});
    EXPECT_TRUE(host.failures[0].description.endsWith("The server did not answer within 2 seconds."))
        << host.failures[0].description.toStdString();
    EXPECT_GE(elapsed, 2000);
    EXPECT_LT(elapsed, 8000);
    EXPECT_EQ(host.messages, QStringList{"10 of 10 rows of held were not copied."});
    EXPECT_FALSE(host.busy);
}

}  // namespace

namespace {

// A mixed table on the ASE side: NULLs, empty text, quotes, text beyond the
// BMP, 50 KB values (in a column of unbounded text, which the server cannot
// keep as its type), the 64-bit limits, doubles, dates and times.
QString MixedSource(int rows, bool unboundedText) {
    const QString ase = TestOdbc::freshFolder() + "/ase.db";
    TestOdbc::exec(
        ase, {QString("CREATE TABLE mixed (id INTEGER, big BIGINT, d DOUBLE, t %1, day DATE, at TIMESTAMP, tm TIME)")
                  .arg(unboundedText ? "TEXT" : "VARCHAR(40)"),
              QString("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                      "INSERT INTO mixed SELECT i, "
                      "CASE i % 3 WHEN 0 THEN 9223372036854775807 WHEN 1 THEN -9223372036854775808 END, "
                      "CASE i % 3 WHEN 0 THEN 0.1 WHEN 1 THEN -2.5e-300 ELSE 1.25e308 END, "
                      "CASE i % 6 WHEN 0 THEN NULL WHEN 1 THEN '' WHEN 2 THEN 'O''Brien \"q\" [x] ''' "
                      "WHEN 3 THEN 'Zoë 😀 𝄞' WHEN 4 THEN %2 "
                      "ELSE 'row ' || i END, "
                      "CASE i % 3 WHEN 0 THEN '2021-05-01' WHEN 1 THEN '0999-12-31' END, "
                      "CASE i % 2 WHEN 0 THEN '2021-05-01 10:11:12.125' END, "
                      "CASE i % 2 WHEN 0 THEN '10:11:12.5' ELSE '23:59:59' END FROM n")
                  .arg(rows)
                  .arg(unboundedText ? "replace(hex(zeroblob(25000)), '00', 'ab')" : "'ab'")});
    return ase;
}

// What one way of sending left behind: the target's rows, what was shown,
// and how the table ended.
struct PathResult {
    std::vector<QStringList> target;
    QStringList shown;
    long long rows = 0, copied = 0;
    QString check;
    bool operator==(const PathResult&) const = default;
};

void PrintTo(const PathResult& r, std::ostream* os) {
    *os << r.copied << " of " << r.rows << " copied; shown: " << r.shown.join(" | ").toStdString()
        << "; check: " << r.check.toStdString();
}

// A host whose target, once created, gets a trigger refusing every fifth row.
class RefusingHost : public RecordingHost {
public:
    bool refuse = false;
    TableCopy ended;
    void statementSent(const CommandRun&, Side, const QString& statement, const QString& failure) override {
        if (refuse && statement.startsWith("CREATE TABLE") && failure.isEmpty())
            TestOdbc::exec(db2Login, {"CREATE TRIGGER refuse BEFORE INSERT ON mixed FOR EACH ROW "
                                      "IF NEW.id % 5 = 0 THEN SIGNAL SQLSTATE '45000' "
                                      "SET MESSAGE_TEXT = 'refused by trigger'; END IF"});
    }
    void tableEnds(const TableCopy& copy) override { ended = copy; }
};

PathResult SendMixed(const QString& ase, const Send::Options& options, bool refuse) {
    RefusingHost host;
    host.refuse = refuse;
    host.db2Login = MariaDb::server().freshDatabase();
    host.aseLogin = TestOdbc::profileFor(ase);
    SybaseASE::ListTables(host.aseLogin, host.ase, [] {});
    RecordingHost::select(host.ase, {"mixed"});
    Send::ToDb2(host, options);
    PathResult r;
    for (const Failure& f : host.failures) r.shown << QString("%1 row %2: %3").arg(f.table).arg(f.row).arg(f.description);
    r.shown << host.messages;
    if (TestOdbc::texts(host.db2Login, "SHOW TABLES").empty()) return r;
    r.target = TestOdbc::texts(host.db2Login, "SELECT * FROM mixed ORDER BY id + 0");
    r.rows = host.ended.rows;
    r.copied = host.ended.copied;
    r.check = host.ended.checkText();
    return r;
}

// Every way of writing rows stores what the literal INSERTs store, refuses
// the same rows and says the same about them.
TEST(SendOnServer, BatchesStoreWhatLiteralInsertsStore) {
    const QString ase = MixedSource(40, true);
    const PathResult literal = SendMixed(ase, {}, true);
    ASSERT_EQ(literal.copied, 32) << ::testing::PrintToString(literal);
    EXPECT_EQ(literal.shown.size(), 2) << ::testing::PrintToString(literal);
    for (int batch : {1, 7, 1000}) {
        SCOPED_TRACE(batch);
        EXPECT_EQ(SendMixed(ase, {false, batch, false}, true), literal);
    }
}

// Kept types, row by row or in batches of any size, store the same values,
// and the check finds in the target what the source holds.
TEST(SendOnServer, KeptTypesStoreTheSameWhateverTheBatch) {
    const QString ase = MixedSource(23, false);
    const PathResult one = SendMixed(ase, {true, 0, true}, false);
    ASSERT_EQ(one.copied, 23) << ::testing::PrintToString(one);
    EXPECT_EQ(one.check, ", check passed") << ::testing::PrintToString(one);
    for (int batch : {7, 1000}) {
        SCOPED_TRACE(batch);
        EXPECT_EQ(SendMixed(ase, {true, batch, true}, false), one);
    }
}

}  // namespace
