#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <functional>

#include <sys/stat.h>

#include "app/windows/Controls.h"
#include "app/windows/QtDialogs.h"
#include "app/windows/WindowOwner.h"
#include "catalog/windows/Form2.h"
#include "connections/windows/Form1.h"
#include "support/WindowFixture.h"

namespace {

using Controls::Twips;

struct Form1Test : WindowFixture {};

TEST_F(Form1Test, FirstStartWithAnEmptyStoreStaysOnSetupAndWritesThePorts) {
    // With an empty database field the stand-in driver makes a file in the
    // working folder; a folder that is gone makes the DB2 login fail.
    const QString here = QDir::currentPath();
    const QString gone = TestOdbc::freshFolder();
    QDir::setCurrent(gone);
    QDir().rmdir(gone);
    Form1& f = start();
    QDir::setCurrent(here);

    EXPECT_EQ(f.windowTitle(), QStringLiteral("Velmarch"));
    EXPECT_EQ(writes, (QStringList{QStringLiteral("ASEPort=5000"), QStringLiteral("Port=50069")}));
    QStringList boxes;
    for (auto* b :
         {f.Text1, f.Text2, f.Text3, f.Text4, f.Text5, f.Text6, f.Text7, f.Text8, f.Text9, f.Text10})
        boxes << b->text();
    EXPECT_EQ(boxes, (QStringList{"", "5000", "", "", "", "", "50069", "", "", ""}));
    EXPECT_EQ(form2(), nullptr);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(Form1Test, StoredWorkingLoginsGoStraightToTheTablesWindow) {
    TestOdbc::exec(db2, {QStringLiteral("CREATE TABLE EMPLOYEE (id)")});
    TestOdbc::exec(ase, {QStringLiteral("CREATE TABLE customers (id)")});
    storeWorkingLogins();
    Form1& f = start();
    ASSERT_NE(form2(), nullptr);
    EXPECT_TRUE(form2()->isVisible());
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(form2()->List1->items(), QStringList{QStringLiteral("EMPLOYEE")});
    EXPECT_EQ(form2()->List2->items(), QStringList{QStringLiteral("customers")});
    EXPECT_EQ(writes.size(), 10) << "the fill changes every box, and each change is written back";

    QTest::mouseClick(form2()->PushButton2, Qt::LeftButton);  // < Back
    EXPECT_TRUE(f.isVisible());
    EXPECT_FALSE(form2()->isVisible());
    EXPECT_EQ(f.Text10->text(), db2);
}

TEST_F(Form1Test, AWrongDb2LoginIsSilentAndAseIsNotTried) {
    storeWorkingLogins();
    settings->write(QStringLiteral("Database"), TestOdbc::brokenProfile().database);
    Form1& f = start();
    EXPECT_EQ(form2(), nullptr);
    EXPECT_FALSE(QFileInfo::exists(ase)) << "the ASE stand-in would have made its file";

    std::vector<int> pointers;
    dialogs.whileShown = [&] { pointers.push_back(f.MousePointer()); };
    QTest::mouseClick(f.PushButton4, Qt::LeftButton);  // Next >
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(f.MousePointer(), Controls::Normal);
    EXPECT_EQ(form2(), nullptr);
    EXPECT_FALSE(QFileInfo::exists(ase));
}

TEST_F(Form1Test, NextAndBackReadTheListsAgainWithTheFieldsAsTheyAreNow) {
    TestOdbc::exec(db2, {QStringLiteral("CREATE TABLE A1 (x)")});
    const QString other = folder + QStringLiteral("/other.db");
    TestOdbc::exec(other, {QStringLiteral("CREATE TABLE B2 (x)")});
    Form1& f = start();
    typeWorkingLogins();
    QTest::mouseClick(f.PushButton4, Qt::LeftButton);
    ASSERT_NE(form2(), nullptr);
    EXPECT_EQ(form2()->List1->items(), QStringList{QStringLiteral("A1")});
    EXPECT_EQ(f.MousePointer(), Controls::Normal);

    form2()->move(3, 4);  // where the user put it
    QTest::mouseClick(form2()->PushButton2, Qt::LeftButton);
    f.Text10->setText(other);
    QTest::mouseClick(f.PushButton4, Qt::LeftButton);
    EXPECT_EQ(form2()->List1->items(), QStringList{QStringLiteral("B2")});
    EXPECT_TRUE(form2()->isVisible());
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(form2()->pos(), QPoint(3, 4)) << "centred the first time only";
}

TEST_F(Form1Test, TypingIntoABoxWritesEveryChangeAndFocusSelectsTheWholeText) {
    Form1& f = start();
    f.show();
    f.Text2->clear();
    writes.clear();
    f.Text2->setFocus();
    QTest::keyClicks(f.Text2, QStringLiteral("5001"));
    EXPECT_EQ(writes, (QStringList{"ASEPort=5", "ASEPort=50", "ASEPort=500", "ASEPort=5001"}));

    f.Text7->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    EXPECT_EQ(f.Text7->selectedText(), QStringLiteral("50069"));
    writes.clear();
    QTest::keyClick(f.Text7, Qt::Key_9);
    EXPECT_EQ(writes, QStringList{QStringLiteral("Port=9")});

    QTest::mouseClick(f.Text2, Qt::LeftButton, {}, QPoint(3, 5));
    QApplication::processEvents();
    EXPECT_EQ(f.Text2->selectedText(), QStringLiteral("5001")) << "a click selects the whole text too";
}

TEST_F(Form1Test, TestConnectionTellsBothOutcomesUnderTheBusyPointer) {
    Form1& f = start();
    f.show();
    f.Text10->setText(db2);
    std::vector<int> pointers;
    dialogs.whileShown = [&] {
        pointers.push_back(f.MousePointer());
        // The hourglass is the window's own, text boxes included: the box
        // now waiting for the user shows its normal pointer.
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
        EXPECT_EQ(f.cursor().shape(), Qt::WaitCursor);
        EXPECT_EQ(f.Text10->cursor().shape(), Qt::WaitCursor);
        // Pointing at a button or a frame meanwhile keeps the hourglass.
        hover(f.PushButton1);
        hover(f.Frame2);
        pointers.push_back(f.MousePointer());
    };
    QTest::mouseClick(f.PushButton1, Qt::LeftButton);
    f.Text10->setText(TestOdbc::brokenProfile().database);
    QTest::mouseClick(f.PushButton1, Qt::LeftButton);

    EXPECT_EQ(dialogs.texts(),
              (QStringList{QStringLiteral("Connection successful."),
                           QStringLiteral("Could not connect. Please check with your administrator.")}));
    for (const auto& m : dialogs.messages) {
        EXPECT_EQ(m.title, QStringLiteral("Velmarch"));
        EXPECT_EQ(m.icon, Dialogs::Icon::None);
    }
    EXPECT_EQ(pointers, (std::vector<int>{11, 11, 11, 11}))
        << "both messages show before the pointer returns";
    EXPECT_EQ(f.MousePointer(), Controls::Normal);
    EXPECT_EQ(f.Text10->cursor().shape(), Qt::IBeamCursor);
}

TEST_F(Form1Test, PointerFollowsTheHoverRule) {
    Form1& f = start();
    f.show();
    hover(f.PushButton3);
    EXPECT_EQ(f.MousePointer(), Controls::Hand);
    hover(f.Label2);
    EXPECT_EQ(f.MousePointer(), Controls::Hand) << "labels have no pointer rule";
    hover(f.Text3);
    EXPECT_EQ(f.MousePointer(), Controls::Normal);
    hover(f.PushButton4);
    f.setMousePointer(Controls::Busy);
    hover(f.Frame1);
    hover(f.PushButton5);
    EXPECT_EQ(f.MousePointer(), Controls::Busy);
    f.setMousePointer(Controls::Normal);
}

TEST_F(Form1Test, HelpTextsEndEachPhraseWithTwoCarriageReturns) {
    Form1& f = start();
    QTest::mouseClick(f.PushButton3, Qt::LeftButton);
    QTest::mouseClick(f.PushButton5, Qt::LeftButton);
    ASSERT_EQ(dialogs.messages.size(), 2u);
    const QStringList ase = dialogs.messages[0].text.split(QStringLiteral("\r\r"));
    ASSERT_EQ(ase.size(), 11);
    EXPECT_EQ(ase[0], QStringLiteral("This is how I was able to make a Sybase ASE connection: "));
    EXPECT_EQ(ase[2], QStringLiteral("Sybase Adaptive Server Enterprise \u2013 Developer's Edition"));
    EXPECT_EQ(ase[10], QString());
    const QStringList db2Help = dialogs.messages[1].text.split(QStringLiteral("\r\r"));
    ASSERT_EQ(db2Help.size(), 11);
    EXPECT_EQ(db2Help[0], QStringLiteral("Here is how I connected to my IBM DB2 database."));
    EXPECT_EQ(db2Help[8], QStringLiteral("Please visit:"));
    EXPECT_FALSE(dialogs.messages[1].text.contains(QLatin1Char('\n')));
}

TEST_F(Form1Test, ABoxShowsEveryCarriageReturnAsALineBreakInEveryStyle) {
    Form1& f = start();
    QtDialogs boxes;
    setDialogs(&boxes);
    QString shown;
    QTimer::singleShot(0, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
                shown = box->text();
                box->done(QMessageBox::Ok);
            }
    });
    QTest::mouseClick(f.PushButton3, Qt::LeftButton);
    setDialogs(&dialogs);
    EXPECT_FALSE(shown.contains(QLatin1Char('\r')));
    EXPECT_EQ(shown.split(QStringLiteral("\n\n")).size(), 11) << shown.toStdString();
    EXPECT_TRUE(
        shown.startsWith(QStringLiteral("This is how I was able to make a Sybase ASE connection: \n\n")));
}

