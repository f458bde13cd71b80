#include "app/windows/Appearance.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>

#include "app/core/Program.h"
#include "app/windows/Controls.h"

QColor ButtonFace() { return QApplication::palette().color(QPalette::Active, QPalette::Button); }

void SetBackground(QWidget* w, const QColor& colour) {
    QPalette p = w->palette();
    p.setColor(QPalette::Window, colour);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

namespace {
bool isColouredKind(QObject* o) {
    return qobject_cast<QGroupBox*>(o) || qobject_cast<QLabel*>(o) || qobject_cast<QCheckBox*>(o) ||
           qobject_cast<QRadioButton*>(o);
}
}  // namespace

void UseSystemColours(QWidget* window) {
    SetBackground(window, ButtonFace());
    for (QWidget* child : window->findChildren<QWidget*>())
        if (isColouredKind(child)) SetBackground(child, ButtonFace());
}

void ApplySkin(QWidget& window, Controls::SkinFramework& skin) {
    const QString path = Program::Folder() + QStringLiteral("/x/o.cjs");
    // Whatever stands there is read, so that a skin which cannot be used is
    // reported rather than passed over; only no file at all is no skin.
    const QFileInfo file(path);
    if (!file.exists() || file.isHidden()) return;
    UseSystemColours(&window);
    skin.LoadSkin(path, QString());
    skin.Options |= 1;
    skin.Member5 = true;
    skin.Member10 = true;
    skin.ApplyWindow(&window);
}
