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

QString Program::Folder() { return Platform::ProgramFolder(); }
