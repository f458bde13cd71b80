#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <csignal>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "app/core/Program.h"
#include "catalog/core/Identifiers.h"
#include "catalog/core/Listing.h"
#include "connections/core/Connection.h"
#include "connections/core/Recordset.h"
#include "support/RecordingHost.h"
#include "support/TestOdbc.h"
#include "transfer/core/Send.h"
#include "transfer/core/ValueText.h"
#include "transfer/core/Verify.h"

namespace {

const QString Null = QStringLiteral("<null>");

std::vector<QStringList> Texts(const QString& path, const QString& query) {
    return TestOdbc::texts(path, query);
}

// Rows of about 200 bytes, far more than a budget of 1000 bytes holds.
QString FillStatement(const QString& table, int rows) {
    return "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
           QString::number(rows) + ") INSERT INTO " + table + " SELECT printf('%0200d', i) FROM n";
}

bool EmptyFolder(const QString& path) {
    return QDir(path).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

// A limit on the size of every file the process writes, as a full disk
// sets one; writing past it fails with EFBIG rather than ending the process.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &old_);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit old_{};
    void (*oldHandler_)(int) = SIG_DFL;
};

// Both directions over two SQLite stand-ins, the lists filled as the tables
// window fills them.
class SendTest : public ::testing::Test {
protected:
    SendTest() : folder(TestOdbc::freshFolder()), db2(folder + "/db2.db"), ase(folder + "/ase.db") {}

    void open(const QStringList& db2Setup, const QStringList& aseSetup = {}) {
        host = std::make_unique<RecordingHost>();
        TestOdbc::exec(db2, db2Setup);
        TestOdbc::exec(ase, aseSetup);
        host->db2Login = TestOdbc::profileFor(db2);
        host->aseLogin = TestOdbc::profileFor(ase);
        relist();
    }
    void relist() {
        IBMDB2::ListTables(host->db2Login, host->db2, [] {});
        SybaseASE::ListTables(host->aseLogin, host->ase, [] {});
    }

    void toAse() { Send::ToAse(*host); }
    void toDb2() { Send::ToDb2(*host); }
    static void Select(NameList& list, const QStringList& names) { RecordingHost::select(list, names); }

    // Runs the action once, at the first yield after the first statement that
    // starts with the prefix was sent, as a click handled there would.
    void duringRun(const QString& prefix, std::function<void()> action) {
        auto seen = std::make_shared<bool>(false);
        watch = std::make_unique<TestOdbc::StatementLog>([=](const Db::Connection&, const QString& s) {
            if (s.startsWith(prefix)) *seen = true;
        });
        host->onYield = [this, seen, action, done = false]() mutable {
            if (!*seen || done) return;
            done = true;
            action();
        };
    }

