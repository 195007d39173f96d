#include "about/QL_About.h"

#include "about/AboutArt.h"
#include "about/AboutTexts.h"
#include "about/Colors.h"
#include "about/Gfvcl.h"
#include "about/Label3D.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include <functional>

namespace zelmaro {

namespace {

// Client area as designed, and the window's height with its frame: the
// dialog frame takes 24 pixels, so the client ends up shorter and the bottom
// group moves up with the lower edge.
constexpr int kClientWidth = 401;
constexpr int kDesignHeight = 401;
constexpr int kWindowHeight = 410;
constexpr int kDialogFrameHeight = 24;

// A widget whose painting is a callback.
class TPaintBox final : public QWidget {
public:
    TPaintBox(QWidget* parent, std::function<void(QPainter&, const QRect&)> paint)
        : QWidget(parent), paint_(std::move(paint))
    {
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        paint_(painter, rect());
    }

private:
    std::function<void(QPainter&, const QRect&)> paint_;
};

QFont PixelFont(const QString& family, int pixels, bool bold = false)
{
    QFont font(family);
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

// 8 points on a 96 dpi screen.
constexpr int kSmallFontPixels = 11;

QLabel* MakeLabel(QWidget* parent, const QString& text, QRect geometry, bool bold = false,
                  bool wordWrap = false)
{
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setFont(PixelFont(QStringLiteral("Arial"), kSmallFontPixels, bold));
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(wordWrap);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::black);
    label->setPalette(palette);
    if (geometry.size().isEmpty()) {
        label->move(geometry.topLeft());
        label->adjustSize();
    } else {
        label->setGeometry(geometry);
    }
    return label;
}

TLabel3D* MakeLink(QWidget* parent, TLabelStyle style, QPoint position)
{
    auto* link = new TLabel3D(parent);
    link->setFont(PixelFont(QStringLiteral("Arial"), kSmallFontPixels));
    QFont font = link->font();
    font.setUnderline(true);
    link->setFont(font);
    link->SetShowAccelChar(false);
    link->SetLabelStyle(style);
    link->SetTextStyle(TTextStyle::tsNone);
    link->SetFontColor(clBlue);
    link->setCursor(Qt::PointingHandCursor);
    link->move(position);
    return link;
}

QString FromLocal(const std::string& text)
{
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

TAbout::TAbout(const TVersionBlockSource& source, Platform& platform, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      InfoVersion(source, platform), platform_(platform)
{
    const int clientHeight = kWindowHeight - kDialogFrameHeight;
    setFixedSize(kClientWidth, clientHeight);
    const int lift = kDesignHeight - clientHeight;
    setFont(PixelFont(QStringLiteral("MS Sans Serif"), kSmallFontPixels));
    QPalette formPalette = palette();
    formPalette.setColor(QPalette::Window, ToQColor(clSilver));
    setPalette(formPalette);
    setAutoFillBackground(true);

    FLogo = DrawLogo(QSize(100, 56));

    panImage = new QWidget(this);
    panImage->setGeometry(0, 0, kClientWidth, 60);
    QPalette white = panImage->palette();
    white.setColor(QPalette::Window, Qt::white);
    panImage->setPalette(white);
    panImage->setAutoFillBackground(true);

    PaintBoxLogo = new TPaintBox(
        panImage, [this](QPainter& p, const QRect& box) { p.drawPixmap(box.topLeft(), FLogo); });
    PaintBoxLogo->setGeometry(40, 2, 100, 56);
    txtOwner = MakeLabel(panImage, QString(), QRect(180, 6, 0, 0), true);
    lblMail = MakeLabel(panImage, tr("E-Mail:"), QRect(180, 25, 0, 0));
    lblInternet = MakeLabel(panImage, tr("Internet:"), QRect(180, 40, 0, 0));
    txtMail = MakeLink(panImage, TLabelStyle::lsEMailAddress, QPoint(230, 25));
    txtInternet = MakeLink(panImage, TLabelStyle::lsWWWAddress, QPoint(230, 40));

    GradientFill = new TGradientFill(this);
    GradientFill->setGeometry(0, 60, kClientWidth, 5);
    GradientFill->SetBeginColor(clNavy);
    GradientFill->SetEndColor(13399927);
    GradientFill->SetFillDirection(TFillDirection::fdLeftToRight);

    PaintBoxIcon = new TPaintBox(this, [this](QPainter& p, const QRect& box) {
        QPixmap pixmap = FIcon.pixmap(32, 32);
        QSize icon = pixmap.deviceIndependentSize().toSize();
        p.drawPixmap((box.width() - icon.width()) / 2, (box.height() - icon.height()) / 2, pixmap);
    });
    PaintBoxIcon->setGeometry(20, 80, 32, 32);

    txtTitle = new TLabel3D(this);
    txtTitle->SetAutoSize(false);
    txtTitle->SetShowAccelChar(false);
    txtTitle->setGeometry(70, 80, 320, 32);
    txtTitle->setFont(PixelFont(QStringLiteral("Times New Roman"), 29, true));
    txtTitle->SetFontColor(clNavy);
    txtTitle->SetTextStyle(TTextStyle::tsHeavyRecessed);
    txtTitle->SetShift(1);

    txtVersion = MakeLabel(this, tr("Version "), QRect(70, 130, 320, 15), true);
    txtCopyright = MakeLabel(this, QStringLiteral("Copyright "), QRect(70, 145, 320, 15));
    txtDescription = MakeLabel(this, QString(), QRect(70, 180, 320, 45), false, true);
    txtLicenceTitle = new QLabel(tr("Lizenz:"), this);
    txtLicenceTitle->setTextFormat(Qt::PlainText);
    txtLicenceTitle->move(70, 235);
    txtLicenceTitle->adjustSize();
    txtLicence = MakeLabel(this, QString(), QRect(110, 235, 280, 45), false, true);

    // The bottom group keeps its distance to the lower edge.
    Bevel = new TPaintBox(this, [](QPainter& p, const QRect& box) {
        p.setPen(ToQColor(clGray));
        p.drawLine(box.left(), 0, box.right(), 0);
        p.setPen(Qt::white);
        p.drawLine(box.left(), 1, box.right(), 1);
    });
    Bevel->setGeometry(70, 298 - lift, 320, 5);
    lblMemory = MakeLabel(this, tr("Verfügbarer Arbeitsspeicher:"), QRect(70, 308 - lift, 150, 15));
    txtMemory = MakeLabel(this, QString(), QRect(230, 308 - lift, 170, 15));
    lblCPU = MakeLabel(this, tr("Plattform, CPU:"), QRect(70, 323 - lift, 150, 15));
    txtCPU = MakeLabel(this, QString(), QRect(230, 323 - lift, 170, 15));

    cmdClose = new QPushButton(tr("OK"), this);
    QFont bold = cmdClose->font();
    bold.setBold(true);
    cmdClose->setFont(bold);
    cmdClose->setDefault(true);
    cmdClose->setGeometry(310, 365 - lift, 80, 25);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::accept);
}

void TAbout::FillInfo()
{
    InfoVersion.FileName = platform_.ModuleFileName();
    FIcon = QApplication::windowIcon();
    if (FIcon.isNull())
        FIcon = ZelmaroIcon();
    InfoVersion.ReadVersionInfo();

    const QString title = QCoreApplication::applicationName();
    setWindowTitle(tr("Info über ") + title);

    txtOwner->setText(FromLocal(InfoVersion.CompanyName));
    txtOwner->adjustSize();
    const QString mail = FromLocal(InfoVersion.Mail);
    txtMail->SetCaption(mail);
    txtMail->SetAddress(mail);
    const QString internet = FromLocal(InfoVersion.Internet);
    txtInternet->SetCaption(internet);
    txtInternet->SetAddress(internet);

    txtTitle->SetCaption(title);

    txtVersion->setText(
        FromLocal(VersionLine(txtVersion->text().toLocal8Bit().toStdString(), InfoVersion)));
    txtCopyright->setText(txtCopyright->text() + FromLocal(InfoVersion.LegalCopyright));
    txtDescription->setText(FromLocal(WithLineBreaks(InfoVersion.FileDescription)));
    txtLicence->setText(FromLocal(WithLineBreaks(InfoVersion.Licence)));

    txtMemory->setText(FromLocal(MemoryText(platform_.PhysicalMemoryBytes(),
                                            platform_.UserFormatSettings().ThousandSeparator)));

    // Only the Windows 95 line reported free resources; everywhere else the
    // processor line is shown.
    if (platform_.OsVersion().PlatformId == 1) {
        lblCPU->setText(tr("Systemressourcen:"));
        txtCPU->setText(FromLocal(FreeResourcesText(GetFreeResources(0))));
        return;
    }
    txtCPU->setText(FromLocal(SystemProcessorLine(platform_)));
}

std::uint16_t TAbout::GetFreeResources(std::uint16_t)
{
    return 0;
}

void ShowAbout(const QString& caption, const QString& title, Platform& platform)
{
    TAbout about(ProgramVersionBlockSource(), platform);
    about.FillInfo();
    if (!caption.isEmpty())
        about.setWindowTitle(caption);
    if (!title.isEmpty())
        about.txtTitle->SetCaption(title);
    about.exec();
}

} // namespace zelmaro
