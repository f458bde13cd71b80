#include <gtest/gtest.h>

#include <signal.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <algorithm>

#include "connections/core/ConnectionString.h"
#include "connections/core/TableShape.h"
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
    VelmarchRun run(QStringList args, const std::function<void(QProcess&)>& whileRunning = {}) {
        return Velmarch(args << "--settings" << settings, env, whileRunning);
    }

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

Db::TableShape ShapeOf(const QString& connectionString, const QString& table) {
    Db::Connection c;
    c.Open(connectionString);
    return Db::ReadTableShape(c, table, "SELECT * FROM " + table);
}

// The key, the indexes (columns and order) and the constant defaults arrive;
// what cannot be kept is named in the summary and the log, and the copy
// goes on; a unique index the target refuses (duplicates under its
// collation) is told once and the rows stay. (SQLite's driver gives no
// index direction and a text default without its quotes: the direction
// and text defaults are the statement test's.)
TEST_F(CommandLineOnServer, KeepKeysCarriesKeysIndexesAndDefaults) {
    TestOdbc::exec(ase, {"CREATE TABLE parent (id INTEGER PRIMARY KEY)",
                         "CREATE TABLE k (a INT NOT NULL, b VARCHAR(10) NOT NULL, n INT DEFAULT 42, "
                         "u VARCHAR(5), t VARCHAR(10), PRIMARY KEY (b, a))",
                         "CREATE UNIQUE INDEX k_u ON k (u)", "CREATE INDEX k_nt ON k (n DESC, t)",
                         "INSERT INTO k VALUES (1, 'x', 1, 'p', 'q'), (2, 'x', NULL, NULL, NULL)",
                         "CREATE TABLE k2 (id INTEGER PRIMARY KEY AUTOINCREMENT, pid INT, e INT DEFAULT (40 + 2), "
                         "FOREIGN KEY (pid) REFERENCES parent (id), CONSTRAINT ck_e CHECK (e > 0))",
                         "CREATE TRIGGER tr_k2 AFTER INSERT ON k2 BEGIN SELECT 1; END",
                         "CREATE TABLE k3 (v VARCHAR(5))", "CREATE UNIQUE INDEX k3_v ON k3 (v)",
                         "INSERT INTO k3 VALUES ('a'), ('A')"});
    const VelmarchRun r = run({"send", "ase", "k", "k2", "k3", "--keep-keys"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.count("k3: the unique index k3_v was not created: "), 1) << r.err.toStdString();
    EXPECT_EQ(r.err.count('\n'), 1) << r.err.toStdString();
    const QString named =
        "not kept: foreign key (pid) REFERENCES parent (id), check constraint ck_e, trigger tr_k2, auto-increment column id, "
        "expression default of column e";
    EXPECT_EQ(r.out.count(named), 2) << r.out.toStdString();  // under the table's line and in the summary
    EXPECT_TRUE(Velmarch({"log"}, env).out.contains("k2: " + named));
    EXPECT_EQ(TestOdbc::texts(db2, "SELECT v FROM k3 ORDER BY v").size(), 2u);

    Db::TableShape source = ShapeOf(TestOdbc::aseString(ase), "k");
    Db::TableShape target = ShapeOf(IBMDB2::ConnectionString(db2), "k");
    for (Db::TableShape* shape : {&source, &target})
        std::sort(shape->indexes.begin(), shape->indexes.end(),
                  [](const Db::Key& a, const Db::Key& b) { return a.name < b.name; });
    EXPECT_EQ(target.primaryKey.columns, source.primaryKey.columns);
    EXPECT_EQ(target.indexes, source.indexes);
    EXPECT_EQ(target.defaults, (std::vector<std::pair<QString, QString>>{{"n", "42"}, {"u", "NULL"}, {"t", "NULL"}}));
}

// The other way: the source's index direction and text default go, and a
// key the target refuses (SQLite takes no key after its CREATE) is told
// once with the rows kept.
TEST_F(CommandLineOnServer, KeepKeysTowardsAse) {
    TestOdbc::exec(db2, {"CREATE TABLE k (a INT NOT NULL, n INT DEFAULT 42, t VARCHAR(10) DEFAULT 'it''s', "
                         "PRIMARY KEY (a), KEY ix (n DESC, t))",
                         "INSERT INTO k (a) VALUES (1), (2)"});
    const VelmarchRun r = run({"send", "db2", "k", "--keep-keys"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.startsWith("k: the primary key PRIMARY was not created: ")) << r.err.toStdString();
    EXPECT_EQ(r.err.count('\n'), 1) << r.err.toStdString();
    EXPECT_TRUE(Velmarch({"log"}, env).out.contains("CREATE INDEX [ix] ON [k] ([n] DESC, [t]): done"));
    EXPECT_EQ(TestOdbc::texts(ase, "SELECT a, n, t FROM k ORDER BY a"),
              (std::vector<QStringList>{{"1", "42", "it's"}, {"2", "42", "it's"}}));
}

// Refused rows go to DIR/<table>.csv as the row-by-row path sends them, in
// a new file beside an old one, named in the summary and the log, the same
// with batches. The target refuses by a strict column: SQLite keeps a
// VARCHAR(2) holding longer text, kept as 8 bytes.
TEST_F(CommandLineOnServer, RefusedRowsGoToACsvFile) {
    TestOdbc::exec(ase, {"CREATE TABLE r (id INTEGER, v VARCHAR(2), w VARCHAR(2), x VARCHAR(2))",
                         "INSERT INTO r VALUES (1, 'ok', NULL, ''), (2, 'way, too \"long\"', NULL, ''), "
                         "(3, 'ok', 'ok', 'ok'), (4, 'also far too long', '', 'x')"});
    const QString dir = folder + "/rejects";
    QDir().mkpath(dir);
    QFile(dir + "/r.csv").open(QIODevice::WriteOnly);
    TestOdbc::exec(db2, {"SET GLOBAL sql_mode = 'ANSI_QUOTES,STRICT_ALL_TABLES'"});
    const VelmarchRun one = run({"send", "ase", "r", "--keep-types", "--rejects", dir});
    const VelmarchRun batch = run({"send", "ase", "r", "--keep-types", "--rejects", dir, "--overwrite", "--batch", "7"});
    TestOdbc::exec(db2, {"SET GLOBAL sql_mode = 'ANSI_QUOTES'"});
    EXPECT_EQ(one.status, 1);
    EXPECT_TRUE(one.out.contains("2 refused rows in " + dir + "/r.1.csv")) << one.out.toStdString();
    EXPECT_TRUE(batch.out.contains("2 refused rows in " + dir + "/r.2.csv")) << batch.out.toStdString();
    EXPECT_TRUE(Velmarch({"log"}, env).out.contains("r: 2 refused rows in " + dir + "/r.2.csv"));
    QFile file(dir + "/r.1.csv"), again(dir + "/r.2.csv");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly) && again.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.permissions() & 0x7777, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
    const QStringList lines = QString::fromUtf8(file.readAll()).split("\r\n");
    ASSERT_EQ(lines.size(), 4) << lines.join("|").toStdString();
    EXPECT_EQ(lines[0], "id,v,w,x,error");
    EXPECT_TRUE(lines[1].startsWith("2,\"way, too \"\"long\"\"\",,\"\",") && lines[1].contains("Data too long"))
        << lines[1].toStdString();
    EXPECT_TRUE(lines[2].startsWith("4,also far too long,\"\",x,")) << lines[2].toStdString();
    const QString batchFile = QString::fromUtf8(again.readAll());
    EXPECT_EQ(batchFile.split("\r\n").mid(0, 3).join("|").section(',', 0, 5),
              lines.mid(0, 3).join("|").section(',', 0, 5));

    // A plain script mends the cause and loads the file's rows: the target
    // then equals the source. An unquoted empty field is NULL.
    QStringList load{"ALTER TABLE r MODIFY v VARCHAR(40), MODIFY w VARCHAR(40), MODIFY x VARCHAR(40)"};
    for (const QString& line : batchFile.split("\r\n").mid(1)) {
        if (line.isEmpty()) continue;
        QStringList values;
        QString field;
        bool quoted = false, inQuotes = false;
        for (qsizetype i = 0; i <= line.size(); ++i) {
            const QChar c = i < line.size() ? line[i] : QChar(',');
            if (inQuotes && c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                inQuotes = !inQuotes;
                quoted = true;
            } else if (c == ',' && !inQuotes) {
                values << (field.isEmpty() && !quoted ? "NULL" : "'" + field.replace("'", "''") + "'");
                field.clear();
                quoted = false;
            } else {
                field += c;
            }
        }
        values.removeLast();  // the driver's text
        load << "INSERT INTO r VALUES (" + values.join(", ") + ")";
    }
    TestOdbc::exec(db2, load);
    EXPECT_EQ(TestOdbc::texts(db2, "SELECT id, v, w, x FROM r ORDER BY id"),
              TestOdbc::texts(ase, "SELECT id, v, w, x FROM r ORDER BY id"));
}

// Sent four at a time, twelve tables arrive as they do one at a time, value
// for value, with the same reports and counts: the one whose rows the
// target refuses mid-run (a strict column kept as 8 bytes, 200 longer texts
// in a row) stops after 100 of them and is the only one short. Ctrl-C in
// the middle of an overwrite leaves every target there, and no log line is
// broken.
TEST_F(CommandLineOnServer, TablesSentAtOnceArriveAsOneAtATime) {
    QStringList tables, setUp;
    for (int t = 1; t <= 12; ++t) {
        const QString name = QString("t%1").arg(t, 2, 10, QChar('0'));
        tables << name;
        setUp << "CREATE TABLE " + name + " (id INTEGER, v VARCHAR(2), d DOUBLE)"
              << "INSERT INTO " + name +
                     " WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                     "WHERE i < 1500) SELECT i, CASE WHEN " +
                     (t == 5 ? "i BETWEEN 400 AND 599" : "0") +
                     " THEN 'far too long' ELSE 'ok' END, i * 0.25 FROM n";
    }
    TestOdbc::exec(ase, setUp);
    const QStringList args{"send", "ase", "t*", "--keep-types", "--verify"};
    const auto contents = [&] {
        std::vector<std::vector<std::vector<Db::Value>>> all;
        for (const QString& table : tables)
            all.push_back(TestOdbc::rows(db2, "SELECT * FROM " + table + " ORDER BY id"));
        return all;
    };
    TestOdbc::exec(db2, {"SET GLOBAL sql_mode = 'ANSI_QUOTES,STRICT_ALL_TABLES'"});
    const VelmarchRun one = run(args);
    const auto sentOne = contents();
    TestOdbc::exec(db2, {"DROP TABLE " + tables.join(", ")});
    const VelmarchRun atOnce = run(args + QStringList{"--jobs", "4"});
    TestOdbc::exec(db2, {"SET GLOBAL sql_mode = 'ANSI_QUOTES'"});

    const auto sorted = [](const QString& text) {
        QStringList lines = text.split('\n');
        lines.replaceInStrings(QRegularExpression(", [0-9.]+ s\\b"), ", s");
        lines.sort();
        return lines;
    };
    EXPECT_EQ(one.status, 1);
    EXPECT_EQ(atOnce.status, 1);
    EXPECT_EQ(sorted(atOnce.out), sorted(one.out)) << atOnce.out.toStdString();
    EXPECT_EQ(sorted(atOnce.err), sorted(one.err)) << atOnce.err.toStdString();
    EXPECT_TRUE(atOnce.out.contains("t05: 399 rows copied, 1101 not copied")) << atOnce.out.toStdString();
    EXPECT_EQ(atOnce.out.count(" 0 not copied"), 2 * 11) << atOnce.out.toStdString();
    const QString summary = atOnce.out.section("Summary:\n", 1);
    for (int t = 1; t < 12; ++t)
        EXPECT_LT(summary.indexOf(tables[t - 1] + ":"), summary.indexOf(tables[t] + ":"))
            << "in the order named";
    EXPECT_TRUE(contents() == sentOne) << "every value as sent one table at a time";

    const QString log = folder + "/state/Quillmoor/Velmarch.log";
    const auto created = [&] {
        QFile f(log);
        f.open(QIODevice::ReadOnly);
        return f.readAll().count("CREATE TABLE");
    };
    const qsizetype before = created();
    bool sent = false;
    const VelmarchRun stopped = run(args + QStringList{"--overwrite", "--jobs", "4"}, [&](QProcess& p) {
        if (sent || created() < before + 2) return;
        ::kill(pid_t(p.processId()), SIGINT);
        sent = true;
    });
    EXPECT_EQ(stopped.status, 130) << stopped.err.toStdString();
    EXPECT_TRUE(stopped.out.contains("(stopped)")) << stopped.out.toStdString();
    for (const QString& table : tables)
        EXPECT_FALSE(TestOdbc::texts(db2, "SHOW TABLES LIKE '" + table + "'").empty()) << table.toStdString();
    const QStringList lines = Velmarch({"log", "-n", "100000"}, env).out.split('\n', Qt::SkipEmptyParts);
    const QRegularExpression time("\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d[+-]\\d\\d:\\d\\d ");
    const QRegularExpression whole(
        "^\\S+ velmarch send (ASE \\S+ -> DB2 \\S+ (begins: t\\d\\d(, t\\d\\d)*$|ends$|copied t\\d\\d: |"
        "failure at line )|DB2 \\S+ (CREATE|DROP) TABLE )");
    for (const QString& line : lines)
        EXPECT_TRUE(whole.match(line).hasMatch() && line.count(time) == 1) << line.toStdString();
}