    QString folder, db2, ase;
    std::unique_ptr<RecordingHost> host;
    std::unique_ptr<TestOdbc::StatementLog> watch;  // duringRun's
};

TEST_F(SendTest, WorkedExampleToAse) {
    open({"CREATE TABLE CUSTOMER (ID INTEGER, NAME VARCHAR(20), BORN DATE)",
          "INSERT INTO CUSTOMER VALUES (7, 'O''Brien', '2021-05-01'), (7, NULL, '2021-05-01')"});
    Select(host->db2, {"CUSTOMER"});
    TestOdbc::StatementLog log;
    toAse();

    EXPECT_EQ(log.to(db2), QStringList{"SELECT * FROM \"CUSTOMER\""});
    EXPECT_EQ(log.to(ase), (QStringList{"CREATE TABLE [CUSTOMER]([ID] TEXT,[NAME] TEXT,[BORN] TEXT)",
                                        "INSERT INTO [CUSTOMER] VALUES('7', 'O''Brien', '5/1/2021')",
                                        "INSERT INTO [CUSTOMER] VALUES('7', '', '5/1/2021')"}));
    EXPECT_EQ(host->ase.items(), QStringList{"customer"});
    EXPECT_EQ(host->db2.items(), QStringList{"CUSTOMER"});
    EXPECT_TRUE(host->db2.Selected(0)) << "the source selection stays";
    EXPECT_EQ(Texts(ase, "SELECT * FROM [CUSTOMER]"),
              (std::vector<QStringList>{{"7", "O'Brien", "5/1/2021"}, {"7", "", "5/1/2021"}}));
    EXPECT_TRUE(host->messages.empty() && host->failures.empty());
}

TEST_F(SendTest, WorkedExampleToDb2) {
    open({}, {"CREATE TABLE CUSTOMER (ID INTEGER, NAME VARCHAR(20), BORN DATE)",
              "INSERT INTO CUSTOMER VALUES (7, 'O''Brien', '2021-05-01'), (7, NULL, '2021-05-01'), "
              "(7, '', '2021-05-01')"});
    Select(host->ase, {"CUSTOMER"});
    TestOdbc::StatementLog log;
    toDb2();

    EXPECT_EQ(log.to(ase), QStringList{"SELECT * FROM [CUSTOMER]"});
    EXPECT_EQ(
        log.to(db2),
        (QStringList{"CREATE TABLE \"CUSTOMER\"(\"ID\" LONG VARCHAR,\"NAME\" LONG VARCHAR,\"BORN\" DATE);",
                     "INSERT INTO \"CUSTOMER\" VALUES('7', 'O''Brien', '5/1/2021')",
                     "INSERT INTO \"CUSTOMER\" VALUES('7', NULL, '5/1/2021')",
                     "INSERT INTO \"CUSTOMER\" VALUES('7', NULL, '5/1/2021')"}));
    EXPECT_EQ(host->db2.items(), QStringList{"CUSTOMER"});
    EXPECT_EQ(Texts(db2, "SELECT * FROM \"CUSTOMER\""),
              (std::vector<QStringList>{
                  {"7", "O'Brien", "5/1/2021"}, {"7", Null, "5/1/2021"}, {"7", Null, "5/1/2021"}}));
    EXPECT_TRUE(host->messages.empty() && host->failures.empty());
}

// Under day-first regional settings a DB2 DATE still gets the same day;
// every other value keeps its regional text.
TEST_F(SendTest, DatesReachDb2AsTheSameDayUnderAnyRegionalSettings) {
    struct DefaultLocale {
        DefaultLocale() { QLocale::setDefault(QLocale(QStringLiteral("en_GB"))); }
        ~DefaultLocale() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    } british;
    open({"CREATE TABLE d (born DATE)", "INSERT INTO d VALUES ('2021-05-01')"},
         {"CREATE TABLE e (born DATE, seen TIMESTAMP)",
          "INSERT INTO e VALUES ('2021-05-01', '2021-05-01 13:45:00')"});
    Select(host->ase, {"e"});
    Select(host->db2, {"d"});
    TestOdbc::StatementLog log;
    toDb2();
    toAse();

    EXPECT_EQ(log.to(db2).mid(0, 2),
              (QStringList{"CREATE TABLE \"e\"(\"born\" DATE,\"seen\" LONG VARCHAR);",
                           "INSERT INTO \"e\" VALUES('2021-05-01', '01/05/2021 13:45:00')"}));
    EXPECT_EQ(TestOdbc::rows(db2, "SELECT born FROM e"),
              (std::vector<std::vector<Db::Value>>{{Db::Date{2021, 5, 1}}}));
    EXPECT_EQ(log.to(ase).last(), "INSERT INTO [d] VALUES('01/05/2021')")
        << "text columns keep the regional date";
    EXPECT_TRUE(host->messages.empty() && host->failures.empty());
}

// Every kind of value there and back: DB2 to ASE as text, and from there to
// a second DB2 database, where only the empty texts turn into NULL.
TEST_F(SendTest, NastyValuesSurviveTheRoundTrip) {
    QString longText;
    for (int i = 0; i < 10000; ++i) longText += QStringLiteral("ab'\"");
    const QStringList nasty{
        "CREATE TABLE nasty (id INTEGER, t TEXT, big BIGINT, d DOUBLE, dt DATE, tm TIME, ts TIMESTAMP, f "
        "BOOLEAN, "
        "bl BLOB)",
        "INSERT INTO nasty VALUES (1, 'O''Brien \"quoted\" a]b [c]', 9223372036854775807, 0.1, '2021-05-01', "
        "'13:45:06', '2021-05-01 13:45:06.125', 1, X'00FF10')",
        "INSERT INTO nasty VALUES (2, 'Zoë 東京 😀 ''''', -9223372036854775808, -1.2345e300, "
        "'1900-12-30', '00:00:00', '2021-05-01 00:00:00', 0, X'')",
        "INSERT INTO nasty VALUES (3, '', NULL, NULL, NULL, NULL, NULL, NULL, NULL)",
        "INSERT INTO nasty VALUES (4, '" + QString(longText).replace("'", "''") +
            "', 0, 4.9406564584124654e-324, '9999-12-31', '23:59:59', '1999-12-31 23:59:59.999', 1, "
            "X'DEADBEEF')",
        "INSERT INTO nasty VALUES (5, NULL, -1, 1e15, '2000-02-29', '12:00:00', '2000-02-29 "
        "00:00:00.000001', 0, "
        "X'00')",
        "INSERT INTO nasty VALUES (6, ' ', 42, 0.000056789, NULL, NULL, NULL, NULL, NULL)",
    };
    const std::vector<QStringList> asText{
        {"1", "O'Brien \"quoted\" a]b [c]", "9223372036854775807", "0.1", "5/1/2021", "1:45:06 PM",
         "5/1/2021 1:45:06.125 PM", "True", "00FF10"},
        {"2", "Zoë 東京 😀 ''", "-9223372036854775808", "-1.2345E+300", "12/30/1900", "12:00:00 AM",
         "5/1/2021", "False", ""},
        {"3", "", "", "", "", "", "", "", ""},
        {"4", longText, "0", "5E-324", "12/31/9999", "11:59:59 PM", "12/31/1999 11:59:59.999 PM", "True",
         "DEADBEEF"},
        {"5", "", "-1", "1E+15", "2/29/2000", "12:00:00 PM", "2/29/2000 12:00:00.000001 AM", "False", "00"},
        {"6", " ", "42", "0.000056789", "", "", "", "", ""},
    };
    std::vector<QStringList> withNulls = asText;
    for (auto& row : withNulls)
        for (auto& v : row)
            if (v.isEmpty()) v = Null;
    // With the rows in memory, and with a budget that sends all but the
    // first through the spool's file, the long text larger than the budget.
    for (const char* budget : {"", "100"}) {
        SCOPED_TRACE(budget);
        const QString spool = TestOdbc::freshFolder();
        TestOdbc::EnvironmentVariable tmpdir("TMPDIR", spool.toUtf8());
        TestOdbc::EnvironmentVariable spoolBudget("VELMARCH_SPOOL_BUDGET", budget);
        db2 = TestOdbc::freshFolder() + "/db2.db";
        ase = TestOdbc::freshFolder() + "/ase.db";
        open(nasty);
        Select(host->db2, {"nasty"});
        toAse();
        EXPECT_EQ(Texts(ase, "SELECT * FROM nasty"), asText);

        const QString back = TestOdbc::freshFolder() + "/db2-back.db";
        host->db2Login = TestOdbc::profileFor(back);
        relist();
        Select(host->ase, {"nasty"});
        toDb2();
        EXPECT_EQ(Texts(back, "SELECT * FROM nasty"), withNulls);
        EXPECT_TRUE(host->messages.empty() && host->failures.empty())
            << host->reports().join("\n").toStdString();
        EXPECT_TRUE(EmptyFolder(spool));
    }
}

TEST_F(SendTest, OverwriteAskedByTheTargetListIgnoringCase) {
    struct Case {
        Answer answer;
        QStringList aseStatements;
        QString aseRow;
    };
    const std::vector<Case> cases{
        {Answer::No, {}, "old"},
        {Answer::Yes,
         {"DROP TABLE [EMP]", "CREATE TABLE [EMP]([v] TEXT)", "INSERT INTO [EMP] VALUES('new')"},
         "new"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer == Answer::Yes ? "yes" : "no");
        db2 = TestOdbc::freshFolder() + "/db2.db";
        ase = TestOdbc::freshFolder() + "/ase.db";
        open({"CREATE TABLE EMP (v TEXT)", "INSERT INTO EMP VALUES ('new')"},
             {"CREATE TABLE emp (v TEXT)", "INSERT INTO emp VALUES ('old')"});
        // Entries that differ from the lower-cased name only in case stay.
        host->ase.AddItem("EMP");
        host->ase.AddItem("Emp");
        Select(host->db2, {"EMP"});
        host->answers = {c.answer};
        TestOdbc::StatementLog log;
        toAse();

        EXPECT_EQ(host->overwriteAsked, QStringList{"EMP"});
        EXPECT_EQ(log.to(ase), c.aseStatements);
        if (c.answer == Answer::No) {
            EXPECT_TRUE(log.all().isEmpty());
        }
        EXPECT_EQ(host->ase.items().count("emp"), 1);
        EXPECT_EQ(host->ase.items().size(), 3);
        EXPECT_EQ(Texts(ase, "SELECT * FROM emp"), std::vector<QStringList>{{c.aseRow}});
    }
}

TEST_F(SendTest, TowardsDb2TheListedNameIsRemovedAndAddedAsIs) {
    open({"CREATE TABLE Emp (v TEXT)"}, {"CREATE TABLE emp (v TEXT)", "INSERT INTO emp VALUES ('x')"});
    host->db2.AddItem("EMP");
    host->db2.AddItem("emp");
    Select(host->ase, {"emp"});
    host->answers = {Answer::Yes};
    TestOdbc::StatementLog log;
    toDb2();

    EXPECT_EQ(host->overwriteAsked.size(), 1);
    EXPECT_EQ(log.to(db2), (QStringList{"DROP TABLE \"emp\"", "CREATE TABLE \"emp\"(\"v\" LONG VARCHAR);",
                                        "INSERT INTO \"emp\" VALUES('x')"}));
    QStringList entries = host->db2.items();
    entries.sort();
    EXPECT_EQ(entries, (QStringList{"EMP", "Emp", "emp"}));
}

TEST_F(SendTest, SelectedTablesGoFromTheBottomUp) {
    QStringList setup;
    for (int i = 0; i < 7; ++i) setup << QString("CREATE TABLE t%1 (x INTEGER)").arg(i);
    open(setup);
    Select(host->db2, {"t1", "t4", "t6"});
    TestOdbc::StatementLog log;
    toAse();

    EXPECT_EQ(log.to(db2),
              (QStringList{"SELECT * FROM \"t6\"", "SELECT * FROM \"t4\"", "SELECT * FROM \"t1\""}));
    EXPECT_EQ(host->ase.items(), (QStringList{"t1", "t4", "t6"}));
}

// The bar before each row, the pointer while rows go, and both afterwards;
// a table without rows is still created and listed.
TEST_F(SendTest, ProgressPointerAndTablesWithoutRowsOrWithOneColumn) {
    open({"CREATE TABLE none (a INTEGER, b TEXT)", "CREATE TABLE one (c TEXT)",
          "INSERT INTO one VALUES ('x'), (NULL), ('z')"});
    Select(host->db2, {"none", "one"});
    std::vector<double> bar;
    std::vector<bool> busy;
    TestOdbc::StatementLog log([&](const Db::Connection&, const QString&) {
        bar.push_back(host->progress.empty() ? 0 : host->progress.back());
        busy.push_back(host->busy);
    });
    toAse();

    EXPECT_EQ(log.to(ase), (QStringList{"CREATE TABLE [one]([c] TEXT)", "INSERT INTO [one] VALUES('x')",
                                        "INSERT INTO [one] VALUES('')", "INSERT INTO [one] VALUES('z')",
                                        "CREATE TABLE [none]([a] TEXT,[b] TEXT)"}));
    // SELECT one, CREATE, three rows, SELECT none, CREATE.
    EXPECT_EQ(bar, (std::vector<double>{0, 0, 1.0 / 3 * 100, 2.0 / 3 * 100, 100, 0, 0}));
    EXPECT_TRUE(busy[4]);
    EXPECT_EQ(host->progress.back(), 0);
    EXPECT_FALSE(host->busy);
    EXPECT_EQ(host->ase.items(), (QStringList{"none", "one"}));
    EXPECT_TRUE(Texts(ase, "SELECT * FROM none").empty());

    Select(host->ase, {"one"});
    host->answers = {Answer::Yes};
    TestOdbc::StatementLog back;
    toDb2();
    EXPECT_EQ(back.to(db2),
              (QStringList{"DROP TABLE \"one\"", "CREATE TABLE \"one\"(\"c\" LONG VARCHAR);",
                           "INSERT INTO \"one\" VALUES('x')", "INSERT INTO \"one\" VALUES(NULL)",
                           "INSERT INTO \"one\" VALUES('z')"}));
}

TEST_F(SendTest, FailedCreateLeavesAnUnlistedTableUntouched) {
    struct Case {
        bool toAse;
        QString report;
    };
    for (const Case& c :
         {Case{true, "Form2.PushButton3_Click 192"}, Case{false, "Form2.PushButton4_Click 202"}}) {
        SCOPED_TRACE(c.report.toStdString());
        db2 = TestOdbc::freshFolder() + "/db2.db";
        ase = TestOdbc::freshFolder() + "/ase.db";
        const QStringList source{"CREATE TABLE orders (v TEXT)", "INSERT INTO orders VALUES ('new')"};
        const QStringList target{"CREATE TABLE orders (v TEXT)", "INSERT INTO orders VALUES ('keep')"};
        c.toAse ? open(source, target) : open(target, source);
        NameList& from = c.toAse ? host->db2 : host->ase;
        NameList& to = c.toAse ? host->ase : host->db2;
        to.Clear();
        Select(from, {"orders"});
        TestOdbc::StatementLog log;
        c.toAse ? toAse() : toDb2();

        EXPECT_EQ(host->reports(), QStringList{c.report});
        EXPECT_EQ(log.to(c.toAse ? ase : db2).filter(QRegularExpression("^INSERT")), QStringList{});
        EXPECT_EQ(Texts(c.toAse ? ase : db2, "SELECT * FROM orders"), std::vector<QStringList>{{"keep"}});
        EXPECT_TRUE(to.items().isEmpty());
    }
}

// A row the target refuses (here a trigger that the target gains once the
// copy has created its table) is reported; the rows after it still go.
// Rows sent in batches of bound parameters too, where the batch says
// which of its rows the target refused.
TEST_F(SendTest, FailedInsertIsReportedAndTheNextRowsStillGo) {
    struct Case {
        bool toAse;
        int batch;
        QString report;
    };
    for (const Case& c :
         {Case{true, 0, "Form2.PushButton3_Click 232"}, Case{false, 0, "Form2.PushButton4_Click 244"},
          Case{true, 3, "Form2.PushButton3_Click 232"}, Case{false, 1, "Form2.PushButton4_Click 244"}}) {
        SCOPED_TRACE(c.report.toStdString() + " batch " + std::to_string(c.batch));
        db2 = TestOdbc::freshFolder() + "/db2.db";
        ase = TestOdbc::freshFolder() + "/ase.db";
        const QStringList source{"CREATE TABLE r (v TEXT)",
                                 "INSERT INTO r VALUES ('a'), ('bad'), ('c'), ('d')"};
        c.toAse ? open(source) : open({}, source);
        const QString target = c.toAse ? ase : db2;
        bool armed = false;
        const TestOdbc::StatementLog arm([&](const Db::Connection&, const QString& s) {
            if (armed || !s.startsWith("INSERT")) return;
            armed = true;
            TestOdbc::exec(target, {"CREATE TRIGGER refuse BEFORE INSERT ON r WHEN NEW.v = 'bad' "
                                    "BEGIN SELECT RAISE(ABORT, 'row refused'); END"});
        });
        Select(c.toAse ? host->db2 : host->ase, {"r"});
        const Send::Options options{false, c.batch, false};
        c.toAse ? Send::ToAse(*host, options) : Send::ToDb2(*host, options);

        EXPECT_EQ(host->reports(), QStringList{c.report});
        EXPECT_TRUE(host->failures.at(0).description.contains("row refused"));
        EXPECT_EQ(host->failures.at(0).row, 2);
        EXPECT_EQ(host->messages, QStringList{"1 of 4 rows of r were not copied."});
        EXPECT_EQ(Texts(target, "SELECT * FROM r"), (std::vector<QStringList>{{"a"}, {"c"}, {"d"}}));
        EXPECT_EQ((c.toAse ? host->ase : host->db2).items(), QStringList{"r"});
    }
}

// A target that refuses every row from some row on (a full disk, say): the
// first refusal is reported, the rest are counted, the table stops after a
// hundred in a row, the user is told how many rows were lost, and the run
// goes on with the next table.
TEST_F(SendTest, AFailureThatRepeatsEveryRowStopsThatTableOnly) {
    open({"CREATE TABLE a (v TEXT)", "INSERT INTO a VALUES ('x')", "CREATE TABLE r (v INTEGER)",
          "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 300) "
          "INSERT INTO r SELECT i FROM n"});
    Select(host->db2, {"a", "r"});
    int inserts = 0;
    TestOdbc::StatementLog log([&](const Db::Connection&, const QString& s) {
        if (s.startsWith("INSERT INTO [r]") && ++inserts == 6)
            TestOdbc::exec(ase, {"CREATE TRIGGER refuse BEFORE INSERT ON r BEGIN "
                                 "SELECT RAISE(ABORT, 'database or disk is full'); END"});
    });
    toAse();

    EXPECT_EQ(host->reports(), QStringList{"Form2.PushButton3_Click 232"});
    EXPECT_EQ(host->failures.at(0).row, 6);
    EXPECT_EQ(host->messages, QStringList{"295 of 300 rows of r were not copied. The copy stopped after 100 "
                                          "rows in a row failed the same way."});
    EXPECT_EQ(log.to(ase).filter(QRegularExpression("^INSERT INTO \\[r\\]")).size(), 105);
    EXPECT_EQ(Texts(ase, "SELECT COUNT(*) FROM r"), std::vector<QStringList>{{"5"}});
    EXPECT_EQ(Texts(ase, "SELECT * FROM a"), std::vector<QStringList>{{"x"}});
    EXPECT_EQ(host->ase.items(), (QStringList{"a", "r"}));
}

// The lists read again while a run goes on (back, other logins, next): the
// run finishes into the database it opened, and leaves the new list alone.
TEST_F(SendTest, AListReadAgainDuringARunIsNotEditedByIt) {
    open({"CREATE TABLE c (x TEXT)", "INSERT INTO c VALUES ('1'), ('2')"},
         {"CREATE TABLE c (x TEXT)", "INSERT INTO c VALUES ('old')"});
    const QString other = folder + "/other-ase.db";
    TestOdbc::exec(other, {"CREATE TABLE elsewhere (x TEXT)"});
    Select(host->db2, {"c"});
    host->answers = {Answer::Yes};
    duringRun("DROP", [&] {
        host->aseLogin = TestOdbc::profileFor(other);
        SybaseASE::ListTables(host->aseLogin, host->ase, [] {});
    });
    toAse();

    EXPECT_EQ(host->ase.items(), QStringList{"elsewhere"});
    EXPECT_EQ(Texts(ase, "SELECT * FROM c"), (std::vector<QStringList>{{"1"}, {"2"}}));
    EXPECT_TRUE(host->messages.empty() && host->failures.empty());
}

// Names always stand as one identifier: doubled quotes towards DB2, and
// towards ASE nothing at all for a table whose name or a column name holds
// ']', while the run goes on with the other tables.
TEST_F(SendTest, NamesAreDelimitedOrTheTableIsRefused) {
    open({"CREATE TABLE \"a]b\" (x TEXT)", "CREATE TABLE cols (\"x]y\" TEXT)",
          "CREATE TABLE \"Q\"\"T\" (\"c\"\"1\" TEXT)", "INSERT INTO \"Q\"\"T\" VALUES ('v')"},
         {"CREATE TABLE cols (x TEXT)", "INSERT INTO cols VALUES ('kept')", "CREATE TABLE \"s]t\" (x TEXT)",
          "CREATE TABLE \"q\"\"t\" (\"c\"\"1\" TEXT)", "INSERT INTO \"q\"\"t\" VALUES ('w')"});
    Select(host->db2, {"a]b", "cols", "Q\"T"});
    host->answers = {Answer::Yes, Answer::Yes, Answer::Yes};  // Q"T and cols, then q"t on the way back
    TestOdbc::StatementLog log;
    toAse();

    EXPECT_EQ(host->messages, (QStringList{Identifiers::AseRefusal("cols"), Identifiers::AseRefusal("a]b")}));
    EXPECT_EQ(log.to(ase), (QStringList{"DROP TABLE [Q\"T]", "CREATE TABLE [Q\"T]([c\"1] TEXT)",
                                        "INSERT INTO [Q\"T] VALUES('v')"}));
    EXPECT_EQ(log.to(db2), (QStringList{"SELECT * FROM \"Q\"\"T\"", "SELECT * FROM \"cols\""}));
    EXPECT_EQ(Texts(ase, "SELECT * FROM cols"), std::vector<QStringList>{{"kept"}});

    host->messages.clear();
    Select(host->ase, {"s]t", "q\"t"});
    TestOdbc::StatementLog back;
    toDb2();
    EXPECT_EQ(host->messages, QStringList{Identifiers::AseRefusal("s]t")});
    EXPECT_EQ(back.to(ase), QStringList{"SELECT * FROM [q\"t]"});
    EXPECT_EQ(back.to(db2),
              (QStringList{"DROP TABLE \"q\"\"t\"", "CREATE TABLE \"q\"\"t\"(\"c\"\"1\" LONG VARCHAR);",
                           "INSERT INTO \"q\"\"t\" VALUES('v')"}));
}

TEST_F(SendTest, AConnectionThatDoesNotOpenEndsTheRunWithOneReport) {
    struct Case {
        bool toAse;
        bool aseBroken;
        QString report;
    };
    const std::vector<Case> cases{
        {true, true, "Form2.PushButton3_Click 112"},
        {true, false, "Form2.PushButton3_Click 116"},
        {false, true, "Form2.PushButton4_Click 114"},
        {false, false, "Form2.PushButton4_Click 118"},
    };
    open({"CREATE TABLE a (x TEXT)"}, {"CREATE TABLE b (x TEXT)"});
    Select(host->db2, {"a"});
    Select(host->ase, {"b"});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.report.toStdString());
        host->failures.clear();
        host->aseLogin = c.aseBroken ? TestOdbc::brokenProfile() : TestOdbc::profileFor(ase);
        host->db2Login = c.aseBroken ? TestOdbc::profileFor(db2) : TestOdbc::brokenProfile();
        TestOdbc::StatementLog log;
        c.toAse ? toAse() : toDb2();
        EXPECT_EQ(host->reports(), QStringList{c.report});
        EXPECT_TRUE(host->messages.empty());
        EXPECT_TRUE(log.all().isEmpty());
        EXPECT_FALSE(host->busy);
    }
}

