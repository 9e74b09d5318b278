#include "app/identity/identity.h"
#include "app/mainwindow/form1.h"

#include <QApplication>
#include <QScreen>

int main(int argc, char **argv)
{
    // Lets set-up scripts register this computer with the server; no window.
    if (const int rc = varo::identity::printComputerIdIfAsked(argc, argv); rc >= 0)
        return rc;
    QApplication app(argc, argv);
    varo::mainwindow::TForm1 Form1;
    Form1.FormCreate();
    // Fills the screen also where no window manager maximizes windows.
    if (QScreen *ekran = QGuiApplication::primaryScreen())
        Form1.setGeometry(ekran->availableGeometry());
    Form1.showMaximized();
    return app.exec();
}
