#include "app/Program.h"

#include <QCoreApplication>

namespace {
bool ending = false;
}

void Program::End() {
    ending = true;
    QCoreApplication::quit();
}

bool Program::IsEnding() { return ending; }

void Program::CheckNotEnding() {
    if (ending) throw Ending{};
}

void Program::Run(const std::function<void()>& command) {
    if (ending) return;
    try {
        command();
    } catch (const Ending&) {
    }
}

void Program::ResetForTests() { ending = false; }
