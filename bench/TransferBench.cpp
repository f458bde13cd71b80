// How much the transfer costs beyond the database's own work: each direction
// is run through its real click handler in an offscreen window, and the very
// statements it sent are then replayed into a fresh database by a bare loop
// that does nothing else (one statement handle, the text already encoded).
// Then how much memory one handler run takes, each in a process of its own,
// for a small table and for a million rows. Last, how much faster the
// velmarch program sends eight tables four at a time than one at a time
// into a MariaDB server as the DB2 side.
//
// Usage: transfer_bench FOLDER [ROWS [REPEATS]]     (scripts/bench passes /dev/shm)
//        transfer_bench --peak FOLDER SOURCE TARGET TABLE to-ase|to-db2
//            (one memory run, started by the bench itself)

#include <sql.h>
#include <sqlext.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocale>
#include <QProcess>
#include <QRegularExpression>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <limits>
#include <stdexcept>
#include <utility>
#include <vector>

#include "app/core/ActivityLog.h"
#include "app/core/Dialogs.h"
#include "app/core/Program.h"
#include "app/core/Settings.h"
#include "app/windows/WindowOwner.h"
#include "catalog/core/Listing.h"
#include "connections/core/Connection.h"
#include "connections/core/ConnectionString.h"
#include "connections/core/Recordset.h"
#include "support/MariaDb.h"
#include "support/RecordingHost.h"
#include "support/ScriptedDialogs.h"
#include "support/TestOdbc.h"
#include "support/Velmarch.h"
#include "transfer/core/Send.h"
#include "transfer/core/CopyStatements.h"

namespace {

// Eight columns of the kinds real tables mix: whole numbers, text with a
// quote in it, doubles, dates, timestamps with fractions, booleans, NULLs.
QString FillStatement(const QString& table, int rows) {
    return QStringLiteral(
               "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
               "INSERT INTO %2 SELECT i, 'Customer ' || i || ' O''Brien', i * 1.25 + 0.1, i * 1000003, "
               "date('2000-01-01', '+' || (i % 9000) || ' days'), "
               "datetime('2000-01-01 08:00:00', '+' || i || ' minutes') || '.' || (100 + i % 900), i % 2, "
               "CASE WHEN i % 10 = 0 THEN NULL ELSE 'note ' || i END FROM n")
        .arg(rows)
        .arg(table);
}

QString CreateStatement(const QString& table) {
    return QStringLiteral(
               "CREATE TABLE %1 (id INTEGER, name VARCHAR(60), amount DOUBLE, code BIGINT, born DATE, "
               "stamp TIMESTAMP, flag BOOLEAN, note VARCHAR(40))")
        .arg(table);
}

void Check(SQLRETURN rc, SQLSMALLINT type, SQLHANDLE handle) {
    if (rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO) return;
    SQLCHAR state[6] = {}, text[1024] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    SQLGetDiagRec(type, handle, 1, state, &native, text, sizeof text, &length);
    throw std::runtime_error(reinterpret_cast<const char*>(text));
}

// One connection through the driver manager, with one statement handle.
struct Session {
    SQLHENV env = SQL_NULL_HANDLE;
    SQLHDBC dbc = SQL_NULL_HANDLE;
    SQLHSTMT stmt = SQL_NULL_HANDLE;

    explicit Session(const QString& odbcConnectionString) {
        SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
        SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
        SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
        QByteArray connect = odbcConnectionString.toUtf8();
        Check(SQLDriverConnect(dbc, nullptr, reinterpret_cast<SQLCHAR*>(connect.data()),
                               SQLSMALLINT(connect.size()), nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT),
              SQL_HANDLE_DBC, dbc);
        SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt);
    }
    ~Session() {
        SQLFreeHandle(SQL_HANDLE_STMT, stmt);
        SQLDisconnect(dbc);
        SQLFreeHandle(SQL_HANDLE_DBC, dbc);
        SQLFreeHandle(SQL_HANDLE_ENV, env);
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    void execDirect(QByteArray statement) {
        Check(SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(statement.data()), SQLINTEGER(statement.size())),
              SQL_HANDLE_STMT, stmt);
    }
};

