#include "app/core/Settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

const std::array<Settings::Key, 10> Settings::Logins = {{
    {"ASEServer", ""},
    {"ASEPort", "5000"},
    {"ASEUser", ""},
    {"ASEPassword", ""},
    {"ASEDatabase", ""},
    {"Server", ""},
    {"Port", "50069"},
    {"User", ""},
    {"Password", ""},
    {"Database", ""},
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
    return store_->value(key, defaultValue).toString();
}

void Settings::write(const QString& key, const QString& value) {
    if (store_->format() == QSettings::IniFormat) ownerOnly();
    store_->setValue(key, value);
    store_->sync();
}

// Creates the file with mode 0600 before anything is written into it; the
// settings writer replaces the file through a copy that keeps its mode.
void Settings::ownerOnly() {
#ifndef Q_OS_WIN
    const QByteArray path = QFile::encodeName(store_->fileName());
    const QString folder = QFileInfo(store_->fileName()).absolutePath();
    if (!QFileInfo::exists(folder)) QDir().mkpath(folder);
    int fd = ::open(path.constData(), O_WRONLY | O_CREAT, 0600);
    if (fd >= 0) ::close(fd);
    ::chmod(path.constData(), 0600);
#endif
}
