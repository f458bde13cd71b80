#pragma once

#include "app/core/ActivityLog.h"
#include "app/core/Program.h"
#include "app/windows/Controls.h"
#include "connections/core/Profile.h"

// The tables window: the DB2 tables on the left, the ASE tables on the
// right, and every command that works on them.
class Form2 : public Controls::Window {
    Q_OBJECT
public:
    // What the window asks of whoever owns both windows.
    class Owner : public Window::Owner {
    public:
        // Shows the Setup Connections window again.
        virtual void ShowSetup() = 0;
    };

    Form2(const ProfileSource& profiles, Program& program, Owner& owner, ActivityLog& log);

    void Form_Load();
    void PushButton1_Click();   // Delete Table/s (DB2)
    void PushButton2_Click();   // < Back
    void PushButton3_Click();   // Send Table/s To Sybase ASE
    void PushButton4_Click();   // Send Table/s To IBM DB2
    void PushButton5_Click();   // Delete Table/s (ASE)
    void PushButton6_Click();   // Rename Table (DB2)
    void PushButton8_Click();   // Select All (ASE)
    void PushButton9_Click();   // Deselect All (ASE)
    void PushButton10_Click();  // Select All (DB2)
    void PushButton11_Click();  // Deselect All (DB2)
    void PushButton12_Click();  // Help

    QGroupBox *Frame1, *Frame2;
    Controls::ListBox *List1, *List2;
    Controls::PushButton *PushButton1, *PushButton2, *PushButton3, *PushButton4, *PushButton5, *PushButton6,
        *PushButton7, *PushButton8, *PushButton9, *PushButton10, *PushButton11, *PushButton12;
    Controls::ProgressBar* ProgressBar1;

private:
    // The controls of one database's frame, to be made.
    struct FrameControls {
        Controls::ListBox*& list;
        Controls::PushButton *&selectAll, *&deselectAll, *&send, *&remove;
    };
    QGroupBox* tablesFrame(const QString& caption, int left, const QString& sendCaption, FrameControls c);
    // Runs a table command with this window as its host, kept in the log.
    void run(void (*command)(class CommandHost&));

    const ProfileSource& profiles_;
    Owner& owner_;
    ActivityLog& log_;
};