// Sends the statements as they are, timed from the first to the last.
double BareLoop(const QString& odbcConnectionString, const std::vector<QByteArray>& statements) {
    Session db(odbcConnectionString);
    QElapsedTimer timer;
    timer.start();
    for (const QByteArray& s : statements) {
        db.execDirect(s);
        SQLFreeStmt(db.stmt, SQL_CLOSE);
    }
    return timer.nsecsElapsed() / 1e9;
}

// Every row of the table as text, a UTF-8 string per value, NULL as none.
using TextRows = std::vector<std::vector<std::optional<QByteArray>>>;

TextRows ReadAsText(const QString& odbcConnectionString, const QString& table) {
    Session db(odbcConnectionString);
    db.execDirect("SELECT * FROM " + table.toUtf8());
    SQLSMALLINT columns = 0;
    SQLNumResultCols(db.stmt, &columns);
    TextRows rows;
    char buffer[4096];
    while (SQLFetch(db.stmt) == SQL_SUCCESS) {
        auto& row = rows.emplace_back();
        for (SQLUSMALLINT c = 1; c <= columns; ++c) {
            SQLLEN length = 0;
            Check(SQLGetData(db.stmt, c, SQL_C_CHAR, buffer, sizeof buffer, &length), SQL_HANDLE_STMT, db.stmt);
            if (length == SQL_NULL_DATA)
                row.emplace_back();
            else
                row.emplace_back(QByteArray(buffer, qsizetype(length)));
        }
    }
    return rows;
}

// The most the driver takes: the rows, already text, bound column-wise to
// one prepared INSERT in arrays of perArray rows, a commit per array; timed
// from the first execution to the last commit. With the time ReadAsText
// took to read them, it is the floor of a batch copy through this driver.
double BareArrayLoop(const QString& odbcConnectionString, const QString& table, const TextRows& rows,
                     int perArray) {
    Session db(odbcConnectionString);
    const size_t columns = rows.empty() ? 0 : rows.front().size();
    db.execDirect(CreateStatement(table).toUtf8());
    SQLFreeStmt(db.stmt, SQL_CLOSE);
    QByteArray insert = "INSERT INTO " + table.toUtf8() + " VALUES(?";
    for (size_t c = 1; c < columns; ++c) insert += ", ?";
    insert += ')';
    SQLSetConnectAttr(db.dbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0);
    Check(SQLPrepare(db.stmt, reinterpret_cast<SQLCHAR*>(insert.data()), SQLINTEGER(insert.size())),
          SQL_HANDLE_STMT, db.stmt);
    constexpr SQLLEN width = 64;
    std::vector<std::vector<char>> data(columns, std::vector<char>(size_t(perArray * width)));
    std::vector<std::vector<SQLLEN>> lengths(columns, std::vector<SQLLEN>(size_t(perArray)));
    QElapsedTimer timer;
    timer.start();
    for (size_t first = 0; first < rows.size(); first += size_t(perArray)) {
        const size_t n = std::min(rows.size() - first, size_t(perArray));
        for (size_t c = 0; c < columns; ++c) {
            for (size_t r = 0; r < n; ++r) {
                const auto& v = rows[first + r][c];
                lengths[c][r] = v ? std::min<SQLLEN>(v->size(), width) : SQL_NULL_DATA;
                if (v) std::memcpy(data[c].data() + r * width, v->constData(), size_t(lengths[c][r]));
            }
            Check(SQLBindParameter(db.stmt, SQLUSMALLINT(c + 1), SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, width,
                                   0, data[c].data(), width, lengths[c].data()),
                  SQL_HANDLE_STMT, db.stmt);
        }
        SQLSetStmtAttr(db.stmt, SQL_ATTR_PARAMSET_SIZE, reinterpret_cast<SQLPOINTER>(SQLULEN(n)), 0);
        Check(SQLExecute(db.stmt), SQL_HANDLE_STMT, db.stmt);
        Check(SQLEndTran(SQL_HANDLE_DBC, db.dbc, SQL_COMMIT), SQL_HANDLE_DBC, db.dbc);
    }
    return timer.nsecsElapsed() / 1e9;
}

