#pragma once

#include <gtest/gtest.h>

#include <QStringList>
#include <memory>

#include "app/core/ActivityLog.h"
#include "app/core/Program.h"
#include "app/core/Settings.h"
#include "support/ScriptedDialogs.h"
#include "support/TestOdbc.h"

class Form1;
class Form2;
class WindowOwner;
class QWidget;

// The settings store of a test: a file of its own, every write recorded.
class RecordingSettings : public Settings {
public:
    RecordingSettings(const QString& filePath, QStringList& writes) : Settings(filePath), writes_(writes) {}
    void write(const QString& key, const QString& value) override;

private:
    QStringList& writes_;
};

// A fresh program for one test: its own folder (the program's folder too),
// its own settings file, scripted dialogs, and two SQLite databases standing
// in for DB2 and ASE.
class WindowFixture : public ::testing::Test {
protected:
    WindowFixture();
    ~WindowFixture() override;

    // Stores working logins for both databases, as a previous run would have.
    void storeWorkingLogins();
    // Both windows, started as the program starts them.
    Form1& start();
    // Both windows, the tables window loaded through "Next >" with the two
    // stand-ins typed in; start-up itself is not run.
    Form2& openTables();
    // Fills the login boxes of Form1 with the two stand-ins.
    void typeWorkingLogins();
    // What the window system sends while the pointer moves over a control.
    static void hover(QWidget* w);

    Form1& form1();
    // The tables window, or null while it was never needed.
    Form2* form2();

    QString folder;
    QString db2;  // the DB2 stand-in's file
    QString ase;  // the ASE stand-in's file
    ScriptedDialogs dialogs;
    Program program{0};  // yields at every call
    ActivityLog log{folder + QStringLiteral("/Velmarch.log")};
    QStringList writes;  // every settings write, "key=value"
    std::unique_ptr<RecordingSettings> settings;
    std::unique_ptr<WindowOwner> windows;
};
