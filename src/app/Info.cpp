#include "app/Info.h"

#include "app/FileLbl.h"
#include "app/QtText.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPen>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QWindow>

namespace zelmaro {

namespace {

// A label that takes exactly the room of its text.
void SetSizedCaption(QLabel* label, const QString& caption)
{
    label->setText(caption);
    label->adjustSize();
}

// The static text with the count keeps its height and follows its text's width.
void SetSizedStaticText(QLabel* label, const QString& text)
{
    label->setText(text);
    label->resize(label->sizeHint().width(), label->height());
}

QPixmap CrossPixmap(const QColor& color)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(color, 3, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
    painter.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
    return pixmap;
}

QIcon CancelIcon()
{
    QIcon icon;
    icon.addPixmap(CrossPixmap(QColor(0xD0, 0x10, 0x10)), QIcon::Normal);
    icon.addPixmap(CrossPixmap(QColor(0xA0, 0xA0, 0xA0)), QIcon::Disabled);
    return icon;
}

QLabel* MakeLabel(QWidget* parent, const QString& caption, int left, int top)
{
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->move(left, top);
    SetSizedCaption(label, caption);
    return label;
}

TFileStaticText* MakePathLabel(QWidget* parent, int top)
{
    auto* label = new TFileStaticText(parent);
    label->setFont(UiFont(kUiFontPixels, true));
    label->setGeometry(10, top, 381, 20);
    return label;
}

} // namespace

TfrmInfo::TfrmInfo(QWidget* mainWindow)
    : QWidget(nullptr, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint),
      lblInfo1(MakeLabel(this, tr("Lese Verzeichnis:"), 10, 10)), txtInfo1(MakePathLabel(this, 30)),
      lblInfo2(MakeLabel(this, tr("Gefundene Dateien:"), 10, 70)), txtInfo2(new QLabel(this)),
      lblInfo3(MakeLabel(this, tr("Lese Daten von Datei:"), 10, 110)),
      txtInfo3(MakePathLabel(this, 130)),
      cmdCancel(new QPushButton(CancelIcon(), tr("Abbrechen"), this)), FMainWindow(mainWindow)
{
    setWindowTitle(QStringLiteral("Zelmaro"));
    setFont(UiFont());
    setFixedSize(401, 231);

    // Labels were sized in the window's font before it was set.
    for (QLabel* label : {lblInfo1, lblInfo2, lblInfo3})
        label->adjustSize();

    txtInfo2->setTextFormat(Qt::PlainText);
    txtInfo2->setFont(UiFont(kUiFontPixels, true));
    txtInfo2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    txtInfo2->setGeometry(140, 70, 11, 20);
    SetSizedStaticText(txtInfo2, QStringLiteral("0"));

    cmdCancel->setGeometry(100, 180, 201, 31);
    connect(cmdCancel, &QPushButton::clicked, this, &TfrmInfo::cmdCancelClick);

    lblInfo2->hide();
    txtInfo2->hide();
    lblInfo3->hide();
    txtInfo3->hide();
}

void TfrmInfo::cmdCancelClick()
{
    emit CancelClicked();
}

void TfrmInfo::SetFirstCaption(std::string_view caption)
{
    SetSizedCaption(lblInfo1, FromLocal(caption));
}

void TfrmInfo::SetDirectory(std::string_view path)
{
    txtInfo1->SetFileName(path);
}

void TfrmInfo::ShowFoundCount(int count)
{
    lblInfo2->show();
    SetSizedStaticText(txtInfo2, QString::number(count));
    txtInfo2->show();
    lblInfo2->repaint();
    txtInfo2->repaint();
}

void TfrmInfo::ShowFileLine()
{
    lblInfo3->show();
    txtInfo3->show();
    lblInfo3->repaint();
    txtInfo3->repaint();
}

void TfrmInfo::SetThirdCaption(std::string_view caption)
{
    SetSizedCaption(lblInfo3, FromLocal(caption));
}

void TfrmInfo::SetFileName(std::string_view name)
{
    txtInfo3->SetFileName(name);
    txtInfo3->repaint();
}

void TfrmInfo::ShowNow()
{
    CenterOverMainWindow();
    if (FMainWindow && FMainWindow->windowHandle()) {
        // Keeps the window above the main window and out of the task bar.
        winId();
        windowHandle()->setTransientParent(FMainWindow->windowHandle());
    }
    show();
    raise();
    activateWindow();
    repaint();
    // Lets the window system map and paint the new window before the
    // operation goes on; user input waits for the next pending-event round.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TfrmInfo::CenterOverMainWindow()
{
    QRect area;
    if (FMainWindow)
        area = FMainWindow->frameGeometry();
    else if (QScreen* screen = QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    // The frame is known only once the window system has shown the window;
    // until then the client size stands in for it.
    const QSize frame = frameGeometry().size();
    if (area.isValid())
        move(area.center() - QPoint(frame.width() / 2, frame.height() / 2));
}

void TfrmInfo::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        cmdCancel->click();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TfrmInfo::closeEvent(QCloseEvent* event)
{
    // The operation that made the window frees it; closing only hides it.
    event->ignore();
    hide();
}

} // namespace zelmaro
