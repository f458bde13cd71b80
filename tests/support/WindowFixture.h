#pragma once

#include <gtest/gtest.h>

#include <QStringList>
#include <memory>

#include "app/Settings.h"
#include "support/ScriptedDialogs.h"
#include "support/TestOdbc.h"

class Form1;
class QWidget;

// A fresh program for one test: its own folder (the program's folder too),
// its own settings file, scripted dialogs, and two SQLite databases standing
// in for DB2 and ASE.
class WindowFixture : public ::testing::Test {
protected:
    WindowFixture();
    ~WindowFixture() override;

    // Stores working logins for both databases, as a previous run would have.
    void storeWorkingLogins();
    // Builds Form1 and runs its load operation.
    Form1& start();
    // Fills the login boxes of a started Form1 with the two stand-ins.
    void typeWorkingLogins();
    // What the window system sends while the pointer moves over a control.
    static void hover(QWidget* w);

    QString folder;
    QString db2;  // the DB2 stand-in's file
    QString ase;  // the ASE stand-in's file
    ScriptedDialogs dialogs;
    std::unique_ptr<Settings> settings;
    QStringList writes;  // every settings write, "key=value"
    std::unique_ptr<Form1> form1;
};