struct Best {
    double handler = std::numeric_limits<double>::infinity();
    double bare = std::numeric_limits<double>::infinity();
};

// One direction, several times over, each time into a fresh target
// database. A first, untimed round keeps every statement the handler sends
// to the target, so no listener weighs on the timed rounds; each timed
// round then clicks the button again and replays the kept statements with
// the bare loop. The best time of each counts: other work on the machine
// only ever makes a run slower.
Best Measure(Form1& form1, Form2& form, bool toAse, const QString& folder, const QString& table, int rows,
             int repeats) {
    Controls::ListBox* source = toAse ? form.List1 : form.List2;
    Controls::ListBox* target = toAse ? form.List2 : form.List1;
    Controls::TextBox* targetBox = toAse ? form1.Text5 : form1.Text10;
    QAbstractButton* button = toAse ? form.PushButton3 : form.PushButton4;
    const QString entry =
        Transfer::TargetEntry(toAse ? Datatype::Direction::ToAse : Datatype::Direction::ToDb2, table);
    const int index = int(source->items().indexOf(table));
    source->setSelected(index, true);
    source->setListIndex(index);

    // Runs the handler into a new target file and leaves the lists as they were.
    const auto click = [&](const QString& targetFile) {
        targetBox->setText(targetFile);
        QElapsedTimer timer;
        timer.start();
        button->click();
        const double seconds = timer.nsecsElapsed() / 1e9;
        target->RemoveItem(int(target->items().indexOf(entry)));
        QFile::remove(targetFile);
        return seconds;
    };

    const QString kept = folder + QStringLiteral("/kept.db");
    QStringList sent;
    {
        const TestOdbc::StatementLog log;
        click(kept);
        sent = log.to(kept);
    }
    if (sent.size() != rows + 1) throw std::runtime_error("the handler did not send one statement per row");
    std::vector<QByteArray> statements;
    statements.reserve(sent.size());
    for (const QString& s : std::as_const(sent)) statements.push_back(s.toUtf8());
    sent.clear();

    Best best;
    for (int round = 0; round < repeats; ++round) {
        best.handler = std::min(best.handler, click(folder + QStringLiteral("/target.db")));
        const QString bareTarget = folder + QStringLiteral("/bare.db");
        const QString odbc = toAse ? ConnectionString::AseToOdbc(TestOdbc::aseString(bareTarget),
                                                                 [](const QString&) { return true; })
                                   : TestOdbc::db2String(bareTarget);
        best.bare = std::min(best.bare, BareLoop(odbc, statements));
        QFile::remove(bareTarget);
    }
    source->setSelected(index, false);

    const char* label = toAse ? "DB2->ASE" : "ASE->DB2";
    std::printf("%s  handler:   %7.3f s  %9.0f rows/s\n", label, best.handler, rows / best.handler);
    std::printf("%s  bare loop: %7.3f s  %9.0f rows/s\n", label, best.bare, rows / best.bare);
    std::fflush(stdout);
    return best;
}

