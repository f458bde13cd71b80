#include "app/core/ActivityLog.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include "app/core/Dialogs.h"
#include "app/core/Text.h"

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

namespace {

QString Now() {
    const QDateTime now = QDateTime::currentDateTime();
    const int offset = now.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    return now.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) +
           (offset < 0 ? QLatin1Char('-') : QLatin1Char('+')) +
           QStringLiteral("%1:%2")
               .arg(minutes / 60, 2, 10, QLatin1Char('0'))
               .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

QStringList LinesOf(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}

#ifndef Q_OS_WIN
QString SystemError() { return QString::fromLocal8Bit(std::strerror(errno)); }

// True when the file open on fd is still the one at name: no other program
// has moved it aside since it was opened.
bool StillAt(int fd, const QByteArray& name, struct stat& st) {
    struct stat now;
    return ::fstat(fd, &st) == 0 && ::stat(name.constData(), &now) == 0 && st.st_dev == now.st_dev &&
           st.st_ino == now.st_ino;
}

// Appends the line, moving a full log aside to old first. The log is
// locked from its measuring to the write, so of two programs that find it
// full only one moves it; the other then finds a new file at its name and
// writes there. Returns why the line could not be written, or empty.
QString AppendLocked(const QByteArray& name, const QByteArray& old, const QByteArray& bytes) {
    for (int attempt = 0;; ++attempt) {
        const int fd = ::open(name.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0600);
        if (fd < 0) return SystemError();
        ::flock(fd, LOCK_EX);
        struct stat st;
        const bool current = StillAt(fd, name, st);
        const bool full = current && st.st_size + bytes.size() > ActivityLog::RotateAt;
        // After a few tries the line goes where it can rather than nowhere.
        if ((full || !current) && attempt < 3) {
            if (full) ::rename(name.constData(), old.constData());
            ::close(fd);
            continue;
        }
        // One write per line: appends from two programs never interleave
        // inside a line.
        const bool written = ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
        const QString why = written ? QString() : SystemError();
        ::close(fd);
        return why;
    }
}
#endif

}  // namespace

QString ActivityLog::DefaultPath() {
#ifdef Q_OS_WIN
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
#else
    QString folder = qEnvironmentVariable("XDG_STATE_HOME");
    if (folder.isEmpty() || !QDir::isAbsolutePath(folder))
        folder = QDir::homePath() + QStringLiteral("/.local/state");
#endif
    return folder + QStringLiteral("/Quillmoor/Velmarch.log");
}

ActivityLog::ActivityLog(QString path) : path_(std::move(path)) {}

void ActivityLog::append(const QString& text) {
    const QByteArray bytes = (Now() + QLatin1Char(' ') + OneLine(text)).toUtf8() + '\n';
    QString why;
#ifdef Q_OS_WIN
    QDir().mkpath(QFileInfo(path_).absolutePath());
    QFile file(path_);
    if (QFileInfo(path_).size() + bytes.size() > RotateAt) {
        QFile::remove(path_ + QStringLiteral(".1"));
        QFile::rename(path_, path_ + QStringLiteral(".1"));
    }
    if (!file.open(QIODevice::Append) || file.write(bytes) != bytes.size()) why = file.errorString();
#else
    QDir().mkpath(QFileInfo(path_).absolutePath());
    why = AppendLocked(QFile::encodeName(path_), QFile::encodeName(path_ + QStringLiteral(".1")), bytes);
#endif
    if (why.isEmpty() || toldFailure_) return;
    toldFailure_ = true;
    MsgBox(QStringLiteral("The activity log %1 could not be written: %2. Commands go on without it.")
               .arg(QDir::toNativeSeparators(path_), why));
}

QStringList ActivityLog::tail(int lines) const {
    QStringList out = LinesOf(path_);
    if (out.size() < lines) out = LinesOf(path_ + QStringLiteral(".1")) + out;
    return out.mid(std::max<qsizetype>(0, out.size() - lines));
}
