#include "app/windows/Appearance.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>

#include "app/core/Dialogs.h"
#include "app/windows/Controls.h"

bool FileExists(const QString& path) {
    if (path.isEmpty()) return false;
    return QFileInfo(path).lastModified().isValid();
}

QString ProgramFolder() { return dialogs().programFolder(); }

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
    const QString path = ProgramFolder() + QStringLiteral("/x/o.cjs");
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

void OpenHomePageAtRandom() {
    if (dialogs().drawOneToHundred() == 7) dialogs().openUrl(HomePage);
}

QString HandCursorPath() { return ProgramFolder() + QStringLiteral("/HAND-M.CUR"); }
