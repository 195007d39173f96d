#include "AppShell.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    zelmaro::InitApplication(app);

    // Stands in for the main window until that exists.
    QWidget window;
    window.setWindowTitle(QStringLiteral("Zelmaro"));
    window.resize(751, 701);
    auto* layout = new QVBoxLayout(&window);
    layout->addStretch();
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &window);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &window, &QWidget::close);
    window.show();
    return QApplication::exec();
}
