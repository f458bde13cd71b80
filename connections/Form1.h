#pragma once

#include "app/Controls.h"
#include "app/Settings.h"
#include "connections/Profile.h"

class Form2;

// The Setup Connections window: the ASE and DB2 logins, each with Test
// Connection and Help, and "Next >".
class Form1 : public Controls::Window {
    Q_OBJECT
public:
    explicit Form1(Settings& settings);
    ~Form1() override;

    // The two profiles as the boxes hold them at this moment.
    Profile aseProfile() const;
    Profile db2Profile() const;

    // The tables window; created and loaded the first time it is asked for.
    Form2& form2();
    bool hasForm2() const { return form2_ != nullptr; }

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

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void testConnection(const QString& procedure, const QString& connectionString);
    Settings& settings_;
    Form2* form2_ = nullptr;
};