// A dry run sends the server nothing that changes it: its general log
// holds reads only. What the dry run prints is what the send then sends,
// statement for statement and in order, the CREATE TABLE byte for byte
// (MariaDB's driver takes off the closing semicolon it is handed, which
// Velmarch's own log shows).
TEST_F(CommandLineOnServer, ADryRunOnlyReadsTheServerAndPrintsWhatTheSendSends) {
    TestOdbc::exec(ase, {"CREATE TABLE d (id INTEGER NOT NULL PRIMARY KEY, v VARCHAR(12) DEFAULT 7, "
                         "at TIMESTAMP)",
                         "CREATE INDEX d_v ON d (v)", "INSERT INTO d VALUES (1, 'a', '2021-05-01 10:11:12')"});
    TestOdbc::exec(db2, {"CREATE TABLE d (old INT)"});
    const QStringList args{"send", "ase", "d", "--overwrite", "--keep-keys", "--keep-types"};
    MariaDb& server = MariaDb::server();
    server.logStatements();
    const VelmarchRun dry = run(QStringList(args) << "--dry-run");
    const QStringList read = server.loggedStatements();
    server.logStatements();
    const VelmarchRun sent = run(args);
    const QStringList sentLog = server.loggedStatements();

    ASSERT_EQ(dry.status, 0) << dry.err.toStdString();
    ASSERT_EQ(sent.status, 0) << sent.err.toStdString();
    const QRegularExpression change("^(?!SELECT |SHOW |SET |COMMIT$)");
    EXPECT_FALSE(read.isEmpty());
    EXPECT_EQ(read.filter(change), QStringList());
    QStringList printed = dry.out.split('\n').filter(QRegularExpression("^  "));
    printed.replaceInStrings(QRegularExpression("^  (each row: |bound, batches of \\d+: |after the rows: )?"),
                             "");
    ASSERT_EQ(printed.size(), 5) << dry.out.toStdString();
    EXPECT_TRUE(Velmarch({"log"}, env).out.contains(" " + printed[1] + ": done")) << printed[1].toStdString();
    printed[1].chop(1);
    EXPECT_EQ(sentLog.filter(change), printed);
}

