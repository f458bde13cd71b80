#pragma once

#include <QCursor>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QWidget>
#include <functional>
#include <initializer_list>
#include <optional>
#include <utility>
#include <vector>

#include "app/core/ErrorReport.h"
#include "app/core/Program.h"
#include "catalog/core/TableList.h"

// The pieces both windows are built from: Qt widgets that offer what the
// windows use of them, placed in 1/1440 inch (15 per pixel at 96 dots per
// inch; Qt scales for other densities).
namespace Controls {

constexpr int Twips(int twips) { return twips / 15; }
void Place(QWidget* w, int left, int top, int width, int height);
void Place(QWidget* w, const QRect& twips);
QFont Arial(double points, bool bold);

// The pointer states a window uses: normal, busy (hourglass) and the hand
// read from the cursor file.
enum Pointer { Normal = 0, Busy = 11, Hand = 99 };

class ListBox;
class PushButton;
class TextBox;

// A window with a fixed single border, no maximise button, centred on the
// screen, and a pointer state that the pointer-move rules read and set.
// Closing it ends the program.
class Window : public QWidget {
    Q_OBJECT
public:
    // What a window asks of whoever owns both windows.
    class Owner {
    public:
        virtual ~Owner() = default;
        // Ends the program: both windows go.
        virtual void EndProgram() = 0;
    };

    Window(int clientWidthTwips, int clientHeightTwips, Program& program, Owner& owner);

    int MousePointer() const { return pointer_; }
    void setMousePointer(int pointer);
    // The image shown while the pointer state is Hand; none means the
    // normal pointer.
    void setMouseIcon(std::optional<QCursor> cursor);
    // The pointer-move rules: over a button the hand, over anything else the
    // normal pointer, but neither replaces the busy pointer.
    void pointerOverButton();
    void pointerOverOther();
    // Moves the window to the centre of its screen.
    void centre();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* e) override;
    // Reports pointer moves over the window itself and the given controls.
    void trackPointer(QWidget* w);
    Program& program() const { return program_; }

    // The hand pointer from the cursor file beside the program, when there
    // is one: looked for at step `line`, loaded at step line + 2.
    void loadHandPointer(Procedure& p, int line);

    // The controls, placed within their parent at a rectangle in twips (left,
    // top, width, height). Frames, lists and text boxes report pointer moves;
    // a label has no pointer rule (a move over it changes nothing, and does
    // not reach the frame behind it); a button shows the hand while the
    // pointer moves over it.
    QGroupBox* frame(const QString& caption, const QRect& twips);
    QLabel* label(QWidget* parent, const QString& caption, const QRect& twips);
    TextBox* textBox(QWidget* parent, const QRect& twips);
    ListBox* listBox(QWidget* parent, const QRect& twips);
    PushButton* button(QWidget* parent, const QString& caption, const QRect& twips);
    // A click on the button runs the handler as a window command.
    void onClick(PushButton* b, std::function<void()> handler);
    // The Tab key goes through the controls in this order.
    void tabOrder(std::initializer_list<QWidget*> controls);

private:
    Program& program_;
    Owner& owner_;
    int pointer_ = Normal;
    std::optional<QCursor> hand_;
    // The controls that had a pointer of their own when the window became
    // busy, and that pointer.
    std::vector<std::pair<QPointer<QWidget>, QCursor>> ownPointers_;
};

// A push button of the control library: Arial 11.25 pt bold, white, the
// system's button-text colour; reports pointer moves for the hover rule.
class PushButton : public QPushButton {
    Q_OBJECT
public:
    PushButton(const QString& caption, QWidget* parent);
signals:
    void MouseMove();

protected:
    void mouseMoveEvent(QMouseEvent* e) override;
};

// The progress bar of the control library: a value from 0 to 100 taken as a
// double, and a text of its own shown on the bar.
class ProgressBar : public QProgressBar {
    Q_OBJECT
public:
    explicit ProgressBar(QWidget* parent);
    double Value() const { return value_; }
    // Takes the value at every call but repaints only when what the bar
    // shows changes.
    void setValue(double percent);
    QString Text() const { return text_; }
    void setText(const QString& text);
    QString text() const override { return text_; }

private:
    double value_ = 0;
    QString text_ = QStringLiteral("Progress Bar");
};

// A text box: the whole text is selected whenever it receives the focus, by
// mouse or by the Tab key.
class TextBox : public QLineEdit {
    Q_OBJECT
public:
    explicit TextBox(QWidget* parent);

protected:
    void focusInEvent(QFocusEvent* e) override;
};

// A table list: items kept in alphabetical order regardless of case,
// extended multiple selection, a current item (index -1 when none).
class ListBox : public QListWidget, public TableList {
    Q_OBJECT
public:
    explicit ListBox(QWidget* parent);
    int ListIndex() const override { return currentRow(); }
    void setListIndex(int index);
    int ListCount() const override { return count(); }
    using TableList::items;

protected:
    void focusInEvent(QFocusEvent* e) override;
    QString textAt(int index) const override { return item(index)->text(); }
    bool selectedAt(int index) const override { return item(index)->isSelected(); }
    void selectAt(int index, bool selected) override { item(index)->setSelected(selected); }
    void insertAt(int index, const QString& text) override { insertItem(index, text); }
    void removeAt(int index) override { delete takeItem(index); }
    void removeAll() override { clear(); }
};

// The skin stand-in: the skin file is a Qt style sheet, applied to the
// window it is given.
class SkinFramework {
public:
    // Member 2: reads the skin; a file that cannot be read or is no style
    // sheet raises.
    void LoadSkin(const QString& path, const QString& ini);
    // Member 1, an options mask (bit 1: apply the sheet), and members 5 and
    // 10, recorded for compatibility.
    int Options = 0;
    bool Member5 = false;
    bool Member10 = false;
    // Member 3: skins the window.
    void ApplyWindow(QWidget* window);
    const QString& styleSheet() const { return sheet_; }

private:
    QString sheet_;
};

// The program icon, drawn rather than shipped.
QIcon ProgramIcon();

// Loads a Windows cursor file, hotspot included; throws when the file
// cannot be read or holds no cursor.
QCursor LoadCursorFile(const QString& path);

}  // namespace Controls
