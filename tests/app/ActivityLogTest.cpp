#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QFile>
#include <QRegularExpression>

#include "app/core/ActivityLog.h"
#include "catalog/core/Listing.h"
#include "catalog/core/LoggedHost.h"
#include "catalog/core/Maintenance.h"
#include "connections/core/ConnectionString.h"
#include "support/RecordingHost.h"
#include "support/ScriptedDialogs.h"
#include "support/TestOdbc.h"
#include "transfer/core/Send.h"

namespace {

// The lines of the log without their times, which must be local ISO 8601
// with an offset, and with the seconds a copy took as "S".
QStringList Events(const ActivityLog& log) {
    static const QRegularExpression time(
        QStringLiteral("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d[+-]\\d\\d:\\d\\d "));
    QStringList out;
    for (QString line : log.tail(1000)) {
        EXPECT_TRUE(time.match(line).hasMatch()) << line.toStdString();
        static const QRegularExpression seconds(QStringLiteral("\\d+\\.\\d s$"));
        out << line.remove(time).replace(seconds, QStringLiteral("S s"));
    }
    return out;
}

// What a copy, a delete and a refused rename leave in the log, line for
// line, and what they never leave: a password.
TEST(ActivityLog, KeepsWhatEachCommandDidAndNoPassword) {
    const QString folder = TestOdbc::freshFolder();
    const QString db2 = folder + "/db2.db", ase = folder + "/ase.db";
    TestOdbc::exec(
        db2, {"CREATE TABLE EMP (v TEXT)", "INSERT INTO EMP VALUES ('x'), ('y')", "CREATE TABLE old (v)"});
    TestOdbc::exec(ase, {"CREATE TABLE EMP (v TEXT)", "CREATE TABLE gone (v)"});
    const QString hostile = QStringLiteral("p'w;Pwd=x}\nDROP \"q\"");
    RecordingHost host;
    host.db2Login = {QStringLiteral("db2host"), "50069", "u", hostile, db2};
    host.aseLogin = {QStringLiteral("asehost"), "5000", "sa", hostile + "2", ase};
    IBMDB2::ListTables(host.db2Login, host.db2, [] {});
    SybaseASE::ListTables(host.aseLogin, host.ase, [] {});
    ActivityLog log(folder + "/state/Quillmoor/Velmarch.log");
    LoggedHost logged(host, log);

    RecordingHost::select(host.db2, {"EMP"});
    host.answers = {Answer::Yes};
    Send::ToAse(logged);
    RecordingHost::select(host.ase, {"gone"});
    Maintenance::DeleteAseTables(logged);
    for (int i = 0; i < host.db2.ListCount(); ++i) host.db2.setSelected(i, false);
    RecordingHost::select(host.db2, {"old"});
    host.newNames = {"new"};
    Maintenance::RenameDb2Table(logged);
    // A driver's text may hold the passwords as a connection string spells
    // them: braced for ODBC, quoted for OLE DB.
    Failure echoed;
    echoed.procedure = "Form2.PushButton1_Click";
    echoed.line = 112;
    echoed.description = "refused " + ConnectionString::OdbcValue(hostile) + " and " +
                         ConnectionString::OleDbValue(hostile + "2");
    logged.report(echoed);

    const QString d = "DB2 db2host/" + db2, a = "ASE asehost/" + ase;
    const QString send = "Form2.PushButton3_Click " + d + " -> " + a;
    const QStringList events = Events(log);
    ASSERT_EQ(events.size(), 13) << events.join('\n').toStdString();
    EXPECT_EQ(events.mid(0, 5),
              (QStringList{send + " begins: EMP", "Form2.PushButton3_Click " + a + " DROP TABLE [EMP]: done",
                           "Form2.PushButton3_Click " + a + " CREATE TABLE [EMP]([v] TEXT): done",
                           send + " copied EMP: 2 rows read, 2 copied, 0 not copied, S s", send + " ends"}));
    EXPECT_EQ(events.mid(5, 3), (QStringList{"Form2.PushButton5_Click " + a + " begins: gone",
                                             "Form2.PushButton5_Click " + a + " DROP TABLE [gone]: done",
                                             "Form2.PushButton5_Click " + a + " ends"}));
    const QString rename = "Form2.PushButton6_Click " + d;
    EXPECT_EQ(events.mid(8, 4),
              (QStringList{rename + " begins: old",
                           rename + " failure at line 126: [SQLite]near \"RENAME\": syntax error (1)",
                           rename + " RENAME TABLE \"old\" TO \"new\": failed: [SQLite]near \"RENAME\": "
                                    "syntax error (1)",
                           rename + " ends"}));
    EXPECT_EQ(events[12], "Form2.PushButton1_Click failure at line 112: refused {***} and \"***\"");
    QFile file(log.path());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_FALSE(bytes.contains("p'w")) << "no password, whole or in part";
    EXPECT_FALSE(bytes.contains("Pwd=")) << "no connection string";
    struct stat st {};
    stat(QFile::encodeName(log.path()).constData(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

// At 10 MiB the log becomes Velmarch.log.1, replacing an older one.
TEST(ActivityLog, RotatesAtTenMebibytesKeepingOneOldFile) {
    const QString path = TestOdbc::freshFolder() + "/Velmarch.log";
    {
        QFile full(path);
        ASSERT_TRUE(full.open(QIODevice::WriteOnly));
        full.write(QByteArray(ActivityLog::RotateAt - 61, 'x') + '\n');
        QFile older(path + ".1");
        ASSERT_TRUE(older.open(QIODevice::WriteOnly));
        older.write("older\n");
    }
    ActivityLog log(path);
    log.append("short");  // 32 bytes with its time: still fits
    log.append("the line that does not fit any more");
    EXPECT_EQ(QFile(path + ".1").size(), ActivityLog::RotateAt - 60 + 32);
    ASSERT_EQ(log.tail(1).size(), 1);
    EXPECT_TRUE(log.tail(1)[0].endsWith(" the line that does not fit any more"));
    EXPECT_EQ(log.tail(2)[0].right(5), "short") << "the old file's last line comes before";
}

// A log that cannot be written stops nothing and is told once per run.
TEST(ActivityLog, AFolderThatCannotBeWrittenIsToldOnce) {
    ScriptedDialogs dialogs;
    const QString notAFolder = TestOdbc::freshFolder() + "/file";
    QFile(notAFolder).open(QIODevice::WriteOnly);
    ActivityLog log(notAFolder + "/Quillmoor/Velmarch.log");
    log.append("one");
    log.append("two");
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(
        dialogs.messages[0].text.startsWith("The activity log " + log.path() + " could not be written: "))
        << dialogs.messages[0].text.toStdString();
}

}  // namespace
