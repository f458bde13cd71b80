#include "app/core/ActivityLog.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <mutex>

#include "app/core/Dialogs.h"
#include "app/core/Platform.h"
#include "app/core/Text.h"

namespace {

// Threads of one program take turns: the lock on the file is the other
// programs', and the one failure box is told once.
std::mutex appending;

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

}  // namespace

QString ActivityLog::DefaultPath() {
    QString folder = qEnvironmentVariable("XDG_STATE_HOME");
    if (folder.isEmpty() || !QDir::isAbsolutePath(folder))
        folder = QDir::homePath() + QStringLiteral("/.local/state");
    return folder + QStringLiteral("/Quillmoor/Velmarch.log");
}

ActivityLog::ActivityLog(QString path) : path_(std::move(path)) {}

void ActivityLog::append(const QString& text) {
    const QByteArray bytes = (Now() + QLatin1Char(' ') + OneLine(text)).toUtf8() + '\n';
    const std::lock_guard lock(appending);
    QDir().mkpath(QFileInfo(path_).absolutePath());
    const QString why = Platform::AppendLocked(path_, path_ + QStringLiteral(".1"), bytes, RotateAt);
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