// The server killed while four tables are under way: each of them tells
// the row it lost the connection at and the rows not copied, once, and no
// further table starts (its login would fail once more); the run ends with
// 1. The server is started again for the tests after this one.
TEST_F(CommandLineOnServer, AServerKilledMidRunEndsEveryRunningTableOnce) {
    QStringList setUp;
    for (int t = 1; t <= 8; ++t)
        setUp << QString("CREATE TABLE lost%1 (id INTEGER)").arg(t)
              << QString("INSERT INTO lost%1 WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                         "WHERE i < 20000) SELECT i FROM n")
                     .arg(t);
    TestOdbc::exec(ase, setUp);
    QFile log(folder + "/state/Quillmoor/Velmarch.log");
    bool killed = false;
    const VelmarchRun r = run({"send", "ase", "lost*", "--jobs", "4"}, [&](QProcess&) {
        if (killed || !log.open(QIODevice::ReadOnly)) return;
        killed = log.readAll().count("CREATE TABLE") >= 4;
        log.close();
        if (killed) MariaDb::server().kill();
    });
    MariaDb::server().start();

    EXPECT_EQ(r.status, 1) << r.err.toStdString();
    EXPECT_EQ(r.err.count('\n'), 8) << r.err.toStdString();
    for (const QString table : {"lost1", "lost2", "lost3", "lost4"}) {
        const QRegularExpression lost("^" + table + " row \\d+: ", QRegularExpression::MultilineOption);
        EXPECT_EQ(r.err.count(lost), 1) << r.err.toStdString();
        EXPECT_EQ(r.err.count(" rows of " + table + " were not copied."), 1) << r.err.toStdString();
    }
    EXPECT_FALSE(r.out.contains("lost5")) << r.out.toStdString();
}

}  // namespace
