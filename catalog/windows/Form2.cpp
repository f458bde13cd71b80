#include "catalog/windows/Form2.h"

#include <QCloseEvent>

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
    : Window(8040, 5520), profiles_(profiles), program_(program), owner_(owner), log_(log) {
    setWindowTitle(QStringLiteral("Velmarch"));
    setFont(Arial(9, true));

    auto frame = [&](const QString& caption, int l, int t, int w, int h) {
        auto* f = new QGroupBox(caption, this);
        Place(f, l, t, w, h);
        trackPointer(f);
        return f;
    };
    auto list = [&](QWidget* parent, int l, int t, int w, int h) {
        auto* lb = new ListBox(parent);
        Place(lb, l, t, w, h);
        trackPointer(lb->viewport());
        return lb;
    };
    auto button = [&](QWidget* parent, const QString& caption, int l, int t, int w, int h) {
        auto* b = new PushButton(caption, parent);
        Place(b, l, t, w, h);
        connect(b, &PushButton::MouseMove, this, &Window::pointerOverButton);
        return b;
    };

    Frame1 = frame(QStringLiteral("IBM DB2 Tables"), 120, 120, 3840, 4215);
    List1 = list(Frame1, 240, 360, 3330, 1635);
    PushButton10 = button(Frame1, QStringLiteral("Select All"), 240, 2100, 1600, 405);
    PushButton11 = button(Frame1, QStringLiteral("Deselect All"), 1960, 2100, 1600, 405);
    PushButton3 = button(Frame1, QStringLiteral("Send Table/s To Sybase ASE"), 240, 2600, 3330, 405);
    PushButton1 = button(Frame1, QStringLiteral("Delete Table/s"), 240, 3100, 3330, 405);
    PushButton6 = button(Frame1, QStringLiteral("Rename Table"), 240, 3598, 3330, 405);

    Frame2 = frame(QStringLiteral("Sybase ASE Tables"), 4080, 120, 3840, 4215);
    List2 = list(Frame2, 240, 360, 3330, 1635);
    PushButton8 = button(Frame2, QStringLiteral("Select All"), 240, 2100, 1600, 405);
    PushButton9 = button(Frame2, QStringLiteral("Deselect All"), 1960, 2100, 1600, 405);
    PushButton4 = button(Frame2, QStringLiteral("Send Table/s To IBM DB2"), 240, 2600, 3330, 405);
    PushButton5 = button(Frame2, QStringLiteral("Delete Table/s"), 240, 3100, 3330, 405);
    // The ASE side has no rename: shown greyed out, with no command and no
    // hover reaction.
    PushButton7 = new PushButton(QStringLiteral("Rename Table"), Frame2);
    Place(PushButton7, 240, 3600, 3330, 405);
    PushButton7->setEnabled(false);

    ProgressBar1 = new ProgressBar(this);
    Place(ProgressBar1, 120, 4460, 7800, 405);
    PushButton2 = button(this, QStringLiteral("< Back"), 120, 4980, 3840, 405);
    PushButton12 = button(this, QStringLiteral("Help"), 4080, 4980, 3840, 405);

    // Tab order: the ASE list first, so it has the focus when the window opens.
    QWidget* order[] = {List2,       List1,       PushButton10, PushButton11, PushButton3,
                        PushButton1, PushButton6, PushButton8,  PushButton9,  PushButton4,
                        PushButton5, PushButton7, PushButton2,  ProgressBar1, PushButton12};
    for (size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);
    ProgressBar1->setFocusPolicy(Qt::NoFocus);
    List2->setFocus();

    auto command = [this](PushButton* b, void (Form2::*handler)()) {
        connect(b, &QPushButton::clicked, this,
                [this, handler] { program_.Run([this, handler] { (this->*handler)(); }); });
    };
    command(PushButton1, &Form2::PushButton1_Click);
    command(PushButton2, &Form2::PushButton2_Click);
    command(PushButton3, &Form2::PushButton3_Click);
    command(PushButton4, &Form2::PushButton4_Click);
    command(PushButton5, &Form2::PushButton5_Click);
    command(PushButton6, &Form2::PushButton6_Click);
    command(PushButton8, &Form2::PushButton8_Click);
    command(PushButton9, &Form2::PushButton9_Click);
    command(PushButton10, &Form2::PushButton10_Click);
    command(PushButton11, &Form2::PushButton11_Click);
    command(PushButton12, &Form2::PushButton12_Click);
}

void Form2::Form_Load() {
    Procedure p(QStringLiteral("Form2.Form_Load"));
    p(100, [&] { UseSystemColours(this); });
    p(102, [&] { setWindowIcon(ProgramIcon()); });
    bool hand = false;
    p(106, [&] { hand = FileExists(HandCursorPath()); });
    if (hand) p(108, [&] { setMouseIcon(LoadCursorFile(HandCursorPath())); });
    p(110, [&] { setWindowTitle(DisplayName); });
    p(112, [&] { List1->Clear(); });
    p(114, [&] { List2->Clear(); });
    const auto yield = [this] { program_.DoEvents(); };
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
void selectAll(Procedure& p, ListBox* list, bool selected) {
    int last = -1;
    p(100, [&] { last = list->ListCount() - 1; });
    for (int i = 0; i <= last; ++i) p(102, [&] { list->setSelected(i, selected); });
}
}  // namespace

void Form2::PushButton10_Click() {
    Procedure p(QStringLiteral("Form2.PushButton10_Click"));
    selectAll(p, List1, true);
}

void Form2::PushButton11_Click() {
    Procedure p(QStringLiteral("Form2.PushButton11_Click"));
    selectAll(p, List1, false);
}

void Form2::PushButton8_Click() {
    Procedure p(QStringLiteral("Form2.PushButton8_Click"));
    selectAll(p, List2, true);
}

void Form2::PushButton9_Click() {
    Procedure p(QStringLiteral("Form2.PushButton9_Click"));
    selectAll(p, List2, false);
}

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
    Form2Host host(*this, profiles_, program_);
    LoggedHost logged(host, log_);
    command(logged);
}

void Form2::PushButton1_Click() { run(Maintenance::DeleteDb2Tables); }
void Form2::PushButton3_Click() { run(Send::ToAse); }
void Form2::PushButton4_Click() { run(Send::ToDb2); }
void Form2::PushButton5_Click() { run(Maintenance::DeleteAseTables); }
void Form2::PushButton6_Click() { run(Maintenance::RenameDb2Table); }

void Form2::closeEvent(QCloseEvent* e) {
    e->accept();
    owner_.EndProgram();
}
