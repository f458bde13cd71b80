#include "app/windows/QtDialogs.h"

#include <QApplication>
#include <QDesktopServices>
#include <QInputDialog>
#include <QMessageBox>
#include <QTime>
#include <QUrl>
#include <random>
#include <stdexcept>

namespace {
std::mt19937& generator() {
    // Seeded from the seconds since midnight, as the draw always was.
    static std::mt19937 g(static_cast<unsigned>(QTime(0, 0).secsTo(QTime::currentTime())));
    return g;
}

// The help texts and the error report break their lines with a lone CR, as
// they always have. Qt's label breaks a line there under some styles only
// (Fusion does, "windows" shows a space), so a box shows a line feed in its
// place, and in place of CR LF; the texts themselves stay as they are built.
QString Displayed(const QString& text) {
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}
}  // namespace

QtDialogs::QtDialogs() = default;

void QtDialogs::message(const QString& text, const QString& title, Icon icon) {
    QMessageBox box(icon == Icon::Warning ? QMessageBox::Warning : QMessageBox::NoIcon, title,
                    Displayed(text), QMessageBox::Ok, QApplication::activeWindow());
    // Shown as written: a database's message may hold text that looks like
    // markup ("near \"<b>\": syntax error").
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

int QtDialogs::question(const QString& text, const QString& title) {
    QMessageBox box(QMessageBox::NoIcon, title, Displayed(text), QMessageBox::Yes | QMessageBox::No,
                    QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    return box.exec() == QMessageBox::Yes ? Yes : No;
}

QString QtDialogs::input(const QString& prompt, const QString& title, const QString& defaultText) {
    bool ok = false;
    QString answer = QInputDialog::getText(QApplication::activeWindow(), title, Displayed(prompt),
                                           QLineEdit::Normal, defaultText, &ok);
    return ok ? answer : QString();
}

void QtDialogs::openUrl(const QString& address) {
    if (!QDesktopServices::openUrl(QUrl(address)))
        throw std::runtime_error(("The browser could not be started for " + address).toStdString());
}

int QtDialogs::drawOneToHundred() {
    std::uniform_real_distribution<double> fraction(0.0, 1.0);
    return static_cast<int>(fraction(generator()) * 100) + 1;
}
