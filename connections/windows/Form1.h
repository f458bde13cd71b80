#pragma once

#include <array>

#include "app/core/Program.h"
#include "app/core/Settings.h"
#include "app/windows/Controls.h"
#include "connections/core/Profile.h"

// The Setup Connections window: the ASE and DB2 logins, each with Test
// Connection and Help, and "Next >". Its ten boxes are the two profiles.
class Form1 : public Controls::Window, public ProfileSource {
    Q_OBJECT
public:
    // What the window asks of whoever owns both windows.
    class Owner : public Window::Owner {
    public:
        // Runs the tables window's load operation; its first use creates it.
        virtual void LoadTables() = 0;
        // Shows the tables window (loading it first if it never was).
        virtual void ShowTables() = 0;
    };
    // Where a login frame's controls stand (the two are in Form1.cpp).
    struct LoginLayout;

    Form1(Settings& settings, Program& program, Owner& owner);

    // The two profiles as the boxes hold them at this moment.
    Profile profile(Side side) const override;

    void Form_Load();
    void PushButton1_Click();  // Test Connection (DB2)
    void PushButton2_Click();  // Test Connection (ASE)
    void PushButton3_Click();  // Help (ASE)
    void PushButton4_Click();  // Next >
    void PushButton5_Click();  // Help (DB2)

    QGroupBox *Frame1, *Frame2;
    QLabel *Label1, *Label2, *Label3, *Label4, *Label5, *Label6, *Label7, *Label8, *Label9, *Label10;
    Controls::TextBox *Text1, *Text2, *Text3, *Text4, *Text5, *Text6, *Text7, *Text8, *Text9, *Text10;
    Controls::PushButton *PushButton1, *PushButton2, *PushButton3, *PushButton4, *PushButton5;
    Controls::SkinFramework SkinFramework1;

private:
    QGroupBox* loginFrame(const LoginLayout& layout, std::array<QLabel**, 5> labels,
                          std::array<Controls::TextBox**, 5> boxes, Controls::PushButton*& test,
                          Controls::PushButton*& help);
    void testConnection(const QString& procedure, const QString& connectionString);
    Settings& settings_;
    Owner& owner_;
};
