#include <gtest/gtest.h>

#include <memory>

#include "app/core/Program.h"
#include "catalog/core/Identifiers.h"
#include "catalog/core/Listing.h"
#include "catalog/core/Maintenance.h"
#include "catalog/core/Statements.h"
#include "connections/core/Connection.h"
#include "support/RecordingHost.h"
#include "support/TestOdbc.h"

namespace {

// The delete and rename commands over two SQLite files, the DB2 one and the
// ASE one, each holding the tables a test asks for, listed as the tables
// window lists them.
class MaintenanceFixture : public ::testing::Test {
protected:
    static void create(const QString& path, const QStringList& names) {
        QStringList statements;
        for (const QString& n : names) statements << "CREATE TABLE " + Identifiers::Db2(n) + " (x INTEGER)";
        TestOdbc::exec(path, statements);
    }

    // A fresh pair of databases and lists; what earlier calls showed is
    // forgotten.
    void open(const QStringList& db2Tables, const QStringList& aseTables) {
        host = std::make_unique<RecordingHost>();
        const QString folder = TestOdbc::freshFolder();
        db2 = folder + "/db2.db";
        ase = folder + "/ase.db";
        create(db2, db2Tables);
        create(ase, aseTables);
        host->db2Login = TestOdbc::profileFor(db2);
        host->aseLogin = TestOdbc::profileFor(ase);
        IBMDB2::ListTables(host->db2Login, host->db2, [] {});
        SybaseASE::ListTables(host->aseLogin, host->ase, [] {});
    }

    static void pick(NameList& list, const QList<int>& selected, int current) {
        for (int i : selected) list.setSelected(i, true);
        list.setListIndex(current);
    }

