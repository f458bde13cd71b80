#include "app/windows/Controls.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QStringDecoder>
#include <QTimer>
#include <stdexcept>

#include "app/core/Platform.h"

namespace Controls {

namespace {

// True when the path names an existing file or folder; never raises.
bool FileExists(const QString& path) {
    if (path.isEmpty()) return false;
    return QFileInfo(path).lastModified().isValid();
}

}  // namespace

void Place(QWidget* w, int left, int top, int width, int height) {
    w->setGeometry(Twips(left), Twips(top), Twips(width), Twips(height));
}

void Place(QWidget* w, const QRect& twips) { Place(w, twips.x(), twips.y(), twips.width(), twips.height()); }

QFont Arial(double points, bool bold) {
    QFont f(QStringLiteral("Arial"));
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

// --- Window ----------------------------------------------------------------

Window::Window(int clientWidthTwips, int clientHeightTwips, Program& program, Owner& owner)
    : QWidget(nullptr), program_(program), owner_(owner) {
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(Twips(clientWidthTwips), Twips(clientHeightTwips));
    setMouseTracking(true);
    installEventFilter(this);
}

void Window::setMousePointer(int pointer) {
    // The hourglass belongs to this window alone: a box the command shows
    // meanwhile keeps its own pointer, so a question waiting for the user
    // does not read as "still working". Controls with a pointer of their own
    // (the I-beam of a text box) take the hourglass too until the command is
    // done; the window system keeps showing it while a database call holds
    // the event loop.
    if (pointer == Busy && pointer_ != Busy) {
        for (QWidget* w : findChildren<QWidget*>()) {
            if (w->window() != this || !w->testAttribute(Qt::WA_SetCursor)) continue;
            ownPointers_.emplace_back(w, w->cursor());
            w->setCursor(Qt::WaitCursor);
        }
    }
    if (pointer != Busy && pointer_ == Busy) {
        for (const auto& [w, cursor] : ownPointers_)
            if (w) w->setCursor(cursor);
        ownPointers_.clear();
    }
    pointer_ = pointer;
    if (pointer == Busy)
        setCursor(Qt::WaitCursor);
    else if (pointer == Hand && hand_)
        setCursor(*hand_);
    else
        setCursor(Qt::ArrowCursor);
}

void Window::setMouseIcon(std::optional<QCursor> cursor) {
    hand_ = std::move(cursor);
    if (pointer_ == Hand) setMousePointer(Hand);
}

void Window::pointerOverButton() {
    if (pointer_ != Busy) setMousePointer(Hand);
}

void Window::pointerOverOther() {
    if (pointer_ != Busy) setMousePointer(Normal);
}

void Window::centre() {
    if (QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(s->availableGeometry().center());
        move(frame.topLeft());
    }
}

void Window::trackPointer(QWidget* w) {
    w->setMouseTracking(true);
    w->installEventFilter(this);
}

bool Window::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove && !qobject_cast<PushButton*>(watched)) pointerOverOther();
    return QWidget::eventFilter(watched, event);
}

void Window::closeEvent(QCloseEvent* e) {
    e->accept();
    owner_.EndProgram();
}

void Window::loadHandPointer(Procedure& p, int line) {
    const QString path = Program::Folder() + QStringLiteral("/HAND-M.CUR");
    bool hand = false;
    p(line, [&] { hand = FileExists(path); });
    if (hand) p(line + 2, [&] { setMouseIcon(LoadCursorFile(path)); });
}

QGroupBox* Window::frame(const QString& caption, const QRect& twips) {
    auto* f = new QGroupBox(caption, this);
    Place(f, twips);
    trackPointer(f);
    return f;
}

QLabel* Window::label(QWidget* parent, const QString& caption, const QRect& twips) {
    auto* lb = new QLabel(caption, parent);
    Place(lb, twips);
    lb->setAttribute(Qt::WA_NoMousePropagation);
    return lb;
}

TextBox* Window::textBox(QWidget* parent, const QRect& twips) {
    auto* b = new TextBox(parent);
    Place(b, twips);
    trackPointer(b);
    return b;
}

ListBox* Window::listBox(QWidget* parent, const QRect& twips) {
    auto* lb = new ListBox(parent);
    Place(lb, twips);
    trackPointer(lb->viewport());
    return lb;
}

PushButton* Window::button(QWidget* parent, const QString& caption, const QRect& twips) {
    auto* b = new PushButton(caption, parent);
    Place(b, twips);
    connect(b, &PushButton::MouseMove, this, &Window::pointerOverButton);
    return b;
}

void Window::onClick(PushButton* b, std::function<void()> handler) {
    connect(b, &QPushButton::clicked, this, [this, handler = std::move(handler)] { program_.Run(handler); });
}

void Window::tabOrder(std::initializer_list<QWidget*> controls) {
    for (auto c = controls.begin(); c + 1 < controls.end(); ++c) setTabOrder(*c, *(c + 1));
}

// --- PushButton --------------------------------------------------------------

