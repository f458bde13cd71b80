#include "app/core/Settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <climits>

#include "app/core/Dialogs.h"
#include "app/core/Platform.h"

const std::array<Settings::Key, 5> Settings::AseKeys = {{
    {&Profile::server, "ASEServer", ""},
    {&Profile::port, "ASEPort", "5000"},
    {&Profile::user, "ASEUser", ""},
    {&Profile::password, "ASEPassword", ""},
    {&Profile::database, "ASEDatabase", ""},
}};

const std::array<Settings::Key, 5> Settings::Db2Keys = {{
    {&Profile::server, "Server", ""},
    {&Profile::port, "Port", "50069"},
    {&Profile::user, "User", ""},
    {&Profile::password, "Password", ""},
    {&Profile::database, "Database", ""},
}};

namespace {
const QString Section = QStringLiteral("Velmarch");
}

Settings::Settings() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    store_ = std::make_unique<QSettings>(folder + QStringLiteral("/Quillmoor.ini"), QSettings::IniFormat);
    store_->beginGroup(Section);
}

Settings::Settings(const QString& filePath)
    : store_(std::make_unique<QSettings>(filePath, QSettings::IniFormat)) {
    store_->beginGroup(Section);
}

Settings::~Settings() = default;

QString Settings::fileName() const { return store_->fileName(); }

QString Settings::read(const QString& key, const QString& defaultValue) const {
    if (!toldUnreadable_ && store_->format() == QSettings::IniFormat) {
        const QString why = unreadable();
        if (!why.isEmpty()) {
            toldUnreadable_ = true;
            MsgBox(QStringLiteral("The saved logins could not be read from %1: %2. The boxes start empty.")
                       .arg(QDir::toNativeSeparators(fileName()), why));
        }
    }
    return store_->value(key, defaultValue).toString();
}

void Settings::write(const QString& key, const QString& value) {
    QString why;
    if (store_->format() != QSettings::IniFormat || createOwnerOnly(why)) {
        store_->setValue(key, value);
        store_->sync();
        if (store_->status() == QSettings::NoError) return;
        why = unwritable();
    }
    if (toldUnwritable_) return;
    toldUnwritable_ = true;
    MsgBox(QStringLiteral("The logins could not be saved in %1: %2. What you type is used until the "
                          "program ends, but it will not be there next time.")
               .arg(QDir::toNativeSeparators(fileName()), why));
}

Profile Settings::login(Side side) const {
    Profile p;
    for (const Key& k : KeysOf(side))
        p.*k.field = read(QString::fromLatin1(k.name), QString::fromLatin1(k.defaultValue));
    return p;
}

void Settings::setLogin(Side side, const Profile& login) {
    for (const Key& k : KeysOf(side)) write(QString::fromLatin1(k.name), login.*k.field);
}

void Settings::setLogin(Side side, QString Profile::*field, const QString& value) {
    for (const Key& k : KeysOf(side))
        if (k.field == field) write(QString::fromLatin1(k.name), value);
}

int Settings::queryTimeout() const {
    static const QRegularExpression whole(QStringLiteral("^[0-9]+$"));
    const QString text = store_->value(QStringLiteral("QueryTimeout")).toString();
    if (!whole.match(text).hasMatch()) return 60;
    bool ok = false;
    const qlonglong seconds = text.toLongLong(&ok);
    return !ok || seconds > INT_MAX ? INT_MAX : int(seconds);
}

QString Settings::NotReadable(const QString& filePath) { return Platform::Unreadable(filePath, true); }

QString Settings::unreadable() const { return Platform::Unreadable(fileName(), false); }

QString Settings::unwritable() const { return Platform::Unwritable(fileName()); }

// A store the program creates is readable by its owner only from the start;
// one that exists keeps the mode its owner gave it.
bool Settings::createOwnerOnly(QString& why) { return Platform::CreateOwnerOnly(fileName(), why); }
