#include <QTest>

#include "app/core/Dialogs.h"

#include "app/windows/Controls.h"
#include "catalog/windows/Form2.h"
#include "connections/windows/Form1.h"
#include "support/Velmarch.h"
#include "support/WindowFixture.h"

namespace {

using Controls::Twips;

struct Form2Test : WindowFixture {
    Form2& open() {
        storeWorkingLogins();
        start();
        return *form2();
    }
};

TEST_F(Form2Test, ListsShowUserTablesOnlyWithTheAseSysFilter) {
    const QStringList names{QStringLiteral("analysis"), QStringLiteral("catsys"),
                            QStringLiteral("MySysLog"), QStringLiteral("SYSTEMDATA"),
                            QStringLiteral("Orders"),   QStringLiteral("zeta"),
                            QStringLiteral("Alpha"),    QStringLiteral("xßys")};
    for (const QString& db : {db2, ase}) {
        QStringList statements;
        for (const QString& n : names) statements << QStringLiteral("CREATE TABLE \"%1\" (x)").arg(n);
        statements << QStringLiteral("CREATE VIEW OrdersView AS SELECT * FROM Orders");
        TestOdbc::exec(db, statements);
    }
    Form2& f = open();
    // The command line lists what the window shows, name for name.
    for (auto [side, list] : {std::pair{"db2", f.List1}, std::pair{"ase", f.List2}}) {
        const VelmarchRun r = Velmarch({"list", side, "--settings", settings->fileName()});
        EXPECT_EQ(r.status, 0) << r.err.toStdString();
        EXPECT_EQ(r.out, list->items().join('\n') + '\n');
    }
    EXPECT_EQ(f.List1->items(), (QStringList{"Alpha", "analysis", "catsys", "MySysLog", "Orders",
                                             "SYSTEMDATA", "xßys", "zeta"}));
    // "ß" upper-cases to itself, not to "SS": "xßys" holds no "SYS".
    EXPECT_EQ(f.List2->items(), (QStringList{"Alpha", "analysis", "Orders", "xßys", "zeta"}));
}

TEST_F(Form2Test, AFailedDb2ListingIsOneReportAtLine116AndAseStillFills) {
    TestOdbc::exec(db2, {QStringLiteral("CREATE TABLE kept (x)")});
    TestOdbc::exec(ase, {QStringLiteral("CREATE TABLE customers (x)")});
    Form2& f = open();
    ASSERT_EQ(f.List1->items(), QStringList{QStringLiteral("kept")});
    form1().Text10->setText(TestOdbc::brokenProfile().database);
    f.Form_Load();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.contains(
        QStringLiteral("\r\nin Kelvane2021/08/31.Form2.Form_Load at line 116\r\r")))
        << dialogs.messages[0].text.toStdString();
    EXPECT_EQ(dialogs.messages[0].title, QStringLiteral("Application Error"));
    EXPECT_TRUE(f.List1->items().isEmpty());
    EXPECT_EQ(f.List2->items(), QStringList{QStringLiteral("customers")});
}

