#include <gtest/gtest.h>

#include <QDir>

#include "connections/core/AdoTypes.h"
#include "connections/core/Connection.h"
#include "connections/core/ConnectionString.h"
#include "connections/core/DriverText.h"
#include "connections/core/Recordset.h"
#include "support/TestOdbc.h"

using namespace Db;

namespace {

struct OdbcTest : ::testing::Test {
    QString db = TestOdbc::freshFolder() + QStringLiteral("/kinds.db");
    void everyKindComesBack(const QString& longText);
};

TEST_F(OdbcTest, OpenSchemaTellsTablesFromViews) {
    TestOdbc::exec(
        db, {QStringLiteral("CREATE TABLE t1 (a INTEGER)"), QStringLiteral("CREATE TABLE \"Zoë\" (a TEXT)"),
             QStringLiteral("CREATE VIEW v1 AS SELECT * FROM t1")});
    Connection c;
    c.Open(TestOdbc::db2String(db));
    auto rs = c.OpenSchema(SchemaTables);
    QStringList seen;
    while (!rs->Eof()) {
        seen << std::get<QString>((*rs)[QStringLiteral("TABLE_TYPE")]) + QLatin1Char(':') +
                    std::get<QString>((*rs)[QStringLiteral("TABLE_NAME")]);
        rs->MoveNext();
    }
    seen.sort();
    EXPECT_EQ(seen, (QStringList{QStringLiteral("TABLE:Zoë"), QStringLiteral("TABLE:t1"),
                                 QStringLiteral("VIEW:v1")}));
}

TEST_F(OdbcTest, EveryColumnKindComesBackWithItsTypeCodeAndValue) {
    const QString longText(40000, QLatin1Char('x'));
    TestOdbc::exec(
        db, {QStringLiteral(
                 "CREATE TABLE k (i INTEGER, b BIGINT, s SMALLINT, d DOUBLE, r REAL, f BOOLEAN, dt DATE, "
                 "tm TIME, ts TIMESTAMP, tx TEXT, vc VARCHAR(20), bl BLOB)"),
             QStringLiteral(
                 "INSERT INTO k VALUES (-7, 9007199254740993, 12, 0.1, 2.5, 1, '2021-05-01', '13:45:06.25', "
                 "'2021-05-01 13:45:06.125', 'O''Brien \"東京\"', 'Zoë', X'00FF10')"),
             QStringLiteral(
                 "INSERT INTO k VALUES (NULL, NULL, NULL, NULL, NULL, 0, NULL, NULL, NULL, '', NULL, NULL)"),
             QStringLiteral("INSERT INTO k (tx) VALUES ('%1')").arg(longText)});
    // The rows in memory, all in the spool's file, and from one into the
    // other with the long text larger than the whole budget.
    for (const char* budget : {"", "0", "300"}) {
        SCOPED_TRACE(budget);
        const QString spool = TestOdbc::freshFolder();
        TestOdbc::EnvironmentVariable tmpdir("TMPDIR", spool.toUtf8());
        TestOdbc::EnvironmentVariable spoolBudget("VELMARCH_SPOOL_BUDGET", budget);
        everyKindComesBack(longText);
        EXPECT_TRUE(
            QDir(spool).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot));
    }
}

