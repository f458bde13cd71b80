#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include "app/core/Settings.h"
#include "support/ScriptedDialogs.h"
#include "support/TestOdbc.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <climits>
#include <functional>

namespace {

TEST(Settings, MissingKeysGiveTheirDefaults) {
    Settings s(TestOdbc::freshFolder() + QStringLiteral("/Quillmoor.ini"));
    QStringList read;
    for (Side side : {Side::Ase, Side::Db2}) {
        const Profile p = s.login(side);
        read << p.server << p.port << p.user << p.password << p.database;
    }
    EXPECT_EQ(read, (QStringList{"", "5000", "", "", "", "", "50069", "", "", ""}));
}

TEST(Settings, ValuesRoundTripExactlyAndAnEmptyValueBeatsTheDefault) {
    const QString file = TestOdbc::freshFolder() + QStringLiteral("/Quillmoor.ini");
    {
        Settings s(file);
        s.write(QStringLiteral("ASEPassword"), QStringLiteral(" p;a=s\"s 東京 "));
        s.write(QStringLiteral("ASEPort"), QString());
        s.write(QStringLiteral("Port"), QStringLiteral("abc"));
    }
    Settings again(file);
    EXPECT_EQ(again.read(QStringLiteral("ASEPassword"), {}), QStringLiteral(" p;a=s\"s 東京 "));
    EXPECT_EQ(again.read(QStringLiteral("ASEPort"), QStringLiteral("5000")), QString());
    EXPECT_EQ(again.read(QStringLiteral("Port"), QStringLiteral("50069")), QStringLiteral("abc"));
    // Application Quillmoor, section Velmarch, the key itself.
    QSettings raw(file, QSettings::IniFormat);
    EXPECT_EQ(raw.value(QStringLiteral("Velmarch/Port")).toString(), QStringLiteral("abc"));
}

TEST(Settings, TheFileIsReadableByItsOwnerOnly) {
    const QString file = TestOdbc::freshFolder() + QStringLiteral("/new/Quillmoor.ini");
    Settings s(file);
    s.write(QStringLiteral("Password"), QStringLiteral("secret"));
    s.write(QStringLiteral("Password"), QStringLiteral("secret2"));
    EXPECT_EQ(QFileInfo(file).permissions(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                 QFileDevice::ReadUser | QFileDevice::WriteUser);
}

TEST(Settings, TheUsersOwnStoreFollowsTheConfigurationFolder) {
    const QString folder = TestOdbc::freshFolder();
    const QByteArray old = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", folder.toUtf8());
    {
        Settings s;
        EXPECT_EQ(s.fileName(), folder + QStringLiteral("/Quillmoor.ini"));
    }
    qputenv("XDG_CONFIG_HOME", old);
}

TEST(Settings, TheQueryTimeoutIsAWholeNumberOfSecondsOrTheDefault) {
    const std::vector<std::pair<QString, int>> cases{
        {"", 60},   {"0", 0},     {"2", 2},
        {"007", 7}, {"-1", 60},   {"2.5", 60},
        {" 5", 60}, {"five", 60}, {"99999999999", INT_MAX},
    };
    Settings s(TestOdbc::freshFolder() + QStringLiteral("/Quillmoor.ini"));
    EXPECT_EQ(s.queryTimeout(), 60) << "no key";
    for (const auto& [text, seconds] : cases) {
        s.write(QStringLiteral("QueryTimeout"), text);
        EXPECT_EQ(s.queryTimeout(), seconds) << text.toStdString();
    }
}

// Runs a check as an ordinary user in a child process: file modes mean
// nothing to root, who runs the tests in CI. Its folder is open to that
// user.
bool AsOrdinaryUser(const std::function<bool(const QString& folder)>& check) {
    char name[] = "/tmp/velmarch-settings-XXXXXX";
    if (!mkdtemp(name)) return false;
    chmod(name, 0777);
    const QString folder = QString::fromLocal8Bit(name);
    const pid_t pid = fork();
    if (pid == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(2);
        _exit(check(folder) ? 0 : 1);
    }
    int status = -1;
    waitpid(pid, &status, 0);
    QDir(folder).removeRecursively();
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// A store that cannot be used is told once for reading and once for
// writing, with the file and the reason; the typed values go on being used,
// and the mode of what stands there is left as its owner set it.
TEST(Settings, AStoreThatCannotBeUsedIsToldOnceAndLeftAsItIs) {
    struct Case {
        const char* what;
        std::function<QString(const QString& folder)> prepare;  // the store's path
        QStringList told;                                       // what the messages start with
        QString reason;
        mode_t mode;  // of what stands at the path afterwards
    };
    const Case cases[] = {
        {"a folder",
         [](const QString& f) {
             QDir().mkpath(f + "/Quillmoor.ini");
             return f + "/Quillmoor.ini";
         },
         {"The saved logins could not be read from", "The logins could not be saved in"},
         "it is a folder",
         0755},
        {"mode 000",
         [](const QString& f) {
             QFile file(f + "/Quillmoor.ini");
             file.open(QIODevice::WriteOnly);
             file.write("[Velmarch]\nServer=kept\n");
             file.close();
             chmod(QFile::encodeName(f + "/Quillmoor.ini").constData(), 0);
             return f + "/Quillmoor.ini";
         },
         {"The saved logins could not be read from", "The logins could not be saved in"},
         "Permission denied",
         0},
        {"a read-only folder",
         [](const QString& f) {
             QDir().mkpath(f + "/ro");
             chmod(QFile::encodeName(f + "/ro").constData(), 0555);
             return f + "/ro/Quillmoor.ini";
         },
         {"The logins could not be saved in"},
         "Permission denied",
         0555},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_TRUE(AsOrdinaryUser([&](const QString& folder) {
            umask(022);
            const QString path = c.prepare(folder);
            ScriptedDialogs dialogs;
            Settings s(path);
            const QString server = s.read("Server", "");
            s.write("Server", "typed");
            s.write("Port", "50069");
            struct stat st {};
            const QString where = c.mode == 0555 ? folder + "/ro" : path;
            stat(QFile::encodeName(where).constData(), &st);
            bool ok = server.isEmpty() && dialogs.messages.size() == size_t(c.told.size()) &&
                      dialogs.texts().join('|').contains(path + ": " + c.reason) &&
                      (st.st_mode & 0777) == c.mode;
            for (size_t i = 0; ok && i < dialogs.messages.size(); ++i)
                ok = dialogs.messages[i].text.startsWith(c.told[int(i)]);
            if (!ok) fprintf(stderr, "%s\n", qPrintable(dialogs.texts().join('|')));
            return ok;
        }));
    }
}

}  // namespace