TEST_F(SendTest, WithoutCurrentItemOnlyAMessage) {
    open({"CREATE TABLE a (x TEXT)"}, {"CREATE TABLE b (x TEXT)"});
    TestOdbc::StatementLog log;
    toAse();
    toDb2();
    EXPECT_EQ(host->messages, (QStringList{"Please select a table", "Please select a table to send."}));
    EXPECT_TRUE(log.all().isEmpty());
    EXPECT_TRUE(host->busyCalls.empty());
}

// The source is read before the target is dropped, so a table that cannot
// be read costs nothing on the other side: one missing from the source, and
// one whose rows find no room in the temp folder, because TMPDIR names a
// file (which root cannot write into either) or because the folder fills up.
TEST_F(SendTest, AnUnreadableSourceIsReportedAndTheRunGoesOn) {
    enum Cause { Missing, TempIsAFile, TempFillsUp };
    struct Case {
        Cause cause;
        QString says;
    };
    for (const Case& c : {Case{Missing, "no such table: ghost"}, Case{TempIsAFile, "Not a directory"},
                          Case{TempFillsUp, "File too large"}}) {
        SCOPED_TRACE(c.says.toStdString());
        db2 = TestOdbc::freshFolder() + "/db2.db";
        ase = TestOdbc::freshFolder() + "/ase.db";
        QStringList source{"CREATE TABLE real (x TEXT)", "INSERT INTO real VALUES ('r')"};
        if (c.cause != Missing) source << "CREATE TABLE ghost (x TEXT)" << FillStatement("ghost", 1000);
        open(source, {"CREATE TABLE ghost (x TEXT)", "INSERT INTO ghost VALUES ('g')"});
        if (c.cause == Missing) host->db2.AddItem("ghost");
        Select(host->db2, {"ghost", "real"});
        host->answers = {Answer::Yes};
        TestOdbc::StatementLog log;
        {
            const QString temp = TestOdbc::freshFolder();
            QFile(temp + "/file").open(QIODevice::WriteOnly);
            TestOdbc::EnvironmentVariable tmpdir("TMPDIR",
                                                 (c.cause == TempIsAFile ? temp + "/file" : temp).toUtf8());
            TestOdbc::EnvironmentVariable spoolBudget("VELMARCH_SPOOL_BUDGET", "1000");
            std::optional<FileSizeLimit> full;
            if (c.cause == TempFillsUp) full.emplace(64 << 10);
            toAse();
        }

        EXPECT_EQ(host->reports(), QStringList{"Form2.PushButton3_Click 140"});
        EXPECT_TRUE(host->failures.at(0).description.contains(c.says))
            << host->failures.at(0).description.toStdString();
        EXPECT_EQ(log.to(ase),
                  (QStringList{"CREATE TABLE [real]([x] TEXT)", "INSERT INTO [real] VALUES('r')"}));
        EXPECT_EQ(Texts(ase, "SELECT * FROM ghost"), std::vector<QStringList>{{"g"}});
        EXPECT_EQ(Texts(ase, "SELECT * FROM real"), std::vector<QStringList>{{"r"}});
        EXPECT_EQ(host->ase.items(), (QStringList{"ghost", "real"}));
    }
}

