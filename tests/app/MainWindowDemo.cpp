// Drives the main window over a directory like a user would and saves a
// screenshot of the whole screen at each state, for looking at the layout in a
// real window (not run by CTest):
//   main_window_demo SESSION_DIR OUT_DIR [dark]
// "dark" gives the program a dark palette, as a dark desktop theme would.
#include "about/AboutArt.h"
#include "app/AppShell.h"
#include "app/ImageTableModel.h"
#include "app/Main.h"

#include <QApplication>
#include <QDir>
#include <QPalette>
#include <QPushButton>
#include <QScreen>
#include <QStyleFactory>
#include <QTimer>

#include <cstdio>

namespace {

QPalette DarkPalette()
{
    QPalette p;
    const QColor window(45, 45, 48);
    const QColor base(30, 30, 32);
    const QColor text(230, 230, 230);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, window);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, window);
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::Highlight, QColor(42, 130, 218));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::ToolTipBase, window);
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::PlaceholderText, QColor(150, 150, 150));
    p.setColor(QPalette::Mid, QColor(90, 90, 94));
    p.setColor(QPalette::Disabled, QPalette::Text, QColor(130, 130, 130));
    p.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(130, 130, 130));
    p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(130, 130, 130));
    return p;
}

void Shoot(const QString& outDir, const char* name)
{
    QApplication::processEvents();
    const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0);
    const QString path = QDir(outDir).filePath(QString::fromLatin1(name) + ".png");
    std::printf("%s: %s\n", name, shot.save(path) ? qPrintable(path) : "not saved");
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s SESSION_DIR OUT_DIR\n", argv[0]);
        return 2;
    }
    zelmaro::InitApplication(app);
    if (argc > 3 && QString::fromLatin1(argv[3]) == QLatin1String("dark")) {
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        QApplication::setPalette(DarkPalette());
    }
    QApplication::setWindowIcon(zelmaro::ZelmaroIcon());
    const QString session = QString::fromLocal8Bit(argv[1]);
    const QString out = QString::fromLocal8Bit(argv[2]);

    zelmaro::TfrmMain frm(zelmaro::TMainEnvironment::System());
    if (frm.TerminateRequested())
        return 1;
    frm.move(20, 20);
    frm.show();

    QTimer::singleShot(500, [&] {
        Shoot(out, "1-empty");
        frm.SetDirectoryText(session.toLocal8Bit().toStdString());
        frm.cmdReadPics->click();
        Shoot(out, "2-pictures");
        frm.cmdReadFile->click();
        frm.cmdAuto->click();
        // A green row selected, so that the lime text shows as well.
        for (int row = 0; row < frm.Model().rowCount(); ++row) {
            const zelmaro::TMatchItem* item = frm.Model().RowItem(row);
            if (item->TimeState == zelmaro::TMatchState::msEqual &&
                item->ExposureState == zelmaro::TMatchState::msEqual) {
                frm.vstImages->setCurrentIndex(frm.Model().index(row, 1));
                break;
            }
        }
        Shoot(out, "3-pairs");
        // Taken while the write lets events run between two files.
        QTimer::singleShot(300, [&] { Shoot(out, "4-writing"); });
        // The warning about images that did not take their value, if any.
        QTimer failures;
        QObject::connect(&failures, &QTimer::timeout, [&] {
            if (QWidget* box = QApplication::activeModalWidget()) {
                Shoot(out, "5-failures");
                box->close();
            }
        });
        failures.start(200);
        frm.cmdChange->click();
        failures.stop();
        Shoot(out, "6-written");
        frm.close();
    });
    return QApplication::exec();
}