PushButton::PushButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {
    setFont(Arial(11.25, true));
    QPalette p = palette();
    p.setColor(QPalette::Button, Qt::white);
    // Disabled buttons keep the greyed text of the system palette.
    for (auto group : {QPalette::Active, QPalette::Inactive})
        p.setColor(group, QPalette::ButtonText, QApplication::palette().color(group, QPalette::ButtonText));
    setPalette(p);
    setAutoFillBackground(true);
    setMouseTracking(true);
}

void PushButton::mouseMoveEvent(QMouseEvent* e) {
    if (isEnabled()) emit MouseMove();
    QPushButton::mouseMoveEvent(e);
    // The move belongs to the button: its frame must not see it too.
    e->accept();
}

// --- ProgressBar -------------------------------------------------------------

ProgressBar::ProgressBar(QWidget* parent) : QProgressBar(parent) {
    setRange(0, 1000);
    QProgressBar::setValue(0);
    setTextVisible(true);
    setAlignment(Qt::AlignCenter);
    // The bar shows its own text, never a percentage; without a %p in the
    // format Qt repaints only when the filled part grows visibly.
    setFormat(QString());
}

void ProgressBar::setValue(double percent) {
    value_ = percent;
    // Whole tenths of a percent are all the bar can show; QProgressBar
    // repaints only when its own value changes.
    const int shown = qBound(0, static_cast<int>(percent * 10), 1000);
    if (shown != QProgressBar::value()) QProgressBar::setValue(shown);
}

void ProgressBar::setText(const QString& text) {
    if (text == text_) return;
    text_ = text;
    update();
}

// --- TextBox -----------------------------------------------------------------

TextBox::TextBox(QWidget* parent) : QLineEdit(parent) {}

void TextBox::focusInEvent(QFocusEvent* e) {
    QLineEdit::focusInEvent(e);
    // After a click the press itself would place the caret; select once it
    // has been handled, so typing replaces the old value.
    selectAll();
    QTimer::singleShot(0, this, [this] {
        if (hasFocus()) selectAll();
    });
}

// --- ListBox -----------------------------------------------------------------

ListBox::ListBox(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSortingEnabled(false);
}

void ListBox::setListIndex(int index) { setCurrentRow(index, QItemSelectionModel::NoUpdate); }

void ListBox::focusInEvent(QFocusEvent* e) {
    // Focus alone gives no current item: a list has one only once the user
    // picked an item.
    const bool hadCurrent = currentIndex().isValid();
    QListWidget::focusInEvent(e);
    if (!hadCurrent && currentIndex().isValid() && selectedItems().isEmpty())
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
}

// --- SkinFramework -----------------------------------------------------------

void SkinFramework::LoadSkin(const QString& path, const QString&) {
    const QByteArray bytes = Platform::ReadSmallFile(path, 4 * 1024 * 1024);
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString sheet = utf8(bytes);
    if (utf8.hasError() || bytes.contains('\0') ||
        sheet.count(QLatin1Char('{')) != sheet.count(QLatin1Char('}')))
        throw std::runtime_error(
            ("The skin file " + path + " is damaged: it is not a style sheet.").toStdString());
    sheet_ = sheet;
}

void SkinFramework::ApplyWindow(QWidget* window) {
    if (Options & 1) window->setStyleSheet(sheet_);
}

// --- Icon and cursor -----------------------------------------------------------

QIcon ProgramIcon() {
    QIcon icon;
    for (int size : {16, 32, 48}) {
        QPixmap pm(size, size);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 32.0, size / 32.0);
        // Two database drums with an arrow from one to the other.
        auto drum = [&p](qreal x, const QColor& c) {
            p.setPen(QPen(c.darker(150), 1));
            p.setBrush(c);
            p.drawRect(QRectF(x, 10, 11, 16));
            p.drawEllipse(QRectF(x, 22, 11, 6));
            p.drawEllipse(QRectF(x, 7, 11, 6));
        };
        drum(1, QColor(0x1f, 0x6f, 0xb5));
        drum(20, QColor(0x2e, 0x8b, 0x57));
        p.setPen(QPen(QColor(0xd9, 0x53, 0x1e), 2.5));
        p.drawLine(QPointF(12, 17), QPointF(19, 17));
        QPainterPath head;
        head.moveTo(20, 17);
        head.lineTo(15.5, 13);
        head.lineTo(15.5, 21);
        head.closeSubpath();
        p.fillPath(head, QColor(0xd9, 0x53, 0x1e));
        p.end();
        icon.addPixmap(pm);
    }
    return icon;
}

QCursor LoadCursorFile(const QString& path) {
    const QByteArray data = Platform::ReadSmallFile(path, 1024 * 1024);
    const auto invalid = [&path] {
        return std::runtime_error((QStringLiteral("Invalid picture: ") + path).toStdString());
    };
    // A cursor file is an icon directory of type 2 whose first entry keeps
    // the hotspot where an icon keeps its planes and bit count.
    auto word = [&data](int at) { return quint16(quint8(data[at])) | quint16(quint8(data[at + 1])) << 8; };
    if (data.size() < 22 || word(0) != 0 || word(2) != 2 || word(4) < 1) throw invalid();
    QImage image;
    if (!image.loadFromData(data, "CUR") && !image.loadFromData(data, "ICO")) throw invalid();
    return QCursor(QPixmap::fromImage(image), word(10), word(12));
}

}  // namespace Controls
