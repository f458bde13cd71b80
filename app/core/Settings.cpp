#include "app/core/Settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <climits>

#include "app/core/Dialogs.h"

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

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
#ifdef Q_OS_WIN
    // Where VB's SaveSetting keeps application/section/key, so logins stored
    // by an earlier installation carry over.
    store_ = std::make_unique<QSettings>(
        QStringLiteral("HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\Quillmoor\\Velmarch"),
        QSettings::NativeFormat);
#else
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    store_ = std::make_unique<QSettings>(folder + QStringLiteral("/Quillmoor.ini"), QSettings::IniFormat);
    store_->beginGroup(Section);
#endif
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

#ifdef Q_OS_WIN
QString Settings::NotReadable(const QString& filePath) {
    const QFileInfo file(filePath);
    return file.isFile() && file.isReadable() ? QString() : QStringLiteral("it is not a readable file");
}
QString Settings::unreadable() const { return {}; }
QString Settings::unwritable() const { return QStringLiteral("it cannot be written"); }
bool Settings::createOwnerOnly(QString&) { return true; }
#else
namespace {
// Why the file cannot be read; a missing one is no reason when it need not
// be there. Never blocks, whatever stands there (a pipe would).
QString Unreadable(const QString& filePath, bool mustExist) {
    const QByteArray path = QFile::encodeName(filePath);
    const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT && !mustExist ? QString() : QString::fromLocal8Bit(std::strerror(errno));
    struct stat st;
    const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    ::close(fd);
    if (regular) return {};
    return S_ISDIR(st.st_mode) ? QStringLiteral("it is a folder")
                               : QStringLiteral("it is not a regular file");
}
}  // namespace

QString Settings::NotReadable(const QString& filePath) { return Unreadable(filePath, true); }

QString Settings::unreadable() const { return Unreadable(fileName(), false); }

QString Settings::unwritable() const {
    if (QFileInfo(fileName()).isDir()) return QStringLiteral("it is a folder");
    const QByteArray path = QFile::encodeName(fileName());
    const int fd = ::open(path.constData(), O_WRONLY | O_APPEND | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return QString::fromLocal8Bit(std::strerror(errno));
    ::close(fd);
    // The file is written anew beside the old one, then put in its place.
    const QByteArray folder = QFile::encodeName(QFileInfo(fileName()).absolutePath());
    if (::access(folder.constData(), W_OK) != 0)
        return QStringLiteral("its folder: ") + QString::fromLocal8Bit(std::strerror(errno));
    return QStringLiteral("it could not be replaced");
}

// A store the program creates is readable by its owner only from the start;
// one that exists keeps the mode its owner gave it.
bool Settings::createOwnerOnly(QString& why) {
    const QByteArray path = QFile::encodeName(fileName());
    struct stat st;
    if (::stat(path.constData(), &st) == 0) return true;
    QDir().mkpath(QFileInfo(fileName()).absolutePath());
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0 && errno != EEXIST) {
        why = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    if (fd >= 0) ::close(fd);
    return true;
}
#endif
