#include "support/WindowFixture.h"

#include <QApplication>
#include <QMouseEvent>

#include "app/windows/WindowOwner.h"

void RecordingSettings::write(const QString& key, const QString& value) {
    writes_ << key + QLatin1Char('=') + value;
    Settings::write(key, value);
}

WindowFixture::WindowFixture()
    : folder(TestOdbc::freshFolder()),
      db2(folder + QStringLiteral("/db2.db")),
      ase(folder + QStringLiteral("/ase.db")),
      settings(std::make_unique<RecordingSettings>(folder + QStringLiteral("/Quillmoor.ini"), writes)) {
    Program::SetFolder(folder);
    SetApplicationTitle();
}

WindowFixture::~WindowFixture() {
    windows.reset();
    Program::SetFolder({});
}

void WindowFixture::storeWorkingLogins() {
    settings->setLogin(Side::Ase, {QStringLiteral("asehost"), QStringLiteral("5000"), QStringLiteral("sa"),
                                   QStringLiteral("pw"), ase});
    settings->setLogin(Side::Db2, {QStringLiteral("db2host"), QStringLiteral("50069"),
                                   QStringLiteral("db2inst1"), QStringLiteral("pw"), db2});
    writes.clear();
}

Form1& WindowFixture::start() {
    windows = std::make_unique<WindowOwner>(*settings, program, log);
    windows->Start();
    return windows->form1();
}

Form2& WindowFixture::openTables() {
    windows = std::make_unique<WindowOwner>(*settings, program, log);
    typeWorkingLogins();
    windows->LoadTables();
    windows->ShowTables();
    return *windows->form2();
}

void WindowFixture::typeWorkingLogins() {
    form1().Text5->setText(ase);
    form1().Text10->setText(db2);
}

Form1& WindowFixture::form1() { return windows->form1(); }
Form2* WindowFixture::form2() { return windows->form2(); }

void WindowFixture::hover(QWidget* w) {
    QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), w->mapToGlobal(QPointF(2, 2)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &move);
}
