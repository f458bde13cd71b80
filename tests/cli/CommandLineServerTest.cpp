#include <gtest/gtest.h>

#include "support/MariaDb.h"
#include "support/TestOdbc.h"
#include "support/Velmarch.h"

namespace {

// The command line with the DB2 side on a real server.
class CommandLineOnServer : public ::testing::Test {
protected:
    CommandLineOnServer()
        : folder(TestOdbc::freshFolder()),
          ase(folder + "/ase.db"),
          db2(MariaDb::server().freshDatabase()),
          settings(SettingsFileFor(folder, db2, TestOdbc::profileFor(ase))) {
        env.insert("XDG_STATE_HOME", folder + "/state");
    }
    VelmarchRun run(QStringList args) { return Velmarch(args << "--settings" << settings, env); }

    QString folder, ase;
    Profile db2;
    QString settings;
    QProcessEnvironment env;
};

// Kept types carry every digit and every byte: whole numbers past 2^53,
// doubles to the last bit, text beyond Latin-1, bytes with zeros in them,
// fractions of a second the driver does not own to. A time of day with
// fractions, which DB2 has no type for, goes as the copy without kept
// types sends it, and says so without failing the run.
// (The SQLite stand-in reads its doubles through 15 digits, so the doubles
// here are ones that survive that.)
TEST_F(CommandLineOnServer, KeptTypesArriveExactlyAndPassTheCheck) {
    TestOdbc::exec(ase, {"CREATE TABLE kinds (i BIGINT, d DOUBLE, t VARCHAR(20), b BLOB, day DATE, "
                         "tm TIME, ts TIMESTAMP)",
                         "INSERT INTO kinds VALUES (9223372036854775807, 0.1, 'Zoë 東京', X'00FF00', "
                         "'2021-05-01', '10:11:12.5', '2021-05-01 10:11:12.25'), "
                         "(-9223372036854775808, 1.25e308, '', X'', '0999-12-31', NULL, NULL), "
                         "(9007199254740993, -2.5e-300, NULL, NULL, NULL, NULL, NULL)"});
    const VelmarchRun r = run({"send", "ase", "kinds", "--keep-types", "--batch", "2", "--verify"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QString note =
        "kinds.tm: DB2 has no time of day with fractions of a second, so the column goes as text in a "
        "LONG VARCHAR column, as a copy without kept types sends it";
    EXPECT_EQ(r.err, note + "\n");
    EXPECT_TRUE(Velmarch({"log"}, env).out.contains(" note: " + note));
    EXPECT_EQ(
        TestOdbc::rows(db2, "SELECT i, d, t, b, day, ts FROM kinds ORDER BY i"),
        (std::vector<std::vector<Db::Value>>{
            {std::int64_t(INT64_MIN), 1.25e308, QString(), QByteArray(), Db::Date{999, 12, 31}, Db::Null{}},
            {std::int64_t(9007199254740993), -2.5e-300, Db::Null{}, Db::Null{}, Db::Null{}, Db::Null{}},
            {std::int64_t(INT64_MAX), 0.1, QString("Zoë 東京"), QByteArray("\0\xff\0", 3),
             Db::Date{2021, 5, 1}, Db::Timestamp{{2021, 5, 1}, {10, 11, 12, 250000000}}}}));
    EXPECT_TRUE(
        TestOdbc::texts(db2, "SELECT tm FROM kinds WHERE tm IS NOT NULL").at(0).at(0).contains("10:11:12.5"));
}

// A target that changes a value on its way (here it cuts a text to the
// kept column's size) fails the check, which names the column on stderr,
// in the summary and in the log.
TEST_F(CommandLineOnServer, TheCheckNamesAColumnTheTargetChanged) {
    TestOdbc::exec(ase, {"CREATE TABLE cut (id INTEGER, v VARCHAR(5))",
                         "INSERT INTO cut VALUES (1, 'short'), (2, 'much too long for twenty characters')"});
    const VelmarchRun r = run({"send", "ase", "cut", "--keep-types", "--verify"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "cut: column v does not hold the values sent.\n");
    const QString said = ", check failed: column v does not hold the values sent";
    EXPECT_TRUE(r.out.contains("cut: 2 rows copied, 0 not copied, ") && r.out.contains(said)) << r.out.toStdString();
    EXPECT_TRUE(Velmarch({"log"}, env).out.contains(said));
}

// Each table is told done only when the server did it, whatever the letter
// case it was typed in.
TEST_F(CommandLineOnServer, DeleteAndRenameTellWhatTheServerDid) {
    TestOdbc::exec(db2, {"CREATE TABLE alpha (x INTEGER)", "CREATE TABLE PARENT (id INTEGER PRIMARY KEY)",
                         "CREATE TABLE CHILD (p INTEGER, FOREIGN KEY (p) REFERENCES PARENT (id))"});
    struct Case {
        QStringList args;
        int status;
        QString out;
    };
    const Case cases[] = {
        {{"rename", "alpha", "Zeta"}, 0, "alpha: renamed to Zeta\n"},
        {{"rename", "Zeta", "Zeta"}, 1, ""},
        {{"delete", "db2", "parent"}, 1, ""},  // CHILD refers to it
        {{"rename", "child", "PARENT"}, 1, ""},
        {{"delete", "db2", "child"}, 0, "child: dropped\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const VelmarchRun r = run(c.args);
        EXPECT_EQ(r.status, c.status) << r.err.toStdString();
        EXPECT_EQ(r.out, c.out);
    }
}

}  // namespace