// Seconds for one send through the engine, its rows in batches of
// rowsPerBatch, into a fresh target: the command line's --batch.
double BatchRun(const QString& folder, const QString& source, bool toAse, const QString& table,
                int rowsPerBatch) {
    const QString target = folder + QStringLiteral("/batch-target.db");
    RecordingHost host;
    host.db2Login = TestOdbc::profileFor(toAse ? source : target);
    host.aseLogin = TestOdbc::profileFor(toAse ? target : source);
    IBMDB2::ListTables(host.db2Login, host.db2, [] {});
    SybaseASE::ListTables(host.aseLogin, host.ase, [] {});
    RecordingHost::select(toAse ? host.db2 : host.ase, {table});
    QElapsedTimer timer;
    timer.start();
    const Send::Options batch{false, rowsPerBatch, false};
    toAse ? Send::ToAse(host, batch) : Send::ToDb2(host, batch);
    const double seconds = timer.nsecsElapsed() / 1e9;
    if (!host.failures.empty() || !host.messages.empty()) throw std::runtime_error("the batch send failed");
    QFile::remove(target);
    return seconds;
}

// The most memory this process has held, in MB of 10^6 bytes: VmHWM counts
// this program image alone, where ru_maxrss would also count what its
// parent held before the exec.
double PeakMegabytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) throw std::runtime_error("cannot read /proc/self/status");
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("VmHWM:\\s*(\\d+) kB"))
                                          .match(QString::fromLatin1(status.readAll()));
    if (!m.hasMatch()) throw std::runtime_error("no VmHWM in /proc/self/status");
    return m.captured(1).toDouble() * 1024 / 1e6;
}

// One click of a send button into a fresh target, in a process started for
// it alone. The source is read through the streaming SQLite driver: the
// real drivers fetch rows from their server as the cursor moves, while the
// plain SQLite driver would hold the whole result itself. Prints the
// process's peak memory.
int PeakRun(int argc, char** argv) {
    const QString folder = QString::fromLocal8Bit(argv[2]);
    const QString source = QString::fromLocal8Bit(argv[3]);
    const QString target = QString::fromLocal8Bit(argv[4]);
    const QString table = QString::fromLocal8Bit(argv[5]);
    const bool toAse = qstrcmp(argv[6], "to-ase") == 0;

    TestOdbc::install(QStringLiteral(VELMARCH_STREAMING_SQLITE), QStringLiteral(VELMARCH_STREAMING_SQLITE));
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    ScriptedDialogs dialogs;
    SetApplicationTitle();
    Settings settings(folder + QStringLiteral("/Peak.ini"));
    Program program;
    ActivityLog log(folder + QStringLiteral("/Peak.log"));
    WindowOwner windows(settings, program, log);
    Form1& form1 = windows.form1();
    form1.Text10->setText(toAse ? source : target);
    form1.Text5->setText(toAse ? target : source);
    windows.ShowTables();
    Form2& form2 = *windows.form2();
    QCoreApplication::processEvents();
    Controls::ListBox* list = toAse ? form2.List1 : form2.List2;
    const int index = int(list->items().indexOf(table));
    list->setSelected(index, true);
    list->setListIndex(index);
    (toAse ? form2.PushButton3 : form2.PushButton4)->click();
    for (const auto& m : dialogs.messages) std::fprintf(stderr, "%s\n", qPrintable(m.text));
    std::printf("%.1f\n", PeakMegabytes());
    return dialogs.messages.empty() ? 0 : 1;
}

// The peak memory of one handler run over a table of the given rows, made
// afresh in the source database.
double Peak(const QString& folder, bool toAse, int rows) {
    const QString table = toAse ? QStringLiteral("BENCH") : QStringLiteral("bench_ase");
    const QString source = folder + QStringLiteral("/peak-source.db");
    const QString target = folder + QStringLiteral("/peak-target.db");
    TestOdbc::exec(source, {CreateStatement(table), FillStatement(table, rows)});
    QProcess run;
    run.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    run.start(QCoreApplication::applicationFilePath(),
              {QStringLiteral("--peak"), folder, source, target, table,
               toAse ? QStringLiteral("to-ase") : QStringLiteral("to-db2")});
    if (!run.waitForFinished(-1) || run.exitStatus() != QProcess::NormalExit || run.exitCode() != 0)
        throw std::runtime_error("the memory run failed");
    const double megabytes = run.readAllStandardOutput().trimmed().toDouble();
    const QString entry =
        Transfer::TargetEntry(toAse ? Datatype::Direction::ToAse : Datatype::Direction::ToDb2, table);
    const auto copied = TestOdbc::rows(target, QStringLiteral("SELECT COUNT(*) FROM \"%1\"").arg(entry));
    if (copied.at(0).at(0) != Db::Value(std::int64_t(rows)))
        throw std::runtime_error("the memory run did not copy every row");
    QFile::remove(source);
    QFile::remove(target);
    return megabytes;
}

