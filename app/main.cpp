#include <QApplication>

#include "app/QtDialogs.h"
#include "app/Settings.h"
#include "catalog/Form2.h"
#include "connections/Form1.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QtDialogs dialogs;
    setDialogs(&dialogs);
    Settings settings;
    Form1 form1(settings);
    form1.Form_Load();
    if (!form1.hasForm2() || !form1.form2().isVisible()) {
        form1.show();
        form1.centre();
    }
    return QApplication::exec();
}