TEST_F(Form1Test, LayoutMatchesTheDesign) {
    Form1& f = start();
    EXPECT_EQ(f.size(), QSize(Twips(8040), Twips(6600)));
    EXPECT_EQ(f.Frame2->geometry(), QRect(8, 8, 520, 190));
    EXPECT_EQ(f.Text4->geometry(), QRect(96, 88, 409, 22));
    EXPECT_EQ(f.PushButton4->geometry(), QRect(8, 404, 520, 27));
    EXPECT_EQ(f.Text4->echoMode(), QLineEdit::Password);
    EXPECT_FALSE(f.Text10->testAttribute(Qt::WA_InputMethodEnabled));
    EXPECT_EQ(f.PushButton1->font().family(), QStringLiteral("Arial"));
    EXPECT_DOUBLE_EQ(f.PushButton1->font().pointSizeF(), 11.25);
    EXPECT_TRUE(f.Label3->font().bold());
    EXPECT_FALSE(f.windowFlags() & Qt::WindowMaximizeButtonHint);
    // Tab order: ASE boxes, DB2 boxes, then the buttons.
    EXPECT_EQ(f.Text5->nextInFocusChain(), f.Text6);
    EXPECT_EQ(f.Text10->nextInFocusChain(), f.PushButton2);
}

