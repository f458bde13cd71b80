#include "catalog/windows/Form2.h"

#include "app/core/Dialogs.h"
#include "app/core/ErrorReport.h"
#include "app/windows/Appearance.h"
#include "catalog/core/Listing.h"
#include "catalog/core/LoggedHost.h"
#include "catalog/core/Maintenance.h"
#include "catalog/windows/Form2Host.h"
#include "transfer/core/Send.h"

using namespace Controls;

inline const QString ContactPage = QStringLiteral("https://www.quillmoor.example/contact");

Form2::Form2(const ProfileSource& profiles, Program& program, Owner& owner, ActivityLog& log)
    : Window(8040, 5520, program, owner), profiles_(profiles), owner_(owner), log_(log) {
    setWindowTitle(QStringLiteral("Velmarch"));
    setFont(Arial(9, true));

    Frame1 = tablesFrame(QStringLiteral("IBM DB2 Tables"), 120, QStringLiteral("Send Table/s To Sybase ASE"),
                         {List1, PushButton10, PushButton11, PushButton3, PushButton1});
    PushButton6 = button(Frame1, QStringLiteral("Rename Table"), {240, 3598, 3330, 405});

    Frame2 = tablesFrame(QStringLiteral("Sybase ASE Tables"), 4080, QStringLiteral("Send Table/s To IBM DB2"),
                         {List2, PushButton8, PushButton9, PushButton4, PushButton5});
    // The ASE side has no rename: shown greyed out, with no command and no
    // hover reaction.
    PushButton7 = new PushButton(QStringLiteral("Rename Table"), Frame2);
    Place(PushButton7, 240, 3600, 3330, 405);
    PushButton7->setEnabled(false);

    ProgressBar1 = new ProgressBar(this);
    Place(ProgressBar1, 120, 4460, 7800, 405);
    PushButton2 = button(this, QStringLiteral("< Back"), {120, 4980, 3840, 405});
    PushButton12 = button(this, QStringLiteral("Help"), {4080, 4980, 3840, 405});

    // Tab order: the ASE list first, so it has the focus when the window opens.
    tabOrder({List2, List1, PushButton10, PushButton11, PushButton3, PushButton1, PushButton6, PushButton8,
              PushButton9, PushButton4, PushButton5, PushButton7, PushButton2, ProgressBar1, PushButton12});
    ProgressBar1->setFocusPolicy(Qt::NoFocus);
    List2->setFocus();

    onClick(PushButton1, [this] { PushButton1_Click(); });
    onClick(PushButton2, [this] { PushButton2_Click(); });
    onClick(PushButton3, [this] { PushButton3_Click(); });
    onClick(PushButton4, [this] { PushButton4_Click(); });
    onClick(PushButton5, [this] { PushButton5_Click(); });
    onClick(PushButton6, [this] { PushButton6_Click(); });
    onClick(PushButton8, [this] { PushButton8_Click(); });
    onClick(PushButton9, [this] { PushButton9_Click(); });
    onClick(PushButton10, [this] { PushButton10_Click(); });
    onClick(PushButton11, [this] { PushButton11_Click(); });
    onClick(PushButton12, [this] { PushButton12_Click(); });
}

// A database's frame: its list, Select All and Deselect All, the send and the
// delete button, made in that order.
QGroupBox* Form2::tablesFrame(const QString& caption, int left, const QString& sendCaption, FrameControls c) {
    QGroupBox* f = frame(caption, {left, 120, 3840, 4215});
    c.list = listBox(f, {240, 360, 3330, 1635});
    c.selectAll = button(f, QStringLiteral("Select All"), {240, 2100, 1600, 405});
    c.deselectAll = button(f, QStringLiteral("Deselect All"), {1960, 2100, 1600, 405});
    c.send = button(f, sendCaption, {240, 2600, 3330, 405});
    c.remove = button(f, QStringLiteral("Delete Table/s"), {240, 3100, 3330, 405});
    return f;
}

void Form2::Form_Load() {
    Procedure p(QStringLiteral("Form2.Form_Load"));
    p(100, [&] { UseSystemColours(this); });
    p(102, [&] { setWindowIcon(ProgramIcon()); });
    loadHandPointer(p, 106);
    p(110, [&] { setWindowTitle(DisplayName); });
    p(112, [&] { List1->Clear(); });
    p(114, [&] { List2->Clear(); });
    const auto yield = [this] { program().DoEvents(); };
    p(116, [&] { IBMDB2::ListTables(profiles_.profile(Side::Db2), *List1, yield); });
    p(118, [&] { SybaseASE::ListTables(profiles_.profile(Side::Ase), *List2, yield); });
    p(120, [&] {
        // The outer height takes the title bar and borders in; until the
        // window manager has framed the window, count them as the layout was
        // drawn for (445 twips).
        int nonClient = frameGeometry().height() - height();
        if (nonClient <= 0) nonClient = Twips(445);
        setFixedHeight(PushButton2->y() + PushButton2->height() + Twips(580) - nonClient);
    });
}

namespace {
// Select All and Deselect All: every item of the list.
void selectAll(const QString& procedure, ListBox* list, bool selected) {
    Procedure p(procedure);
    int last = -1;
    p(100, [&] { last = list->ListCount() - 1; });
    for (int i = 0; i <= last; ++i) p(102, [&] { list->setSelected(i, selected); });
}
}  // namespace

void Form2::PushButton10_Click() { selectAll(QStringLiteral("Form2.PushButton10_Click"), List1, true); }
void Form2::PushButton11_Click() { selectAll(QStringLiteral("Form2.PushButton11_Click"), List1, false); }
void Form2::PushButton8_Click() { selectAll(QStringLiteral("Form2.PushButton8_Click"), List2, true); }
void Form2::PushButton9_Click() { selectAll(QStringLiteral("Form2.PushButton9_Click"), List2, false); }

void Form2::PushButton2_Click() {
    Procedure p(QStringLiteral("Form2.PushButton2_Click"));
    p(100, [&] { owner_.ShowSetup(); });
    p(102, [&] { hide(); });
}

void Form2::PushButton12_Click() {
    Procedure p(QStringLiteral("Form2.PushButton12_Click"));
    p(100, [&] { MsgBox(QStringLiteral("Questions? Please contact Team Quillmoor at ") + ContactPage); });
}

void Form2::run(void (*command)(CommandHost&)) {
    Form2Host host(*this, profiles_, program());
    LoggedHost logged(host, log_);
    command(logged);
}

void Form2::PushButton1_Click() { run(Maintenance::DeleteDb2Tables); }
void Form2::PushButton3_Click() { run(Send::ToAse); }
void Form2::PushButton4_Click() { run(Send::ToDb2); }
void Form2::PushButton5_Click() { run(Maintenance::DeleteAseTables); }
void Form2::PushButton6_Click() { run(Maintenance::RenameDb2Table); }
