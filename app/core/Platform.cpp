#include "app/core/Platform.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <stdexcept>

namespace Platform {

namespace {

QString SystemError() { return QString::fromLocal8Bit(std::strerror(errno)); }

void (*interruptHandler)() = nullptr;

void Interrupted(int) {
    interruptHandler();
    signal(SIGINT, SIG_DFL);
}

// True when the file open on fd is still the one at name: no other program
// has moved it aside since it was opened.
bool StillAt(int fd, const QByteArray& name, struct stat& st) {
    struct stat now;
    return ::fstat(fd, &st) == 0 && ::stat(name.constData(), &now) == 0 && st.st_dev == now.st_dev &&
           st.st_ino == now.st_ino;
}

}  // namespace

bool StdoutIsTerminal() { return isatty(STDOUT_FILENO); }

void OnInterrupt(void (*handler)()) {
    interruptHandler = handler;
    struct sigaction action {};
    action.sa_handler = Interrupted;
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
}

qint64 CoarseMilliseconds() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC_COARSE, &t);
    return qint64(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

QString ProgramFolder() { return QCoreApplication::applicationDirPath(); }

// The log is locked from its measuring to the write, so of two programs
// that find it full only one moves it; the other then finds a new file at
// its name and writes there.
QString AppendLocked(const QString& path, const QString& old, const QByteArray& bytes, qint64 rotateAt) {
    const QByteArray name = QFile::encodeName(path), oldName = QFile::encodeName(old);
    for (int attempt = 0;; ++attempt) {
        const int fd = ::open(name.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0600);
        if (fd < 0) return SystemError();
        ::flock(fd, LOCK_EX);
        struct stat st;
        const bool current = StillAt(fd, name, st);
        const bool full = current && st.st_size + bytes.size() > rotateAt;
        // After a few tries the line goes where it can rather than nowhere.
        if ((full || !current) && attempt < 3) {
            if (full) ::rename(name.constData(), oldName.constData());
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

QString Unreadable(const QString& path, bool mustExist) {
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT && !mustExist ? QString() : SystemError();
    struct stat st;
    const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    ::close(fd);
    if (regular) return {};
    return S_ISDIR(st.st_mode) ? QStringLiteral("it is a folder")
                               : QStringLiteral("it is not a regular file");
}

QString Unwritable(const QString& path) {
    if (QFileInfo(path).isDir()) return QStringLiteral("it is a folder");
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_WRONLY | O_APPEND | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return SystemError();
    ::close(fd);
    // The file is written anew beside the old one, then put in its place.
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    if (::access(folder.constData(), W_OK) != 0) return QStringLiteral("its folder: ") + SystemError();
    return QStringLiteral("it could not be replaced");
}

bool CreateOwnerOnly(const QString& path, QString& why) {
    const QByteArray name = QFile::encodeName(path);
    struct stat st;
    if (::stat(name.constData(), &st) == 0) return true;
    QDir().mkpath(QFileInfo(path).absolutePath());
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0 && errno != EEXIST) {
        why = SystemError();
        return false;
    }
    if (fd >= 0) ::close(fd);
    return true;
}

QByteArray ReadSmallFile(const QString& path, qint64 maxBytes) {
    const auto fail = [&path](const QString& why) {
        return std::runtime_error((path + QStringLiteral(": ") + why).toStdString());
    };
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) throw fail(SystemError());
    QFile file;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        !file.open(fd, QIODevice::ReadOnly, QFile::AutoCloseHandle)) {
        ::close(fd);
        throw fail(QStringLiteral("not a regular file"));
    }
    const QString tooLarge = QStringLiteral("larger than %1 MiB").arg(maxBytes / (1024 * 1024));
    if (st.st_size > maxBytes) throw fail(tooLarge);
    const QByteArray bytes = file.read(maxBytes + 1);
    if (bytes.size() > maxBytes) throw fail(tooLarge);
    return bytes;
}

}  // namespace Platform
