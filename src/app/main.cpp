#include "Main.h"
#include "AboutArt.h"
#include "AppShell.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    zelmaro::InitApplication(app);
    QApplication::setWindowIcon(zelmaro::ZelmaroIcon());

    zelmaro::TfrmMain frmMain(zelmaro::TMainEnvironment::System());
    return zelmaro::RunMainWindow(frmMain);
}