void OdbcTest::everyKindComesBack(const QString& longText) {
    Connection c;
    c.CursorLocation = UseClient;
    c.Open(TestOdbc::db2String(db));
    EXPECT_EQ(qgetenv("DB2CODEPAGE"), "1208") << "DB2 is asked to read the UTF-8 sent to it";
    Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM k"), c);
    ASSERT_EQ(rs.FieldCount(), 12);
    EXPECT_EQ(rs.RecordCount(), 3);

    std::vector<int> types;
    for (int i = 0; i < rs.FieldCount(); ++i) types.push_back(rs.Fields(i).Type);
    EXPECT_EQ(types, (std::vector<int>{3, 20, 2, 5, 5, 11, 133, 134, 135, 201, 200, 128}));
    EXPECT_EQ(rs.Fields(9).Name, QStringLiteral("tx"));

    EXPECT_EQ(rs.Fields(0).Value(), Value(std::int64_t(-7)));
    EXPECT_EQ(rs.Fields(1).Value(), Value(std::int64_t(9007199254740993LL)));
    EXPECT_EQ(rs.Fields(2).Value(), Value(std::int64_t(12)));
    EXPECT_EQ(rs.Fields(3).Value(), Value(0.1));
    EXPECT_EQ(rs.Fields(4).Value(), Value(2.5));
    EXPECT_EQ(rs.Fields(5).Value(), Value(true));
    EXPECT_EQ(rs.Fields(6).Value(), Value(Date{2021, 5, 1}));
    EXPECT_EQ(rs.Fields(7).Value(), Value(Time{13, 45, 6, 250000000}));
    EXPECT_EQ(rs.Fields(8).Value(), Value(Timestamp{{2021, 5, 1}, {13, 45, 6, 125000000}}));
    EXPECT_EQ(rs.Fields(9).Value(), Value(QStringLiteral("O'Brien \"東京\"")));
    EXPECT_EQ(rs.Fields(10).Value(), Value(QStringLiteral("Zoë")));
    EXPECT_EQ(rs.Fields(11).Value(), Value(QByteArray("\x00\xff\x10", 3)));

    rs.MoveNext();
    for (int i : {0, 1, 2, 3, 4, 6, 7, 8, 10, 11}) EXPECT_TRUE(isNull(rs.Fields(i).Value())) << i;
    EXPECT_EQ(rs.Fields(5).Value(), Value(false));
    EXPECT_EQ(rs.Fields(9).Value(), Value(QString()));
    EXPECT_FALSE(isNull(rs.Fields(9).Value())) << "empty text is not NULL";

    rs.MoveNext();
    EXPECT_EQ(rs.Fields(9).Value(), Value(longText));
    rs.MoveNext();
    EXPECT_TRUE(rs.Eof());
}

TEST_F(OdbcTest, ServerSideRecordsetStreamsRowsWithoutACount) {
    TestOdbc::exec(
        db, {QStringLiteral("CREATE TABLE n (a INTEGER)"), QStringLiteral("INSERT INTO n VALUES (1), (2)")});
    Connection c;
    c.Open(TestOdbc::db2String(db));
    Recordset rs;
    rs.Open(QStringLiteral("SELECT a FROM n ORDER BY a"), c);
    EXPECT_EQ(rs.RecordCount(), -1);
    std::vector<Value> seen;
    for (; !rs.Eof(); rs.MoveNext()) seen.push_back(rs.Fields(0).Value());
    EXPECT_EQ(seen, (std::vector<Value>{std::int64_t(1), std::int64_t(2)}));

    // A connection with a statement still open refuses to close, and says so.
    Recordset open;
    open.Open(QStringLiteral("SELECT a FROM n ORDER BY a"), c);
    EXPECT_THROW(c.Close(), Error);
    EXPECT_TRUE(c.isOpen());
    open.Close();
    c.Close();
    EXPECT_FALSE(c.isOpen());
}

TEST_F(OdbcTest, AColumnNameOfAnyLengthArrivesWhole) {
    const QString name = QString(1999, QLatin1Char('n')) + QStringLiteral("é");
    TestOdbc::exec(db, {QStringLiteral("CREATE TABLE w (\"%1\" TEXT)").arg(name)});
    Connection c;
    c.CursorLocation = UseClient;
    c.Open(TestOdbc::db2String(db));
    Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM w"), c);
    EXPECT_EQ(rs.Fields(0).Name.size(), name.size());
    EXPECT_EQ(rs.Fields(0).Name.right(3), name.right(3));
}

TEST_F(OdbcTest, NonAsciiTextGoesBothWaysUnharmed) {
    TestOdbc::exec(db, {QStringLiteral("CREATE TABLE \"東京\" (\"Zoë\" TEXT)"),
                        QStringLiteral("INSERT INTO \"東京\" VALUES ('Zoë'), ('東京'), ('😀')")});
    const auto rows = TestOdbc::rows(db, QStringLiteral("SELECT \"Zoë\" FROM \"東京\""));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0][0], Value(QStringLiteral("Zoë")));
    EXPECT_EQ(rows[1][0], Value(QStringLiteral("東京")));
    EXPECT_EQ(rows[2][0], Value(QStringLiteral("😀")));
}

TEST_F(OdbcTest, FailuresRaiseTheDriversOwnText) {
    Connection c;
    c.Open(TestOdbc::db2String(db));
    try {
        c.Execute(QStringLiteral("DROP TABLE missing_table"));
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_TRUE(e.description().contains(QStringLiteral("no such table: missing_table"))) << e.what();
        EXPECT_FALSE(e.sqlStates().isEmpty());
        EXPECT_FALSE(e.description().contains(e.sqlStates().first())) << "SQLSTATE is kept apart";
    }
    Connection unregistered;
    try {
        unregistered.Open(QStringLiteral("Driver={No Such Driver};Database=x;"));
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_TRUE(e.description().contains(QStringLiteral("[unixODBC][Driver Manager]"))) << e.what();
    }
    EXPECT_THROW(unregistered.Execute(QStringLiteral("SELECT 1")), Error);
}

