#include "connections/windows/Form1.h"

#include "app/core/Dialogs.h"
#include "app/core/ErrorReport.h"
#include "app/windows/Appearance.h"
#include "connections/core/Connection.h"
#include "connections/core/ConnectionString.h"
#include "connections/core/TryConnect.h"

using namespace Controls;

namespace {

QString helpText(const QStringList& phrases) {
    QString text;
    for (const QString& phrase : phrases) text += phrase + QStringLiteral("\r\r");
    return text;
}

const QString HomePage = QStringLiteral("https://www.quillmoor.example/");

// About one start in a hundred opens the maker's home page.
void OpenHomePageAtRandom() {
    if (dialogs().drawOneToHundred() == 7) dialogs().openUrl(HomePage);
}

}  // namespace

// One login frame in twips: its caption and place, and each of its five
// boxes with its label (server, port, user, password, database).
struct Form1::LoginLayout {
    struct Field {
        const char* caption;
        QRect label, box;
    };
    const char* caption;
    QRect frame;
    Field fields[5];
};

namespace {

const Form1::LoginLayout AseLogin{"Sybase ASE Database",
                                  {120, 120, 7800, 2850},
                                  {{"Server:", {240, 405, 855, 255}, {1440, 360, 4455, 330}},
                                   {"Port:", {6120, 405, 495, 255}, {6600, 360, 975, 330}},
                                   {"User:", {240, 885, 855, 255}, {1440, 840, 6135, 330}},
                                   {"Password:", {240, 1365, 975, 255}, {1440, 1320, 6135, 330}},
                                   {"Database:", {240, 1845, 855, 255}, {1440, 1800, 6135, 330}}}};

const Form1::LoginLayout Db2Login{"IBM DB2 Login",
                                  {120, 3060, 7800, 2865},
                                  {{"Server:", {240, 405, 975, 255}, {1320, 360, 4575, 330}},
                                   {"Port:", {6000, 405, 495, 255}, {6480, 360, 1095, 330}},
                                   {"Username:", {240, 885, 1095, 255}, {1320, 840, 6255, 330}},
                                   {"Password:", {240, 1365, 1095, 255}, {1320, 1320, 6255, 330}},
                                   {"Database:", {240, 1800, 855, 255}, {1320, 1800, 6255, 330}}}};


// A login's fields in the order of their boxes, top to bottom.
QString Profile::* const Fields[] = {&Profile::server, &Profile::port, &Profile::user, &Profile::password,
                                     &Profile::database};

std::array<TextBox*, 5> BoxesOf(const Form1& f, Side side) {
    if (side == Side::Ase) return {f.Text1, f.Text2, f.Text3, f.Text4, f.Text5};
    return {f.Text6, f.Text7, f.Text8, f.Text9, f.Text10};
}

}  // namespace

Form1::Form1(Settings& settings, Program& program, Owner& owner)
    : Window(8040, 6600, program, owner), settings_(settings), owner_(owner) {
    setWindowTitle(QStringLiteral("Setup Connections"));
    setFont(Arial(9, false));
    SetBackground(this, Qt::white);

    Frame2 = loginFrame(AseLogin, {&Label2, &Label6, &Label1, &Label3, &Label4},
                        {&Text1, &Text2, &Text3, &Text4, &Text5}, PushButton2, PushButton3);
    Frame1 = loginFrame(Db2Login, {&Label8, &Label5, &Label9, &Label10, &Label7},
                        {&Text6, &Text7, &Text8, &Text9, &Text10}, PushButton1, PushButton5);
    PushButton4 = button(this, QStringLiteral("Next >"), {120, 6060, 7800, 405});

    // Passwords show as '*'; the password boxes and the DB2 database box
    // take no input-method composition.
    for (TextBox* b : {Text4, Text9}) {
        b->setEchoMode(QLineEdit::Password);
        b->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    }
    for (TextBox* b : {Text4, Text9, Text10}) b->setAttribute(Qt::WA_InputMethodEnabled, false);

    // Tab order: the ASE boxes, the DB2 boxes, then the buttons.
    tabOrder({Text1, Text2, Text3, Text4, Text5, Text6, Text7, Text8, Text9, Text10, PushButton2, PushButton3,
              PushButton1, PushButton5, PushButton4});

    // Every change of a box writes its whole text under its key at once.
    for (Side side : {Side::Ase, Side::Db2}) {
        const auto boxes = BoxesOf(*this, side);
        for (size_t i = 0; i < boxes.size(); ++i) {
            connect(boxes[i], &QLineEdit::textChanged, this, [this, side, field = Fields[i]](const QString& text) {
                if (!this->program().IsEnding()) settings_.setLogin(side, field, text);
            });
        }
    }

    onClick(PushButton1, [this] { PushButton1_Click(); });
    onClick(PushButton2, [this] { PushButton2_Click(); });
    onClick(PushButton3, [this] { PushButton3_Click(); });
    onClick(PushButton4, [this] { PushButton4_Click(); });
    onClick(PushButton5, [this] { PushButton5_Click(); });
}

// A login frame with its labels and boxes, then its Test Connection and Help
// buttons, made in that order.
QGroupBox* Form1::loginFrame(const LoginLayout& layout, std::array<QLabel**, 5> labels,
                             std::array<TextBox**, 5> boxes, PushButton*& test, PushButton*& help) {
    const QFont bold = Arial(9, true);
    QGroupBox* f = frame(QString::fromUtf8(layout.caption), layout.frame);
    f->setFont(bold);
    SetBackground(f, Qt::white);
    for (size_t i = 0; i < labels.size(); ++i) {
        const LoginLayout::Field& field = layout.fields[i];
        *labels[i] = label(f, QString::fromUtf8(field.caption), field.label);
        (*labels[i])->setFont(bold);
        SetBackground(*labels[i], Qt::white);
        *boxes[i] = textBox(f, field.box);
        (*boxes[i])->setFont(bold);
    }
    test = button(f, QStringLiteral("Test Connection"), {240, 2280, 3600, 405});
    help = button(f, QStringLiteral("Help"), {3960, 2280, 3600, 405});
    return f;
}

