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
    // A missing metadata tool ends the program before the window shows; that
    // end and one after an unreadable image are failures to the caller.
    if (frmMain.TerminateRequested())
        return 1;
    frmMain.show();
    QApplication::exec();
    return frmMain.TerminateRequested() ? 1 : 0;
}