TEST_F(Form1Test, SkinHandPointerAndHomePageComeFromBesideTheProgram) {
    // A skin that cannot be used (damaged, or a folder where the file
    // belongs) is reported under the load operation, which goes on.
    for (const bool folderInstead : {false, true}) {
        SCOPED_TRACE(folderInstead ? "a folder" : "damaged");
        windows.reset();
        dialogs.messages.clear();
        dialogs.opened.clear();
        QDir(folder + QStringLiteral("/x")).removeRecursively();
        QDir().mkpath(folder + QStringLiteral("/x"));
        if (folderInstead) {
            QDir().mkpath(folder + QStringLiteral("/x/o.cjs"));
        } else {
            QFile skin(folder + QStringLiteral("/x/o.cjs"));
            ASSERT_TRUE(skin.open(QIODevice::WriteOnly));
            skin.write("QPushButton { color: navy;");
        }
        dialogs.draw = 7;
        Form1& f = start();
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_TRUE(dialogs.messages[0].text.contains(
            QStringLiteral("in Kelvane2021/08/31.Form1.Form_Load at line 100")));
        EXPECT_EQ(dialogs.opened, QStringList{QStringLiteral("https://www.quillmoor.example/")});
        EXPECT_EQ(f.windowTitle(), QStringLiteral("Velmarch"));
        EXPECT_EQ(f.Text2->text(), QStringLiteral("5000"));
    }
}

TEST_F(Form1Test, AGoodSkinColoursTheWindowAndItsFramesAndLabels) {
    QDir().mkpath(folder + QStringLiteral("/x"));
    QFile skin(folder + QStringLiteral("/x/o.cjs"));
    ASSERT_TRUE(skin.open(QIODevice::WriteOnly));
    skin.write("QPushButton { color: navy; }");
    skin.close();
    Form1& f = start();
    EXPECT_TRUE(dialogs.messages.empty());
    const QColor face = QApplication::palette().color(QPalette::Button);
    EXPECT_EQ(f.palette().color(QPalette::Window), face);
    EXPECT_EQ(f.Frame1->palette().color(QPalette::Window), face);
    EXPECT_EQ(f.Label7->palette().color(QPalette::Window), face);
    EXPECT_EQ(f.Text1->palette().color(QPalette::Base), QApplication::palette().color(QPalette::Base));
    EXPECT_TRUE(f.styleSheet().contains(QStringLiteral("navy")));
}