// Rows per second of the velmarch program sending the tables of an ASE
// file, up to jobs at once, into a fresh database of the MariaDB server
// that stands for DB2, dropped again after.
double ParallelRun(const QString& folder, const QString& ase, const QStringList& tables, int jobs,
                   long long rows) {
    const Profile db2 = MariaDb::server().freshDatabase();
    const QString settings = SettingsFileFor(folder, db2, TestOdbc::profileFor(ase));
    QProcessEnvironment env;
    env.insert(QStringLiteral("XDG_STATE_HOME"), folder + QStringLiteral("/state"));
    QElapsedTimer timer;
    timer.start();
    const VelmarchRun run = Velmarch(QStringList{QStringLiteral("send"), QStringLiteral("ase")} + tables +
                                         QStringList{QStringLiteral("--jobs"), QString::number(jobs),
                                                     QStringLiteral("--settings"), settings},
                                     env);
    const double seconds = timer.nsecsElapsed() / 1e9;
    if (run.status != 0) throw std::runtime_error("the parallel send failed: " + run.err.toStdString());
    // The server lists the tables of all its databases as the DB2 side's.
    TestOdbc::exec(db2, {QStringLiteral("DROP DATABASE \"%1\"").arg(db2.database)});
    return rows / seconds;
}

// Eight tables sent one at a time and four at a time into MariaDB as it
// stands by default, every commit on the disk: the row-by-row send waits on
// the server's log, which tables sent side by side share. The DB2 name
// goes to MariaDB's driver from here on.
void Parallel(const QString& folder) {
    constexpr int tables = 8, rows = 20000;
    const QString ase = folder + QStringLiteral("/parallel-ase.db");
    QStringList names;
    for (int t = 1; t <= tables; ++t) {
        names << QStringLiteral("par%1").arg(t);
        TestOdbc::exec(ase, {CreateStatement(names.last()), FillStatement(names.last(), rows)});
    }
    TestOdbc::install(TestOdbc::odbcDriver(QStringLiteral("libmaodbc.so")));
    // The best of three runs each, taken in turns, so that a burst of other
    // work on the two cores weighs on neither setting alone.
    double one = 0, four = 0;
    for (int run = 0; run < 3; ++run) {
        one = std::max(one, ParallelRun(folder, ase, names, 1, tables * rows));
        four = std::max(four, ParallelRun(folder, ase, names, 4, tables * rows));
    }
    std::printf(
        "parallel ASE->DB2 %d tables x %d rows into MariaDB: %.0f rows/s at --jobs 1, %.0f rows/s at "
        "--jobs 4, %.2f times\n",
        tables, rows, one, four, four / one);
    std::fflush(stdout);
}

// The batch path, each direction, against the bare loop's time and against
// the floor: reading the rows as text plus the bare array loop.
void BatchLines(const QString& folder, const QString& source, bool forward, double bare, int rows, int repeats) {
    const QString table = forward ? QStringLiteral("BENCH") : QStringLiteral("bench_ase");
    double best = std::numeric_limits<double>::infinity();
    for (int round = 0; round < repeats; ++round)
        best = std::min(best, BatchRun(folder, source, forward, table, 1000));
    double floor = std::numeric_limits<double>::infinity();
    for (int round = 0; round < repeats; ++round) {
        const QString bareTarget = folder + QStringLiteral("/array.db");
        QElapsedTimer read;
        read.start();
        const TextRows texts = ReadAsText(TestOdbc::db2String(source), table);
        const double reading = read.nsecsElapsed() / 1e9;
        floor = std::min(floor, reading + BareArrayLoop(TestOdbc::db2String(bareTarget), "floor", texts, 1000));
        QFile::remove(bareTarget);
    }
    const char* label = forward ? "DB2->ASE" : "ASE->DB2";
    std::printf("batch %s: %.0f rows/s, %.1f times the bare loop\n", label, rows / best, bare / best);
    std::printf("batch floor %s: %.0f rows/s; batch path at %.2f of it\n", label, rows / floor, floor / best);
    std::fflush(stdout);
}

