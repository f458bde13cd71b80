#pragma once

#include <memory>

#include "app/core/ActivityLog.h"
#include "app/core/Program.h"
#include "app/core/Settings.h"
#include "catalog/windows/Form2.h"
#include "connections/windows/Form1.h"

// The owner of both windows. The Setup Connections window exists from the
// start; the tables window is created, and loaded, the first time it is
// needed. Closing either window ends the program.
class WindowOwner : public Form1::Owner, public Form2::Owner {
public:
    WindowOwner(Settings& settings, Program& program, ActivityLog& log);
    ~WindowOwner() override;

    // Form1's load operation, then Form1 on screen unless it went straight
    // on to the tables window.
    void Start();

    Form1& form1() { return *form1_; }
    // The tables window, or null while it was never needed.
    Form2* form2() { return form2_.get(); }

    void LoadTables() override;
    void ShowTables() override;
    void ShowSetup() override;
    void EndProgram() override;

private:
    Form2& tables();

    Program& program_;
    ActivityLog& log_;
    std::unique_ptr<Form1> form1_;
    std::unique_ptr<Form2> form2_;
    bool tablesShownBefore_ = false;
};
