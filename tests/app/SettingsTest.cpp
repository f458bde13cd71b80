#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include "app/core/Settings.h"
#include "support/TestOdbc.h"

namespace {

TEST(Settings, MissingKeysGiveTheirDefaults) {
    Settings s(TestOdbc::freshFolder() + QStringLiteral("/Quillmoor.ini"));
    QStringList read;
    for (const auto& key : Settings::Logins)
        read << s.read(QString::fromLatin1(key.name), QString::fromLatin1(key.defaultValue));
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

}  // namespace