void PeakLines(const QString& folder) {
    for (const bool toAse : {true, false}) {
        for (const int peakRows : {10000, 1000000}) {
            const double megabytes = Peak(folder, toAse, peakRows);
            std::printf("peak RSS %s %d rows: %.1f MB\n", toAse ? "DB2->ASE" : "ASE->DB2", peakRows, megabytes);
            std::fflush(stdout);
        }
    }
}

// The handler runs through the real windows, then the ratio and batch lines.
void WindowLines(const QString& folder, const QString& db2, const QString& ase, int rows, int repeats) {
    ScriptedDialogs dialogs;
    Settings settings(folder + QStringLiteral("/Quillmoor.ini"));
    Program program;
    ActivityLog log(folder + QStringLiteral("/Velmarch.log"));
    WindowOwner windows(settings, program, log);
    Form1& form1 = windows.form1();
    form1.Text5->setText(ase);
    form1.Text10->setText(db2);
    windows.ShowTables();
    Form2& form2 = *windows.form2();
    QCoreApplication::processEvents();

    std::printf("%d rows x 8 columns, SQLite stand-in in %s, best of %d\n", rows, qPrintable(folder), repeats);
    const Best toAse = Measure(form1, form2, true, folder, QStringLiteral("BENCH"), rows, repeats);
    form1.Text5->setText(ase);
    const Best toDb2 = Measure(form1, form2, false, folder, QStringLiteral("bench_ase"), rows, repeats);
    if (!dialogs.messages.empty()) {
        for (const auto& m : dialogs.messages) std::fprintf(stderr, "%s\n", qPrintable(m.text));
        throw std::runtime_error("the handler showed a message");
    }
    std::printf("ratio DB2->ASE: %.2f\n", toAse.handler / toAse.bare);
    std::printf("ratio ASE->DB2: %.2f\n", toDb2.handler / toDb2.bare);
    BatchLines(folder, db2, true, toAse.bare, rows, repeats);
    BatchLines(folder, ase, false, toDb2.bare, rows, repeats);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 7 && qstrcmp(argv[1], "--peak") == 0) {
        try {
            return PeakRun(argc, argv);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "transfer_bench --peak: %s\n", e.what());
            return 1;
        }
    }
    const QString base = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::tempPath();
    const int rows = argc > 2 ? std::atoi(argv[2]) : 100000;
    const int repeats = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;

    TestOdbc::install();
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    SetApplicationTitle();

    const QString folder =
        base + QStringLiteral("/velmarch-bench-%1").arg(QCoreApplication::applicationPid());
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    const QString db2 = folder + QStringLiteral("/db2.db");
    const QString ase = folder + QStringLiteral("/ase.db");

    int status = 0;
    try {
        TestOdbc::exec(
            db2, {CreateStatement(QStringLiteral("BENCH")), FillStatement(QStringLiteral("BENCH"), rows)});
        TestOdbc::exec(ase, {CreateStatement(QStringLiteral("bench_ase")),
                             FillStatement(QStringLiteral("bench_ase"), rows)});
        WindowLines(folder, db2, ase, rows, repeats);
        PeakLines(folder);
        Parallel(folder);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "transfer_bench: %s\n", e.what());
        status = 1;
    }
    QDir(folder).removeRecursively();
    return status;
}
