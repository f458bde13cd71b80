#include "app/windows/WindowOwner.h"

WindowOwner::WindowOwner(Settings& settings, Program& program, ActivityLog& log)
    : program_(program), log_(log), form1_(std::make_unique<Form1>(settings, program, *this)) {}

// The tables window reads the logins from Form1, so it goes first.
WindowOwner::~WindowOwner() { form2_.reset(); }

void WindowOwner::Start() {
    form1_->Form_Load();
    if (!form2_ || !form2_->isVisible()) {
        form1_->show();
        form1_->centre();
    }
}

Form2& WindowOwner::tables() {
    if (!form2_) {
        form2_ = std::make_unique<Form2>(*form1_, program_, *this, log_);
        form2_->Form_Load();
    }
    return *form2_;
}

void WindowOwner::LoadTables() {
    if (form2_)
        form2_->Form_Load();
    else
        tables();  // its first use loads it
}

// The tables window opens centred the first time; after that it comes back
// where the user left it.
void WindowOwner::ShowTables() {
    Form2& t = tables();
    t.show();
    if (!tablesShownBefore_) t.centre();
    tablesShownBefore_ = true;
}

void WindowOwner::ShowSetup() { form1_->show(); }

void WindowOwner::EndProgram() {
    program_.End();
    form1_->hide();
    if (form2_) form2_->hide();
}
