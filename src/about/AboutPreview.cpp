// Opens the about box in a real window so that it can be looked at.
#include "about/AboutArt.h"
#include "about/QL_About.h"
#include "platform/Platform.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zelmaro"));
    QApplication::setWindowIcon(zelmaro::ZelmaroIcon());
    zelmaro::ShowAbout(QString(), QString(), zelmaro::SystemPlatform());
    return 0;
}
