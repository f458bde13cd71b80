#include "support/WindowFixture.h"

#include <QApplication>
#include <QMouseEvent>

#include "app/DoEvents.h"
#include "app/Program.h"
#include "catalog/Form2.h"
#include "connections/Form1.h"

WindowFixture::WindowFixture()
    : folder(TestOdbc::freshFolder()),
      db2(folder + QStringLiteral("/db2.db")),
      ase(folder + QStringLiteral("/ase.db")) {
    Program::ResetForTests();
    SetYieldInterval(0);
    dialogs.folder = folder;
    settings = std::make_unique<Settings>(folder + QStringLiteral("/Quillmoor.ini"));
    settings->onWrite = [this](const QString& k, const QString& v) { writes << k + QLatin1Char('=') + v; };
}

WindowFixture::~WindowFixture() {
    form1.reset();
    Program::ResetForTests();
    SetYieldInterval(20);
}

void WindowFixture::storeWorkingLogins() {
    const QStringList values{QStringLiteral("asehost"),
                             QStringLiteral("5000"),
                             QStringLiteral("sa"),
                             QStringLiteral("pw"),
                             ase,
                             QStringLiteral("db2host"),
                             QStringLiteral("50069"),
                             QStringLiteral("db2inst1"),
                             QStringLiteral("pw"),
                             db2};
    for (size_t i = 0; i < Settings::Logins.size(); ++i)
        settings->write(QString::fromLatin1(Settings::Logins[i].name), values[int(i)]);
    writes.clear();
}

Form1& WindowFixture::start() {
    form1 = std::make_unique<Form1>(*settings);
    form1->Form_Load();
    return *form1;
}

void WindowFixture::typeWorkingLogins() {
    form1->Text5->setText(ase);
    form1->Text10->setText(db2);
}

void WindowFixture::hover(QWidget* w) {
    QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), w->mapToGlobal(QPointF(2, 2)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &move);
}
