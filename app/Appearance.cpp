#include "app/Appearance.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>

#include "app/Controls.h"
#include "app/Dialogs.h"
#include "connections/Form1.h"

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

void ApplySkin(Form1& form) {
    const QString path = ProgramFolder() + QStringLiteral("/x/o.cjs");
    const QFileInfo skin(path);
    if (!skin.isFile() || skin.isHidden()) return;
    UseSystemColours(&form);
    form.SkinFramework1.LoadSkin(path, QString());
    form.SkinFramework1.Options |= 1;
    form.SkinFramework1.Member5 = true;
    form.SkinFramework1.Member10 = true;
    form.SkinFramework1.ApplyWindow(&form);
}

void OpenHomePageAtRandom() {
    if (dialogs().drawOneToHundred() == 7) dialogs().openUrl(HomePage);
}

QString HandCursorPath() { return ProgramFolder() + QStringLiteral("/HAND-M.CUR"); }