// The spool's file has no name in the temp folder even while a copy reads
// its rows back, so a copy killed midway leaves nothing there; meanwhile
// only the user can read it.
TEST_F(SendTest, ACopyKilledMidwayLeavesNothingInTheTempFolder) {
    open({"CREATE TABLE big (x TEXT)", FillStatement("big", 1000)});
    Select(host->db2, {"big"});
    const QString temp = TestOdbc::freshFolder();
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    struct Child {
        pid_t pid;
        ~Child() {
            if (pid <= 0) return;
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    } child{fork()};
    ASSERT_GE(child.pid, 0);
    if (child.pid == 0) {
        TestOdbc::EnvironmentVariable tmpdir("TMPDIR", temp.toUtf8());
        TestOdbc::EnvironmentVariable spoolBudget("VELMARCH_SPOOL_BUDGET", "1000");
        duringRun("INSERT", [&] {
            (void)!write(ready[1], "!", 1);
            for (;;) pause();
        });
        toAse();
        _exit(1);
    }
    close(ready[1]);
    char byte = 0;
    ASSERT_EQ(read(ready[0], &byte, 1), 1) << "the copy never reached its rows";
    close(ready[0]);

    QStringList spools;
    const QString fds = QString("/proc/%1/fd/").arg(child.pid);
    for (const QString& fd : QDir(fds).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        char target[4096];
        const ssize_t length = readlink(QFile::encodeName(fds + fd).constData(), target, sizeof target);
        const QString path = QFile::decodeName(QByteArray(target, std::max<ssize_t>(length, 0)));
        if (!path.startsWith(temp + "/")) continue;
        spools << path;
        struct stat st {};
        ASSERT_EQ(stat(QFile::encodeName(fds + fd).constData(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0600u);
    }
    ASSERT_EQ(spools.size(), 1) << "the copy reads its rows from a spool file";
    EXPECT_TRUE(spools[0].endsWith(" (deleted)")) << spools[0].toStdString();
    EXPECT_TRUE(EmptyFolder(temp));

    kill(child.pid, SIGKILL);
    int status = 0;
    ASSERT_EQ(waitpid(child.pid, &status, 0), child.pid);
    child.pid = 0;
    EXPECT_TRUE(WIFSIGNALED(status));
    EXPECT_TRUE(EmptyFolder(temp));
}

TEST_F(SendTest, ListsEmptiedInsideAYieldEndTheWalkQuietly) {
    open({"CREATE TABLE a (x TEXT)", "CREATE TABLE b (x TEXT)", "CREATE TABLE c (x TEXT)",
          "INSERT INTO c VALUES ('1'), ('2'), ('3')"});
    Select(host->db2, {"a", "b", "c"});
    duringRun("INSERT", [&] { host->db2.Clear(); });
    toAse();

    EXPECT_TRUE(host->messages.empty() && host->failures.empty()) << host->reports().join("\n").toStdString();
    EXPECT_EQ(Texts(ase, "SELECT * FROM c").size(), 3u);
    EXPECT_EQ(host->ase.items(), QStringList{"c"});
    EXPECT_FALSE(host->busy);
}

// A second send inside a yield meets the table the first is filling: its
// CREATE fails, so it writes no row; the first finishes its rows.
TEST_F(SendTest, ASecondSendInsideAYieldWritesNoRowTwice) {
    open({"CREATE TABLE c (x TEXT)", "INSERT INTO c VALUES ('1'), ('2'), ('3')"});
    Select(host->db2, {"c"});
    duringRun("INSERT", [&] { toAse(); });
    toAse();

    EXPECT_EQ(host->reports(), QStringList{"Form2.PushButton3_Click 192"});
    EXPECT_EQ(Texts(ase, "SELECT * FROM c"), (std::vector<QStringList>{{"1"}, {"2"}, {"3"}}));
    EXPECT_EQ(host->ase.items(), QStringList{"c"});
}

TEST_F(SendTest, EndingTheProgramInsideAYieldStopsTheRun) {
    open({"CREATE TABLE c (x TEXT)", "INSERT INTO c VALUES ('1'), ('2'), ('3')"});
    Select(host->db2, {"c"});
    duringRun("INSERT", [&] { host->ending = true; });
    EXPECT_THROW(toAse(), Program::Ending);

    EXPECT_TRUE(host->messages.empty() && host->failures.empty());
    EXPECT_EQ(Texts(ase, "SELECT * FROM c").size(), 1u);
}

// A stop asked for while the source is read sends no DROP; one asked for
// once the DROP went waits for the CREATE. The table the user had is kept
// or replaced, never lost.
TEST_F(SendTest, AStopNeverLeavesATargetDroppedAndNotCreated) {
    struct Case {
        bool toAse;
        QString stopAt;  // the statement after which the stop is asked for
        std::vector<QStringList> left;
    };
    for (const Case& c : {Case{true, "SELECT", {{"old"}}}, Case{false, "SELECT", {{"old"}}},
                          Case{true, "DROP", {}}, Case{false, "DROP", {}}}) {
        SCOPED_TRACE(c.stopAt.toStdString() + (c.toAse ? " to ASE" : " to DB2"));
        db2 = TestOdbc::freshFolder() + "/db2.db";
        ase = TestOdbc::freshFolder() + "/ase.db";
        const QStringList source{"CREATE TABLE t (x TEXT)", FillStatement("t", 500)};
        const QStringList target{"CREATE TABLE t (x TEXT)", "INSERT INTO t VALUES ('old')"};
        c.toAse ? open(source, target) : open(target, source);
        Select(c.toAse ? host->db2 : host->ase, {"t"});
        host->answers = {Answer::Yes};
        TestOdbc::StatementLog log([&](const Db::Connection&, const QString& s) {
            if (s.startsWith(c.stopAt)) host->ending = true;
        });
        EXPECT_THROW(c.toAse ? toAse() : toDb2(), Program::Ending);

        const QString to = c.toAse ? ase : db2;
        EXPECT_EQ(log.to(to).size(), c.stopAt == "DROP" ? 2 : 0) << log.to(to).join('|').toStdString();
        EXPECT_EQ(Texts(to, "SELECT * FROM t"), c.left);
    }
}

// The check sees a value moved to another row, not only a changed column.
TEST_F(SendTest, TheCheckSeesValuesMovedBetweenRows) {
    open({}, {"CREATE TABLE t (id TEXT, name TEXT)", "INSERT INTO t VALUES ('1', 'bob'), ('2', 'alice')"});
    struct Case {
        std::vector<std::vector<Db::Value>> sent;
        QString differs;
    };
    const auto row = [](const char* id, const char* name) { return std::vector<Db::Value>{QString(id), QString(name)}; };
    for (const Case& c :
         {Case{{row("2", "alice"), row("1", "bob")}, ""},
          Case{{row("1", "alice"), row("2", "bob")}, "its rows do not hold the values sent together: values moved between rows"},
          Case{{row("1", "bob"), row("2", "carol")}, "column name does not hold the values sent"},
          Case{{row("1", "bob")}, "the target holds 2 rows, 1 were read; columns id, name do not hold the values sent"}}) {
        Verify verify(2);
        for (const auto& r : c.sent) verify.sent(r);
        Db::Connection target;
        target.Open(TestOdbc::aseString(ase));
        EXPECT_EQ(verify.check(target, "SELECT * FROM t", qsizetype(c.sent.size()),
                               [](int, const Db::Value& v) { return v; }),
                  c.differs);
    }
}

// A target whose disk fills while batches go: a COMMIT fails. The batch
// ends empty, its rows count as the row-by-row path counts them, and the
// count of rows not copied is what the target lacks.
TEST_F(SendTest, ATargetFillingUpUnderABatchCountsWhatItHolds) {
    open({"CREATE TABLE big (id INTEGER, v TEXT)",
          "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
          "INSERT INTO big SELECT i, replace(hex(zeroblob(450)), '00', 'ab') FROM n"});
    Select(host->db2, {"big"});
    {
        FileSizeLimit full(600 << 10);
        Send::ToAse(*host, {false, 50, false});
    }
    const auto held = std::get<std::int64_t>(TestOdbc::rows(ase, "SELECT COUNT(*) FROM big").at(0).at(0));
    EXPECT_GT(held, 0);
    EXPECT_LT(held, 3000);
    ASSERT_FALSE(host->messages.isEmpty());
    EXPECT_TRUE(host->messages.last().startsWith(QString("%1 of 3000 rows of big were not copied.").arg(3000 - held)))
        << held << " held; " << host->messages.join('|').toStdString();
}

// The sample music store, its smaller tables at least: accented names,
// dates, decimals and NULLs as real data has them.
TEST_F(SendTest, ChinookTablesGoOverWhole) {
    const QString chinook =
        QFileInfo(QStringLiteral(__FILE__)).absolutePath() + "/../../../shared/data/chinook.sqlite";
    // The sample sits beside the project, not in it: a checkout without it
    // skips this test rather than failing it.
    if (!QFileInfo::exists(chinook)) GTEST_SKIP() << "no sample database at " << chinook.toStdString();
    ASSERT_TRUE(QFile::copy(chinook, db2)) << chinook.toStdString();
    QFile(db2).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    open({});
    const QStringList tables{"Album", "Artist",  "Customer",  "Employee",
                             "Genre", "Invoice", "MediaType", "Playlist"};
    Select(host->db2, tables);
    toAse();

    EXPECT_TRUE(host->messages.empty() && host->failures.empty()) << host->reports().join("\n").toStdString();
    QStringList lower;
    for (const QString& t : tables) {
        lower << t.toLower();
        const QString count = "SELECT COUNT(*) FROM " + Identifiers::Db2(t);
        EXPECT_EQ(Texts(ase, count), Texts(db2, count)) << t.toStdString();
    }
    EXPECT_EQ(host->ase.items(), lower);
    EXPECT_EQ(Texts(ase, "SELECT * FROM invoice WHERE InvoiceId = '1'"),
              (std::vector<QStringList>{{"1", "2", "1/1/2021", "Theodor-Heuss-Straße 34", "Stuttgart", "",
                                         "Germany", "70174", "1.98"}}));
}

}  // namespace