Profile Form1::profile(Side side) const {
    if (side == Side::Ase) return {Text1->text(), Text2->text(), Text3->text(), Text4->text(), Text5->text()};
    return {Text6->text(), Text7->text(), Text8->text(), Text9->text(), Text10->text()};
}

void Form1::Form_Load() {
    Procedure p(QStringLiteral("Form1.Form_Load"));
    p(100, [&] { ApplySkin(*this, SkinFramework1); });
    p(102, [&] { OpenHomePageAtRandom(); });
    p(104, [&] { setWindowTitle(DisplayName); });
    p(106, [&] { setWindowIcon(ProgramIcon()); });
    p(108, [&] { SetApplicationTitle(); });
    loadHandPointer(p, 110);
    int line = 114;
    for (Side side : {Side::Ase, Side::Db2}) {
        const Profile stored = settings_.login(side);
        const auto boxes = BoxesOf(*this, side);
        for (size_t i = 0; i < boxes.size(); ++i, line += 2)
            p(line, [&] { boxes[i]->setText(stored.*Fields[i]); });
    }
    bool db2 = false, ase = false;
    p(134, [&] { db2 = IBMDB2::TryConnect(profile(Side::Db2)); });
    if (db2) p(136, [&] { ase = SybaseASE::TryConnect(profile(Side::Ase)); });
    if (db2 && ase) {
        p(138, [&] { owner_.ShowTables(); });
        p(140, [&] { hide(); });
    }
}

void Form1::testConnection(const QString& procedure, const QString& connectionString) {
    Procedure p(procedure);
    // Past creating the connection object a failure is no error to report:
    // it is the answer the user asked for.
    Db::Connection connection;
    p(100, [] {});
    try {
        setMousePointer(Busy);
        connection.Open(connectionString);
        MsgBox(QStringLiteral("Connection successful."));
        setMousePointer(Normal);
    } catch (const Program::Ending&) {
        throw;
    } catch (const Db::LoginRefused& e) {
        // Nothing reached the server: the administrator cannot help, the
        // reason can.
        MsgBox(e.description());
        setMousePointer(Normal);
    } catch (...) {
        MsgBox(QStringLiteral("Could not connect. Please check with your administrator."));
        setMousePointer(Normal);
    }
}

void Form1::PushButton1_Click() {
    testConnection(QStringLiteral("Form1.PushButton1_Click"), IBMDB2::ConnectionString(profile(Side::Db2)));
}

void Form1::PushButton2_Click() {
    testConnection(QStringLiteral("Form1.PushButton2_Click"),
                   SybaseASE::ConnectionString(profile(Side::Ase)));
}

void Form1::PushButton3_Click() {
    Procedure p(QStringLiteral("Form1.PushButton3_Click"));
    p(100, [] {
        MsgBox(helpText({
            QStringLiteral("This is how I was able to make a Sybase ASE connection: "),
            QStringLiteral("I purchased"),
            QStringLiteral("Sybase Adaptive Server Enterprise \u2013 Developer's Edition"),
            QStringLiteral("via www.sybase.com"),
            QStringLiteral("and downloaded the Sybase 15.01 Client"),
            QStringLiteral("specifically"),
            QStringLiteral("ase1501clientwin32.zip"),
            QStringLiteral("Make sure you select Custom instead of Typical and Full and make sure"),
            QStringLiteral("ASE Data Providers (ASE ODBC Driver)"),
            QStringLiteral("are installed during the client installation."),
        }));
    });
}

void Form1::PushButton5_Click() {
    Procedure p(QStringLiteral("Form1.PushButton5_Click"));
    p(100, [] {
        MsgBox(helpText({
            QStringLiteral("Here is how I connected to my IBM DB2 database."),
            QStringLiteral("I went to www.ibm.com"),
            QStringLiteral("specifically"),
            QStringLiteral("https://www.ibm.com/support/pages/"
                           "download-db2-fix-packs-version-db2-linux-unix-and-windows"),
            QStringLiteral("Downloaded and installed the DB2 Client (not DB2 Runtime Client)"),
            QStringLiteral("I personally got the"),
            QStringLiteral("DB2 9 Client for Windows on 32-bit AMD and Intel systems (x86)"),
            QStringLiteral(
                "If you are using Windows XP, there may be a firewall preventing you from connecting. "
                "You may need to add the DB2 port."),
            QStringLiteral("Please visit:"),
            QStringLiteral("https://www.ibm.com/support/pages/configuring-windows-firewall-db2"),
        }));
    });
}

void Form1::PushButton4_Click() {
    Procedure p(QStringLiteral("Form1.PushButton4_Click"));
    p(100, [&] { setMousePointer(Busy); });
    bool db2 = false, ase = false;
    p(102, [&] { db2 = IBMDB2::TryConnect(profile(Side::Db2)); });
    if (db2) p(104, [&] { ase = SybaseASE::TryConnect(profile(Side::Ase)); });
    if (db2 && ase) {
        p(106, [&] { owner_.LoadTables(); });
        p(108, [&] { owner_.ShowTables(); });
        p(110, [&] { hide(); });
    }
    p(112, [&] { setMousePointer(Normal); });
}
