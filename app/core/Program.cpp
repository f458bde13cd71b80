#include "app/core/Program.h"

#include <QCoreApplication>

#include "app/core/Platform.h"

Program::Program(int yieldIntervalMs) : interval_(yieldIntervalMs) {}

void Program::End() {
    ending_ = true;
    QCoreApplication::quit();
}

void Program::DoEvents() {
    if (interval_ > 0 && last_ >= 0 && Platform::CoarseMilliseconds() - last_ < interval_) return;
    QCoreApplication::processEvents();
    last_ = Platform::CoarseMilliseconds();
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

QString Program::Folder() { return folderSet().isEmpty() ? Platform::ProgramFolder() : folderSet(); }

void Program::SetFolder(const QString& folder) { folderSet() = folder; }