// Each log sees the statements sent while it lives, as sent; one that goes
// leaves the others listening.
TEST_F(OdbcTest, StatementLogsSeeEachStatementAsSentWhileTheyLive) {
    TestOdbc::StatementLog log;
    Connection c;
    c.Open(TestOdbc::db2String(db));
    {
        TestOdbc::StatementLog inner;
        c.Execute(QStringLiteral("CREATE TABLE [Zoë] (a)"));
        EXPECT_EQ(inner.all(), QStringList{QStringLiteral("CREATE TABLE [Zoë] (a)")});
    }
    Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM \"Zoë\""), c);
    EXPECT_EQ(log.to(db), (QStringList{QStringLiteral("CREATE TABLE [Zoë] (a)"),
                                       QStringLiteral("SELECT * FROM \"Zoë\"")}));
}

TEST(DecimalText, KeepsEveryDigitWithoutADouble) {
    const std::vector<std::pair<QString, std::string>> cases{
        {QStringLiteral("12345678901234567890.123456789"), "12345678901234567890.123456789"},
        {QStringLiteral("  -001.500 "), "-1.500"},
        {QStringLiteral(".5"), "0.5"},
        {QStringLiteral("-0.00"), "0.00"},
        {QStringLiteral("+42"), "42"},
        {QStringLiteral("3,25"), "3.25"},
    };
    for (const auto& [text, digits] : cases)
        EXPECT_EQ(DecimalFromDriverText(text).digits, digits) << text.toStdString();
}

// Each driver spells a time its own way; a spelling that is no time is kept
// as the text it is, so nothing is lost on the way.
TEST(TimeText, DriversSpellingsKeepEveryDigit) {
    const std::vector<std::pair<QString, Value>> cases{
        {"13:45:06", Time{13, 45, 6}},
        {"13.45.06", Time{13, 45, 6}},  // DB2's ISO and EUR spelling
        {" 9:05:00 ", Time{9, 5, 0}},
        {"13:45:06.123", Time{13, 45, 6, 123000000}},
        {"13:45:06.1234567", Time{13, 45, 6, 123456700}},
        {"23:59:59.999999999000", Time{23, 59, 59, 999999999}},
        {"24.00.00", Time{24, 0, 0}},
        {"13:45:06.1234567891", QStringLiteral("13:45:06.1234567891")},
        {"1:45:06 PM", QStringLiteral("1:45:06 PM")},
    };
    for (const auto& [text, value] : cases) EXPECT_EQ(TimeFromDriverText(text), value) << text.toStdString();
}

TEST(Indicators, HalfWrittenMarkersReadAsTheirFullValue) {
    EXPECT_EQ(IndicatorFromDriver(0xFFFFFFFFLL), -1);  // SQL_NULL_DATA
    EXPECT_EQ(IndicatorFromDriver(0xFFFFFFFCLL), -4);  // SQL_NO_TOTAL
    EXPECT_EQ(IndicatorFromDriver(-1), -1);
    EXPECT_EQ(IndicatorFromDriver(0), 0);
    EXPECT_EQ(IndicatorFromDriver(40000), 40000);
}

TEST(AdoTypeCodes, FollowTheOdbcSqlType) {
    EXPECT_EQ(AdoTypeCode(2 /*SQL_NUMERIC*/, false), 131);
    EXPECT_EQ(AdoTypeCode(3 /*SQL_DECIMAL*/, false), 131);
    EXPECT_EQ(AdoTypeCode(4 /*SQL_INTEGER*/, true), 19);
    EXPECT_EQ(AdoTypeCode(-6 /*SQL_TINYINT*/, false), 16);
    EXPECT_EQ(AdoTypeCode(-5 /*SQL_BIGINT*/, true), 21);
    EXPECT_EQ(AdoTypeCode(7 /*SQL_REAL*/, false), 4);
    EXPECT_EQ(AdoTypeCode(-9 /*SQL_WVARCHAR*/, false), 202);
    EXPECT_EQ(AdoTypeCode(-11 /*SQL_GUID*/, false), 72);
    EXPECT_EQ(AdoTypeCode(9 /*SQL_DATE*/, false), 133);
    EXPECT_EQ(AdoTypeCode(-370 /*driver's own*/, false), 203);
}

}  // namespace
