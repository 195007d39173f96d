#include "about/AboutArt.h"
#include "app/AppShell.h"
#include "app/Main.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    zelmaro::InitApplication(app);
    QApplication::setWindowIcon(zelmaro::ZelmaroIcon());

    zelmaro::TfrmMain frmMain(zelmaro::TMainEnvironment::System());
    return zelmaro::RunMainWindow(frmMain);
}