    QString db2, ase;
    std::unique_ptr<RecordingHost> host;
};

// The two delete commands share their rules; each row names one side.
struct Side {
    const char* label;
    bool isDb2;
    const char* procedure;
    int openLine;
    int dropLine;
};

void PrintTo(const Side& s, std::ostream* os) { *os << s.label; }

class DeleteTables : public MaintenanceFixture, public ::testing::WithParamInterface<Side> {
protected:
    bool db2Side() const { return GetParam().isDb2; }
    NameList& list() const { return db2Side() ? host->db2 : host->ase; }
    NameList& otherList() const { return db2Side() ? host->ase : host->db2; }
    const QString& path() const { return db2Side() ? db2 : ase; }
    const QString& otherPath() const { return db2Side() ? ase : db2; }
    QString drop(const QString& name) const {
        return db2Side() ? Statements::DropDb2Table(name) : Statements::DropAseTable(name);
    }
    void run() const {
        db2Side() ? Maintenance::DeleteDb2Tables(*host) : Maintenance::DeleteAseTables(*host);
    }
    void breakLogin() const { (db2Side() ? host->db2Login : host->aseLogin) = TestOdbc::brokenProfile(); }
    QString report(int line) const {
        return GetParam().procedure + QStringLiteral(" ") + QString::number(line);
    }
};

TEST_P(DeleteTables, DropsFromTheLastSelectedToTheFirstAndKeepsTheRestInOrder) {
    const QStringList names{"t0", "t1", "t2", "t3", "t4", "t5", "t6", "t7", "t8"};
    open(names, names);
    pick(list(), {1, 4, 7}, 4);
    std::vector<bool> busyWhileSent;
    TestOdbc::StatementLog log(
        [&](const Db::Connection&, const QString&) { busyWhileSent.push_back(host->busy); });

    run();

    EXPECT_EQ(log.to(path()), (QStringList{drop("t7"), drop("t4"), drop("t1")}));
    EXPECT_TRUE(log.to(otherPath()).isEmpty());
    EXPECT_EQ(busyWhileSent, (std::vector<bool>{true, true, true}));
    const QStringList rest{"t0", "t2", "t3", "t5", "t6", "t8"};
    EXPECT_EQ(list().items(), rest);
    EXPECT_EQ(TestOdbc::tables(path()), rest);
    EXPECT_EQ(otherList().items(), names);
    EXPECT_EQ(TestOdbc::tables(otherPath()), names);
    EXPECT_FALSE(host->busy);
    EXPECT_TRUE(host->messages.empty());
    EXPECT_TRUE(host->failures.empty());
}

TEST_P(DeleteTables, WithoutACurrentItemAsksForATable) {
    open({"a", "b"}, {"a", "b"});
    list().setSelected(1, true);
    ASSERT_EQ(list().ListIndex(), -1);
    TestOdbc::StatementLog log;

    run();

    EXPECT_EQ(host->messages, QStringList{"Please select a table"});
    EXPECT_TRUE(host->failures.empty());
    EXPECT_TRUE(log.all().isEmpty());
    EXPECT_EQ(list().items(), (QStringList{"a", "b"}));
    // The DB2 side ends before touching the pointer; the ASE side has already
    // set the busy one and puts the normal one back.
    EXPECT_EQ(host->busyCalls, db2Side() ? std::vector<bool>() : (std::vector<bool>{true, false}));
}

TEST_P(DeleteTables, ACurrentItemButNoSelectionDoesNothing) {
    open({"a", "b"}, {"a", "b"});
    pick(list(), {}, 0);
    TestOdbc::StatementLog log;

    run();

    EXPECT_TRUE(host->messages.empty());
    EXPECT_TRUE(host->failures.empty());
    EXPECT_TRUE(log.all().isEmpty());
    EXPECT_EQ(list().items(), (QStringList{"a", "b"}));
    EXPECT_FALSE(host->busy);
}

TEST_P(DeleteTables, ARefusedDropKeepsItsItemAndTheWalkGoesOn) {
    open({"a", "b", "c", "d"}, {"a", "b", "c", "d"});
    // Dropped behind the list's back: the list still shows it.
    TestOdbc::exec(path(), {"DROP TABLE b"});
    pick(list(), {0, 1, 2}, 0);
    TestOdbc::StatementLog log;

    run();

    EXPECT_EQ(log.to(path()), (QStringList{drop("c"), drop("b"), drop("a")}));
    EXPECT_EQ(host->reports(), QStringList{report(GetParam().dropLine)});
    EXPECT_TRUE(host->failures.at(0).description.contains("no such table: b"));
    EXPECT_EQ(list().items(), (QStringList{"b", "d"}));
    EXPECT_TRUE(list().Selected(0)) << "the kept item keeps its selected flag";
    EXPECT_EQ(TestOdbc::tables(path()), QStringList{"d"});
    EXPECT_FALSE(host->busy);
}

TEST_P(DeleteTables, EveryNameIsOneIdentifier) {
    const QStringList odd{"q\"uote", "it's", "[open", "with space", "Ünïcödé", "東京"};
    // A name that would end a quoted identifier early and drop "victim".
    const QString db2Trap = "a\"; DROP TABLE \"victim";
    const QString aseTrap = "a]; DROP TABLE [victim";
    QStringList all = odd;
    all << db2Trap << aseTrap << "victim";
    open(all, all);
    for (int i = 0; i < list().ListCount(); ++i)
        if (list().List(i) != "victim") list().setSelected(i, true);
    list().setListIndex(0);
    TestOdbc::StatementLog log;

    run();
    const QStringList sent = log.to(path());

    EXPECT_TRUE(host->failures.empty()) << host->reports().join('|').toStdString();
    EXPECT_EQ(sent.size(), db2Side() ? all.size() - 1 : all.size() - 2);
    EXPECT_EQ(TestOdbc::tables(otherPath()).size(), all.size());
    if (db2Side()) {
        EXPECT_EQ(list().items(), QStringList{"victim"});
        EXPECT_EQ(TestOdbc::tables(path()), QStringList{"victim"});
        EXPECT_TRUE(host->messages.isEmpty());
    } else {
        // ASE has no escape for ']' that is known to hold: the name is never
        // sent, the user is told which table and why, and the rest goes on.
        EXPECT_EQ(list().items(), (QStringList{aseTrap, "victim"}));
        EXPECT_EQ(TestOdbc::tables(path()), (QStringList{aseTrap, "victim"}));
        EXPECT_EQ(host->messages, QStringList{Identifiers::AseDropRefusal(aseTrap)});
        EXPECT_TRUE(host->messages.value(0).contains(aseTrap));
        EXPECT_FALSE(sent.contains(Statements::DropAseTable(aseTrap)));
    }
}

TEST_P(DeleteTables, AConnectionThatDoesNotOpenIsReportedOnce) {
    open({"a", "b", "c"}, {"a", "b", "c"});
    pick(list(), {0, 1, 2}, 0);
    breakLogin();

    run();

    EXPECT_EQ(host->reports(), QStringList{report(GetParam().openLine)});
    EXPECT_TRUE(host->messages.isEmpty());
    EXPECT_EQ(list().items(), (QStringList{"a", "b", "c"}));
    EXPECT_EQ(TestOdbc::tables(path()), (QStringList{"a", "b", "c"}));
    EXPECT_FALSE(host->busy);
}

// The DB2 side connects per table, so with nothing to drop it never tries;
// the ASE side connects before it looks at the list and stops at the
// failure without asking for a table.
TEST_P(DeleteTables, ABrokenLoginWithNothingToDrop) {
    open({"a"}, {"a"});
    breakLogin();

    run();

    if (db2Side()) {
        EXPECT_TRUE(host->failures.empty());
        EXPECT_EQ(host->messages, QStringList{"Please select a table"});
        host->messages.clear();
        pick(list(), {}, 0);
        run();
        EXPECT_TRUE(host->messages.empty());
        EXPECT_TRUE(host->failures.empty());
    } else {
        EXPECT_EQ(host->reports(), QStringList{report(GetParam().openLine)});
        EXPECT_TRUE(host->messages.isEmpty());
    }
    EXPECT_FALSE(host->busy);
}

INSTANTIATE_TEST_SUITE_P(Sides, DeleteTables,
                         ::testing::Values(Side{"Db2", true, "Form2.PushButton1_Click", 112, 114},
                                           Side{"Ase", false, "Form2.PushButton5_Click", 104, 112}),
                         [](const auto& info) { return std::string(info.param.label); });

// The DB2 delete yields before each index, so a program closed while it runs
// stops it before its next table.
TEST_F(MaintenanceFixture, EndingTheProgramStopsTheDb2DeleteAtItsNextYield) {
    open({"a", "b", "c"}, {});
    pick(host->db2, {0, 1, 2}, 0);
    TestOdbc::StatementLog log([this](const Db::Connection&, const QString&) { host->ending = true; });

    EXPECT_THROW(Maintenance::DeleteDb2Tables(*host), Program::Ending);

    EXPECT_EQ(log.all(), QStringList{Statements::DropDb2Table("c")});
    EXPECT_EQ(host->db2.items(), (QStringList{"a", "b"}));
    EXPECT_TRUE(host->messages.empty());
}

using RenameTable = MaintenanceFixture;

TEST_F(RenameTable, NeedsExactlyOneSelectedTable) {
    struct Case {
        const char* what;
        QList<int> selected;
        int current;
        QString message;
    };
    const Case cases[] = {
        {"no current item", {1}, -1, "Please select a table"},
        {"nothing selected", {}, 1, "Please select just one table to rename"},
        {"two selected", {0, 2}, 2, "Please select just one table to rename"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        open({"a", "b", "c"}, {"a", "b", "c"});
        pick(host->db2, c.selected, c.current);
        TestOdbc::StatementLog log;

        Maintenance::RenameDb2Table(*host);

        EXPECT_EQ(host->messages, QStringList{c.message});
        EXPECT_TRUE(host->renameAsked.empty());
        EXPECT_TRUE(log.all().isEmpty());
        EXPECT_EQ(host->db2.items(), (QStringList{"a", "b", "c"}));
        EXPECT_TRUE(host->busyCalls.empty());
    }
}

TEST_F(RenameTable, CancelChangesNothing) {
    open({"emp", "dept"}, {});
    pick(host->db2, {1}, 1);
    host->newNames = {QString()};
    TestOdbc::StatementLog log;

    Maintenance::RenameDb2Table(*host);

    EXPECT_EQ(host->renameAsked, QStringList{"emp"});
    EXPECT_TRUE(log.all().isEmpty());
    EXPECT_TRUE(host->messages.empty());
    EXPECT_EQ(host->db2.items(), (QStringList{"dept", "emp"}));
    EXPECT_EQ(host->busyCalls, (std::vector<bool>{true, false}));
}

// SQLite knows no RENAME TABLE, so the real driver refuses it: the statement
// is still DB2's, the list keeps the old name and the table stays as it was.
TEST_F(RenameTable, ARefusedRenameLeavesTheListAlone) {
    struct Case {
        QString oldName, answer, statement;
    };
    const Case cases[] = {
        {"emp", "   ", R"(RENAME TABLE "emp" TO "   ")"},
        {"emp", "emp", R"(RENAME TABLE "emp" TO "emp")"},
        {"a\"b", "c\"; DROP TABLE \"d", R"(RENAME TABLE "a""b" TO "c""; DROP TABLE ""d")"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.statement.toStdString());
        open({c.oldName, "zz"}, {});
        pick(host->db2, {0}, 0);
        host->newNames = {c.answer};
        TestOdbc::StatementLog log;

        Maintenance::RenameDb2Table(*host);

        EXPECT_EQ(log.to(db2), QStringList{c.statement});
        EXPECT_EQ(host->reports(), QStringList{"Form2.PushButton6_Click 126"});
        EXPECT_EQ(host->db2.items(), (QStringList{c.oldName, "zz"}));
        EXPECT_EQ(TestOdbc::tables(db2), (QStringList{c.oldName, "zz"}));
        EXPECT_FALSE(host->busy);
    }
}

TEST_F(RenameTable, AConnectionThatDoesNotOpenIsReportedOnce) {
    open({"alpha"}, {});
    pick(host->db2, {0}, 0);
    host->db2Login = TestOdbc::brokenProfile();
    host->newNames = {"omega"};

    Maintenance::RenameDb2Table(*host);

    EXPECT_EQ(host->reports(), QStringList{"Form2.PushButton6_Click 124"});
    EXPECT_EQ(host->db2.items(), QStringList{"alpha"});
    EXPECT_FALSE(host->busy);
}

}  // namespace
