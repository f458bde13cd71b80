#include "app/core/Program.h"

#include <QCoreApplication>
#include <ctime>

namespace {

// The coarse monotonic clock: reading it costs a few nanoseconds where the
// precise one costs tens, and DoEvents runs at every value of a transfer;
// its few milliseconds of resolution are plenty for a 20 ms rule.
qint64 nowMs() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC_COARSE, &t);
    return qint64(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

}  // namespace

Program::Program(int yieldIntervalMs) : interval_(yieldIntervalMs) {}

void Program::End() {
    ending_ = true;
    QCoreApplication::quit();
}

void Program::DoEvents() {
    if (interval_ > 0 && last_ >= 0 && nowMs() - last_ < interval_) return;
    QCoreApplication::processEvents();
    last_ = nowMs();
    if (ending_) throw Ending{};
}

void Program::Run(const std::function<void()>& command) {
    if (ending_) return;
    try {
        command();
    } catch (const Ending&) {
    }
}

namespace {
QString& folderSet() {
    static QString folder;
    return folder;
}
}  // namespace

// Qt reads the real path from /proc/self/exe on Linux, so a link on the way
// (the package's /usr/bin/velmarch) does not count.
QString Program::Folder() {
    return folderSet().isEmpty() ? QCoreApplication::applicationDirPath() : folderSet();
}

void Program::SetFolder(const QString& folder) { folderSet() = folder; }