// A 32 x 32 Windows cursor whose hotspot is (5, 7).
QByteArray handCursor() {
    QByteArray d;
    auto word = [&d](int v) { d.append(char(v & 0xff)).append(char((v >> 8) & 0xff)); };
    auto dword = [&](int v) { word(v & 0xffff), word((v >> 16) & 0xffff); };
    const int pixels = 32 * 32 * 4, mask = 32 * 32 / 8, size = 40 + pixels + mask;
    word(0), word(2), word(1);                                      // a cursor directory of one entry
    d.append(char(32)).append(char(32)).append('\0').append('\0');  // 32 x 32
    word(5), word(7), dword(size), dword(22);                       // hotspot, size, offset
    dword(40), dword(32), dword(64), word(1), word(32), dword(0), dword(pixels), dword(0), dword(0), dword(0),
        dword(0);
    d.append(QByteArray(pixels, char(0x80)));
    d.append(QByteArray(mask, '\0'));
    return d;
}

TEST_F(Form1Test, TheHandPointerIsReadFromTheCursorFileBesideTheProgram) {
    QFile file(folder + QStringLiteral("/HAND-M.CUR"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(handCursor());
    file.close();
    Form1& f = start();
    hover(f.PushButton4);
    EXPECT_EQ(f.MousePointer(), Controls::Hand);
    EXPECT_EQ(f.cursor().shape(), Qt::BitmapCursor);
    EXPECT_EQ(f.cursor().hotSpot(), QPoint(5, 7));
    hover(f.Frame1);
    EXPECT_EQ(f.cursor().shape(), Qt::ArrowCursor);
}

// A cursor file that cannot be used is reported at its load step and the
// start goes on: a damaged one, and what is no regular file or too large
// to be one (a pipe would hang the start, a huge file fill the memory).
TEST_F(Form1Test, ACursorFileThatCannotBeUsedIsReportedAtItsLoadStepAndTheStartGoesOn) {
    struct Case {
        const char* what;
        std::function<void(const QString& path)> make;
        QString says;
    };
    const Case cases[] = {
        {"damaged",
         [](const QString& path) {
             QFile file(path);
             file.open(QIODevice::WriteOnly);
             file.write(handCursor().left(30));
         },
         "Invalid picture: "},
        {"a pipe", [](const QString& path) { mkfifo(QFile::encodeName(path).constData(), 0600); },
         "HAND-M.CUR: not a regular file"},
        {"too large",
         [](const QString& path) {
             QFile file(path);
             file.open(QIODevice::WriteOnly);
             file.write(handCursor());
             file.resize(2 * 1024 * 1024);
         },
         "HAND-M.CUR: larger than 1 MiB"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        windows.reset();
        dialogs.messages.clear();
        QFile::remove(folder + QStringLiteral("/HAND-M.CUR"));
        c.make(folder + QStringLiteral("/HAND-M.CUR"));
        Form1& f = start();
        // Each window loads the pointer for itself, and each says so.
        ASSERT_EQ(dialogs.messages.size(), 2u) << dialogs.texts().join("\n").toStdString();
        EXPECT_TRUE(dialogs.messages[0].text.contains(c.says)) << dialogs.messages[0].text.toStdString();
        EXPECT_TRUE(dialogs.messages[0].text.contains(QStringLiteral("Form1.Form_Load at line 112")));
        EXPECT_TRUE(dialogs.messages[1].text.contains(QStringLiteral("Form2.Form_Load at line 108")));
        EXPECT_EQ(f.Text2->text(), QStringLiteral("5000"));
        hover(f.PushButton4);
        EXPECT_EQ(f.cursor().shape(), Qt::ArrowCursor);
    }
}

TEST_F(Form1Test, WithoutTheCursorFileTheHandLooksLikeTheNormalPointer) {
    Form1& f = start();
    hover(f.PushButton4);
    EXPECT_EQ(f.MousePointer(), Controls::Hand);
    EXPECT_EQ(f.cursor().shape(), Qt::ArrowCursor);
}

TEST_F(Form1Test, ClosingEndsTheProgramAndWritesNothingMore) {
    storeWorkingLogins();
    Form1& f = start();
    ASSERT_NE(form2(), nullptr);
    writes.clear();
    form2()->close();
    EXPECT_TRUE(program.IsEnding());
    EXPECT_FALSE(f.isVisible());
    EXPECT_FALSE(form2()->isVisible());
    f.Text1->setText(QStringLiteral("typed after the end"));
    EXPECT_TRUE(writes.isEmpty());
}

}  // namespace
