// progress_window_demo DIR [SHOT.png [FILE_INDEX]]
//
// Shows a stand-in main window and drives the progress window over the
// pictures of DIR the way the picture scan does: the directory line, the
// number of files found, then each file name with pending events handled in
// between. With SHOT.png the screen is saved while file FILE_INDEX (default 5)
// is in work, and the program ends there.
#include "app/AppShell.h"
#include "app/GuiWorkflowHost.h"
#include "app/Info.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QScreen>
#include <QThread>

#include <cstdio>

namespace {

// Lets events run for a while, as reading a file with the metadata tool would.
void Work(zelmaro::TWorkflowHost& host, int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
        host.ProcessPendingEvents();
        QThread::msleep(10);
    }
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    zelmaro::InitApplication(app);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s DIR [SHOT.png [FILE_INDEX]]\n", argv[0]);
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    const QString shot = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    const int shotIndex = argc > 3 ? QString::fromLocal8Bit(argv[3]).toInt() : 5;

    QWidget main;
    main.setWindowTitle(QStringLiteral("Zelmaro"));
    main.setGeometry(20, 10, 751, 701);
    main.show();
    zelmaro::TGuiWorkflowHost host(&main);
    Work(host, 300);

    auto progress = host.CreateProgress();
    progress->SetDirectory(QDir::toNativeSeparators(QDir(dir).absolutePath()).toStdString());
    progress->ShowNow();
    Work(host, 200);

    const QStringList masks = {"*.CR2", "*.CRW", "*.DNG", "*.JPG", "*.JPEG", "*.MRW",
                               "*.NEF", "*.ORF", "*.PEF", "*.PSD", "*.TIF",  "*.TIFF"};
    const QStringList files =
        QDir(dir).entryList(masks, QDir::Files | QDir::CaseSensitive, QDir::Name);
    progress->ShowFoundCount(static_cast<int>(files.size()));
    if (!files.isEmpty())
        progress->ShowFileLine();

    for (int i = 0; i < files.size(); ++i) {
        host.ProcessPendingEvents();
        if (host.CancelRequested())
            break;
        progress->SetFileName(files[i].toStdString());
        Work(host, 120);
        if (!shot.isEmpty() && i == shotIndex) {
            QScreen* screen = QGuiApplication::primaryScreen();
            const bool saved = screen->grabWindow(0).save(shot, "PNG");
            std::printf("%s %s\n", saved ? "saved" : "could not save", qPrintable(shot));
            return saved ? 0 : 1;
        }
    }
    std::printf("%s after %lld files\n", host.CancelRequested() ? "cancelled" : "done",
                static_cast<long long>(files.size()));
    return 0;
}
