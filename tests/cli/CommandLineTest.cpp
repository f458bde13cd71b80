#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>

#include "support/TdsLoginCatcher.h"
#include "support/TestOdbc.h"
#include "support/Velmarch.h"

namespace {

// velmarch run as a script runs it, with no display, over two SQLite
// stand-ins whose logins are in a settings file of the test's own; its
// activity log stays in the test's folder.
class CommandLine : public ::testing::Test {
protected:
    CommandLine()
        : folder(TestOdbc::freshFolder()),
          db2(folder + "/db2.db"),
          ase(folder + "/ase.db"),
          settings(SettingsFileFor(folder, TestOdbc::profileFor(db2), TestOdbc::profileFor(ase))) {
        env.insert("XDG_STATE_HOME", folder + "/state");
        env.insert("LC_ALL", "en_US.UTF-8");
        for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.insert(variable, "");
    }
    VelmarchRun run(QStringList args, const std::function<void(QProcess&)>& whileRunning = {}) {
        return Velmarch(args << "--settings" << settings, env, whileRunning);
    }
    QString folder, db2, ase, settings;
    QProcessEnvironment env;
};

TEST_F(CommandLine, UsageErrorsAndLoginsThatDoNotOpenAreStatusTwo) {
    const QString fifo = folder + "/fifo";
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    struct Case {
        QStringList args;
        int status;
        QString says;  // on stdout for 0, on stderr otherwise
    };
    const Case cases[] = {
        {{"--help"}, 0, "velmarch send db2|ase TABLE..."},
        {{"--version"}, 0, "velmarch 1.0"},
        // A usage error is told with the way to help (the errors themselves
        // are read in the arguments' own test); a command word anywhere is
        // the command line, Qt's own options and their values are the
        // windows'.
        {{"--batch", "5", "send", "db2"}, 2, "send needs at least one table name\nTry 'velmarch --help'.\n"},
        {{"send", "db2", "T", "--rejects", "/no/such/folder"}, 2, "--rejects: /no/such/folder is no folder"},
        {{"--", "send", "db2"}, 2, "send needs at least one table name"},
        {{}, 2, "velmarch: the windows need a display, and none could be found; for the command line see"},
        {{"-style", "fusion"}, 2, "the windows need a display"},
        // Settings that are not a readable file are refused before anything
        // reads them (a pipe would never answer).
        {{"list", "db2", "--settings", folder + "/none.ini"}, 2, "none.ini: No such file or directory"},
        {{"list", "db2", "--settings", fifo}, 2, "fifo: it is not a regular file"},
        {{"list", "db2", "--settings", folder}, 2, ": it is a folder"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const VelmarchRun r = Velmarch(c.args, env);
        EXPECT_EQ(r.status, c.status) << r.err.toStdString();
        EXPECT_TRUE((c.status == 0 ? r.out : r.err).contains(c.says))
            << r.out.toStdString() << r.err.toStdString();
    }
    EXPECT_EQ(Velmarch({}, env).err.count('\n'), 1) << "one line for the windows without a display";
    const QString broken = SettingsFileFor(folder, TestOdbc::brokenProfile(), TestOdbc::profileFor(ase));
    const VelmarchRun r = Velmarch({"send", "ase", "T", "--settings", broken}, env);
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.err.startsWith("velmarch: the DB2 login does not open: ")) << r.err.toStdString();
}

// A send sends what the window would; a target table that exists is
// refused unless told otherwise, and each outcome has its status.
TEST_F(CommandLine, SendsAsTheWindowDoesAndAsksNothing) {
    TestOdbc::exec(db2, {"CREATE TABLE T (id INTEGER, name TEXT, born DATE)",
                         "INSERT INTO T VALUES (7, 'O''Brien', '2021-05-01'), (8, NULL, NULL)",
                         "CREATE TABLE U (x TEXT)"});
    TestOdbc::exec(ase, {"CREATE TABLE T (old TEXT)", "INSERT INTO T VALUES ('kept')"});

    VelmarchRun r = run({"send", "db2", "T", "U", "NOPE"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("T: the ASE database already has this table; --overwrite replaces it"))
        << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("NOPE: the DB2 database lists no such table"));
    EXPECT_TRUE(r.out.contains("U: 0 rows copied, 0 not copied")) << r.out.toStdString();
    EXPECT_EQ(TestOdbc::texts(ase, "SELECT * FROM T"), std::vector<QStringList>{{"kept"}});

    r = run({"send", "db2", "T", "--skip-existing"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("T: skipped, the ASE database has it")) << r.out.toStdString();

    r = run({"send", "db2", "T", "--overwrite"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "T: 2 rows copied, 0 not copied, " + r.out.section(", ", 2, 2).section('\n', 0, 0) +
                         "\nSummary:\n  T: 2 rows copied, 0 not copied, " +
                         r.out.section(", ", 2, 2).section('\n', 0, 0) + "\n");
    EXPECT_EQ(TestOdbc::texts(ase, "SELECT * FROM T"),
              (std::vector<QStringList>{{"7", "O'Brien", "5/1/2021"}, {"8", "", ""}}));
    const QString log = QString::fromUtf8([&] {
        QFile f(folder + "/state/Quillmoor/Velmarch.log");
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }());
    EXPECT_TRUE(log.contains("DROP TABLE [T]: done"));
    EXPECT_TRUE(log.contains("CREATE TABLE [T]([id] TEXT,[name] TEXT,[born] TEXT): done"));
    r = Velmarch({"log", "-n", "2"}, env);
    ASSERT_EQ(r.out.count('\n'), 2) << r.out.toStdString();
    EXPECT_TRUE(
        r.out.section('\n', 0, 0)
            .contains(QRegularExpression("^\\S+ velmarch send DB2 localhost/.* copied T: 2 rows read, 2 "
                                         "copied, 0 not copied, [0-9.]+ s$")))
        << r.out.toStdString();
    EXPECT_TRUE(r.out.section('\n', 1, 1).endsWith(" ends"));

    r = run({"delete", "ase", "T", "U"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "T: dropped\nU: dropped\n");
    EXPECT_TRUE(TestOdbc::tables(ase).isEmpty());
    r = Velmarch({"log", "-n", "1000"}, env);
    EXPECT_TRUE(r.out.contains(" velmarch delete ASE localhost/")) << r.out.toStdString();
    EXPECT_FALSE(r.out.contains("Form2.")) << "the command line's runs are not the window's";
}

// Tables chosen by pattern, in any letter case, less those excluded, each
// once; a line of a file that is a table's name is that table; a pattern
// that matches nothing stops everything with status 2.
TEST_F(CommandLine, PatternsChooseTablesFromTheWindowsList) {
    TestOdbc::exec(db2, {"CREATE TABLE SALES (x)", "CREATE TABLE Sales_2023 (x)", "CREATE TABLE STAFF (x)",
                         "CREATE TABLE ORDERS (x)", "CREATE TABLE \"a*b\" (x)", "CREATE TABLE \"a-b\" (x)"});
    struct Case {
        QStringList args;
        QString input;  // standard input
        int status;
        QString says;        // stdout for 0, stderr otherwise
        QStringList copied;  // the ASE tables after it
    };
    const Case cases[] = {
        {{"list", "db2", "s*"}, {}, 0, "SALES\nSales_2023\nSTAFF\n", {}},
        {{"list", "db2", "S?A??", "orders"}, {}, 0, "ORDERS\nSTAFF\n", {}},
        {{"list", "db2", "--exclude", "*_20??", "--exclude", "staff"},
         {},
         0,
         "a-b\na*b\nORDERS\nSALES\n",
         {}},
        {{"send", "db2", "ORDERS", "X*"}, {}, 2, "velmarch: X* matches no DB2 table\n", {}},
        {{"send", "db2", "--tables-from", "-"},
         "# the two\n\n  a*b\nORDERS\norders\n",
         0,
         "Summary:",
         {"ORDERS", "a*b"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const VelmarchRun r = run(c.args, [&, written = false](QProcess& p) mutable {
            if (written) return;
            p.write(c.input.toUtf8());
            p.closeWriteChannel();
            written = true;
        });
        EXPECT_EQ(r.status, c.status) << r.err.toStdString();
        EXPECT_TRUE((c.status == 0 ? r.out : r.err).contains(c.says))
            << r.out.toStdString() << r.err.toStdString();
        EXPECT_EQ(QFile::exists(ase) ? TestOdbc::tables(ase) : QStringList(), c.copied);
    }
}

// A dry run prints what each command would send and sends nothing that
// changes a database: both files stay byte for byte as they were, the log
// has one line per run, and a table the command would refuse makes the
// status 1. What it prints for a CREATE TABLE is what the send then sends.
TEST_F(CommandLine, ADryRunPrintsWhatWouldBeSentAndChangesNothing) {
    TestOdbc::exec(db2, {"CREATE TABLE T (id INTEGER NOT NULL, name VARCHAR(20) DEFAULT 'none', born DATE)",
                         "INSERT INTO T VALUES (7, 'O''Brien', '2021-05-01'), (8, NULL, NULL)",
                         "CREATE TABLE U (x TEXT)", "CREATE INDEX ux ON U (x DESC)"});
    TestOdbc::exec(ase, {"CREATE TABLE T (old TEXT)", "INSERT INTO T VALUES ('kept')"});
    const auto bytes = [](const QString& path) {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    };
    const QByteArray db2Before = bytes(db2), aseBefore = bytes(ase);
    struct Case {
        QStringList args;
        int status;
        QString out, err;
        QString logged;  // the log line after its time
    };
    const QString end = "Dry run: no database was changed.\n";
    const QString db2At = "DB2 localhost/\\S+", aseAt = "ASE localhost/\\S+";
    const Case cases[] = {
        {{"send", "db2", "T", "U"},
         1,
         "U: 0 rows would be copied\n  CREATE TABLE [U]([x] TEXT)\n"
         "  each row: INSERT INTO [U] VALUES('?')\n" + end,
         "T: the ASE database already has this table; --overwrite replaces it, --skip-existing leaves it\n",
         "send " + db2At + " -> " + aseAt + " dry run, nothing sent: T, U"},
        {{"send", "db2", "T", "--overwrite"},
         0,
         "T: 2 rows would be copied\n  DROP TABLE [T]\n"
         "  CREATE TABLE [T]([id] TEXT,[name] TEXT,[born] TEXT)\n"
         "  each row: INSERT INTO [T] VALUES('?', '?', '?')\n" + end,
         "",
         "send " + db2At + " -> " + aseAt + " dry run, nothing sent: T"},
        // (The SQLite driver gives the default without its quotes, and no
        // index direction.)
        {{"send", "db2", "T", "U", "--overwrite", "--keep-keys", "--batch", "50"},
         0,
         "T: 2 rows would be copied\n  DROP TABLE [T]\n"
         "  CREATE TABLE [T]([id] int null,[name] varchar(80) null,[born] date null)\n"
         "  bound, batches of 50: INSERT INTO [T] VALUES(?, ?, ?)\n"
         "  not kept, expression default of column name: none\n"
         "U: 0 rows would be copied\n  CREATE TABLE [U]([x] text null)\n"
         "  bound, batches of 50: INSERT INTO [U] VALUES(?)\n"
         "  after the rows: CREATE INDEX [ux] ON [U] ([x])\n" + end,
         "",
         "send " + db2At + " -> " + aseAt + " dry run, nothing sent: T, U"},
        {{"send", "ase", "T", "--skip-existing"},
         0,
         "T: skipped, the DB2 database has it\n" + end,
         "",
         "send " + aseAt + " -> " + db2At + " dry run, nothing sent: T"},
        {{"delete", "ase", "T"},
         0,
         "T: would be dropped\n  DROP TABLE [T]\n" + end,
         "",
         "delete " + aseAt + " dry run, nothing sent: T"},
        {{"rename", "t", "U"},
         1,
         end,
         "T: the DB2 database already has a table U\n",
         "rename " + db2At + " dry run, nothing sent: T"},
        {{"rename", "T", "V"},
         0,
         "T: would be renamed to V\n  RENAME TABLE \"T\" TO \"V\"\n" + end,
         "",
         "rename " + db2At + " dry run, nothing sent: T"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const VelmarchRun r = run(QStringList(c.args) << "--dry-run");
        EXPECT_EQ(r.status, c.status) << r.err.toStdString();
        EXPECT_EQ(r.out, c.out);
        EXPECT_EQ(r.err, c.err);
    }
    EXPECT_EQ(bytes(db2), db2Before);
    EXPECT_EQ(bytes(ase), aseBefore);
    const QString logPath = folder + "/state/Quillmoor/Velmarch.log";
    const QStringList logged = QString::fromUtf8(bytes(logPath)).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(logged.size(), std::size(cases)) << logged.join('\n').toStdString();
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_TRUE(logged[i].contains(QRegularExpression("^\\S+ velmarch " + cases[i].logged + "$")))
            << logged[i].toStdString();

    ASSERT_EQ(run(QStringList(cases[2].args)).status, 0);
    const QString log = QString::fromUtf8(bytes(logPath));
    for (QString line : cases[2].out.split('\n')) {
        line = line.trimmed().remove(QRegularExpression("^after the rows: "));
        if (!line.startsWith("CREATE") && !line.startsWith("DROP")) continue;
        EXPECT_TRUE(log.contains(" " + line + ": done")) << line.toStdString();
    }
}

// A table the target holds but does not list cannot be created: the
// failure is one line on stderr, the rows lost are told, status 1.
TEST_F(CommandLine, AFailureIsOneLineOnStderrWithItsTable) {
    TestOdbc::exec(db2, {"CREATE TABLE \"MySys\" (x TEXT)", "INSERT INTO \"MySys\" VALUES ('a'), ('b')"});
    TestOdbc::exec(ase, {"CREATE TABLE MySys (x TEXT)"});  // hidden from the ASE list by its name
    const VelmarchRun r = run({"send", "db2", "MySys"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err,
              "MySys: [SQLite]table [MySys] already exists (1)\n2 of 2 rows of MySys were not copied.\n");
}

// Ctrl-C ends the table after the statement under way: nothing more is
// sent, the summary so far is printed, and the status is 130.
TEST_F(CommandLine, CtrlCStopsAfterTheStatementUnderWay) {
    TestOdbc::exec(db2, {"CREATE TABLE big (x INTEGER)",
                         "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 20000) "
                         "INSERT INTO big SELECT i FROM n"});
    bool sent = false;
    const VelmarchRun r = run({"send", "db2", "big"}, [&](QProcess& p) {
        if (sent || !QFile::exists(ase) || TestOdbc::tables(ase).isEmpty()) return;
        if (TestOdbc::rows(ase, "SELECT COUNT(*) FROM big").at(0).at(0) == Db::Value(std::int64_t(0))) return;
        ::kill(pid_t(p.processId()), SIGINT);
        sent = true;
    });
    EXPECT_EQ(r.status, 130) << r.err.toStdString();
    const auto copied = std::get<std::int64_t>(TestOdbc::rows(ase, "SELECT COUNT(*) FROM big").at(0).at(0));
    EXPECT_GT(copied, 0);
    EXPECT_LT(copied, 20000);
    EXPECT_TRUE(r.out.contains(QString("big: %1 rows copied, %2 not copied").arg(copied).arg(20000 - copied)))
        << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("(stopped)"));
    EXPECT_EQ(r.err, "velmarch: stopped\n");
}

// A password given in the environment is the one the driver sends: here
// FreeTDS (no ASEOLEDB registered) to a catcher of its login.
TEST_F(CommandLine, APasswordFromTheEnvironmentIsTheOneSent) {
    TdsLoginCatcher server;
    const QString odbc = folder + "/odbc";
    QDir().mkpath(odbc);
    QFile ini(odbc + "/odbcinst.ini");
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[IBM DB2 ODBC DRIVER]\nDriver=" + TestOdbc::sqliteDriver().toUtf8() + "\n");
    ini.close();
    const Profile ase{"127.0.0.1", QString::number(server.port()), "sa", "from the settings", "pubs2"};
    env.insert("ODBCSYSINI", odbc);
    env.insert("VELMARCH_ASE_PASSWORD", "from the environment");
    const VelmarchRun r =
        Velmarch({"list", "ase", "--settings", SettingsFileFor(folder, TestOdbc::profileFor(db2), ase)}, env);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(server.password(), "from the environment");
}

}  // namespace