TEST_F(Form2Test, SelectAndDeselectAllWorkOnTheirOwnList) {
    TestOdbc::exec(db2, {QStringLiteral("CREATE TABLE a (x)"), QStringLiteral("CREATE TABLE b (x)")});
    Form2& f = open();
    QTest::mouseClick(f.PushButton10, Qt::LeftButton);
    EXPECT_EQ(f.List1->selectedItems().size(), 2);
    QTest::mouseClick(f.PushButton8, Qt::LeftButton);  // the empty ASE list: nothing to do
    QTest::mouseClick(f.PushButton11, Qt::LeftButton);
    EXPECT_TRUE(f.List1->selectedItems().isEmpty());
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(Form2Test, ListsSortWithoutRegardToCaseAndHaveNoCurrentItemUntilPicked) {
    Form2& f = open();
    for (const char* n : {"beta", "Alpha", "alpha", "Gamma", "BETA", "Äpfel", "Zeta"})
        f.List1->AddItem(QString::fromUtf8(n));
    EXPECT_EQ(f.List1->items(), (QStringList{"Alpha", "alpha", "Äpfel", "beta", "BETA", "Gamma", "Zeta"}));
    f.show();
    f.List1->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(f.List1->ListIndex(), -1);
    QTest::mouseClick(f.List1->viewport(), Qt::LeftButton, {},
                      f.List1->visualItemRect(f.List1->item(3)).center());
    EXPECT_EQ(f.List1->ListIndex(), 3);
    EXPECT_TRUE(f.List1->Selected(3));
}

TEST_F(Form2Test, HelpPointerAndClosing) {
    Form2& f = open();
    f.show();
    QTest::mouseClick(f.PushButton12, Qt::LeftButton);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(
        dialogs.messages[0].text,
        QStringLiteral("Questions? Please contact Team Quillmoor at https://www.quillmoor.example/contact"));
    hover(f.PushButton3);
    EXPECT_EQ(f.MousePointer(), Controls::Hand);
    hover(f.List2->viewport());
    EXPECT_EQ(f.MousePointer(), Controls::Normal);
    f.setMousePointer(Controls::Busy);
    hover(f.PushButton1);
    hover(f.List1->viewport());
    EXPECT_EQ(f.MousePointer(), Controls::Busy);
    EXPECT_EQ(f.List1->viewport()->cursor().shape(), Qt::WaitCursor);
    f.setMousePointer(Controls::Normal);
    EXPECT_FALSE(f.PushButton7->isEnabled());
}

// Each command button runs its command with the window's own lists, boxes,
// questions, bar and pointer.
TEST_F(Form2Test, EachCommandButtonReachesItsCommand) {
    TestOdbc::exec(db2,
                   {"CREATE TABLE EMP (v TEXT)", "INSERT INTO EMP VALUES ('x')", "CREATE TABLE dept (v)"});
    TestOdbc::exec(ase, {"CREATE TABLE emp (v TEXT)"});
    Form2& f = open();
    const auto pick = [](Controls::ListBox* list, const QString& name) {
        for (int i = 0; i < list->ListCount(); ++i) list->setSelected(i, list->List(i) == name);
        list->setListIndex(int(list->items().indexOf(name)));
    };

    pick(f.List1, "EMP");
    dialogs.answers = {Dialogs::Yes};
    QTest::mouseClick(f.PushButton3, Qt::LeftButton);
    ASSERT_EQ(dialogs.questions.size(), 1u);
    EXPECT_EQ(dialogs.questions[0].text, "Would you like to overwrite EMP?");
    EXPECT_EQ(dialogs.questions[0].title, "Overwrite?");
    EXPECT_EQ(TestOdbc::texts(ase, "SELECT * FROM emp"), std::vector<QStringList>{{"x"}});
    EXPECT_EQ(f.List2->items(), QStringList{"emp"});
    EXPECT_EQ(f.ProgressBar1->Value(), 0);
    EXPECT_EQ(f.ProgressBar1->Text(), "Progress Bar");
    EXPECT_EQ(f.MousePointer(), Controls::Normal);

    pick(f.List2, "emp");
    dialogs.answers = {Dialogs::No};
    QTest::mouseClick(f.PushButton4, Qt::LeftButton);
    ASSERT_EQ(dialogs.questions.size(), 2u);
    EXPECT_EQ(dialogs.questions[1].text, "Would you like to overwrite emp?");

    pick(f.List1, "dept");
    dialogs.inputs = {QString()};
    QTest::mouseClick(f.PushButton6, Qt::LeftButton);
    ASSERT_EQ(dialogs.inputBoxes.size(), 1u);
    EXPECT_EQ(dialogs.inputBoxes[0].text, "Enter new name of dept:");
    EXPECT_EQ(dialogs.inputBoxes[0].title, ApplicationTitle());
    EXPECT_EQ(dialogs.inputDefaults, QStringList{"dept"});

    QTest::mouseClick(f.PushButton1, Qt::LeftButton);
    EXPECT_EQ(f.List1->items(), QStringList{"EMP"});
    QTest::mouseClick(f.PushButton5, Qt::LeftButton);
    EXPECT_TRUE(f.List2->items().isEmpty());
    EXPECT_EQ(TestOdbc::tables(db2), QStringList{"EMP"});
    EXPECT_TRUE(TestOdbc::tables(ase).isEmpty());
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.texts().join("\n").toStdString();
}

TEST_F(Form2Test, LayoutMatchesTheDesign) {
    Form2& f = open();
    EXPECT_EQ(f.width(), Twips(8040));
    EXPECT_EQ(f.height(), Twips(5520));
    EXPECT_EQ(f.Frame2->geometry(), QRect(272, 8, 256, 281));
    EXPECT_EQ(f.ProgressBar1->geometry(), QRect(8, 297, 520, 27));
    EXPECT_EQ(f.ProgressBar1->text(), QStringLiteral("Progress Bar"));
    EXPECT_EQ(f.PushButton6->geometry().top(), Twips(3598));
    EXPECT_EQ(f.palette().color(QPalette::Window), QApplication::palette().color(QPalette::Button));
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Velmarch"));
}

TEST_F(Form2Test, BothWindowsAreSavedAsPicturesForAPersonToLookAt) {
    TestOdbc::exec(
        db2, {QStringLiteral("CREATE TABLE EMPLOYEE (x)"), QStringLiteral("CREATE TABLE DEPARTMENT (x)")});
    TestOdbc::exec(ase, {QStringLiteral("CREATE TABLE customers (x)"),
                         QStringLiteral("CREATE TABLE \"Zoë's orders\" (x)")});
    Form2& f = open();
    f.List1->setSelected(0, true);
    form1().show();
    f.show();
    const QImage one = form1().grab().toImage(), two = f.grab().toImage();
    EXPECT_TRUE(one.save(QStringLiteral(VELMARCH_BUILD_DIR "/Form1.png")));
    EXPECT_TRUE(two.save(QStringLiteral(VELMARCH_BUILD_DIR "/Form2.png")));
    // The whole of each window, in its own background colour.
    EXPECT_EQ(one.size(), form1().size());
    EXPECT_EQ(two.size(), f.size());
    EXPECT_EQ(one.pixelColor(1, 1), QColor(Qt::white));
    EXPECT_EQ(two.pixelColor(1, 1), QApplication::palette().color(QPalette::Button));
    // The selected DB2 table stands out; the one below it does not.
    const auto shown = [&](int row) {
        const QRect item = f.List1->visualItemRect(f.List1->item(row));
        return two.pixelColor(f.List1->viewport()->mapTo(&f, QPoint(item.right() - 2, item.center().y())));
    };
    EXPECT_EQ(shown(0), f.List1->palette().color(QPalette::Inactive, QPalette::Highlight));
    EXPECT_EQ(shown(1), f.List1->palette().color(QPalette::Base));
}

}  // namespace
