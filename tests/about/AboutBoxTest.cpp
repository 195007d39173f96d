#include "AboutFakes.h"
#include "QStringPrinter.h"
#include "about/AboutTexts.h"
#include "about/Gfvcl.h"
#include "about/Label3D.h"
#include "about/QL_About.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace zelmaro {
namespace {

using namespace zelmaro::test;

class AboutBoxTest : public ::testing::Test {
protected:
    FakePlatform platform;
    FakeSource source;

    void SetUp() override
    {
        QCoreApplication::setApplicationName(QStringLiteral("Zelmaro"));
        source.Block = FullBlock();
    }
};

TEST_F(AboutBoxTest, FillsEveryTextFromVersionAndSystem)
{
    TAbout about(source, platform);
    about.FillInfo();

    EXPECT_EQ(about.InfoVersion.FileName, platform.ModuleFileName());
    EXPECT_EQ(about.windowTitle(), QStringLiteral("Info über Zelmaro"));
    EXPECT_EQ(about.txtOwner->text(), QStringLiteral("Quandrel"));
    EXPECT_EQ(about.txtMail->Caption(), QStringLiteral("a@b.example"));
    EXPECT_EQ(about.txtMail->Address(), QStringLiteral("a@b.example"));
    EXPECT_EQ(about.txtInternet->Caption(), QStringLiteral("https://b.example"));
    EXPECT_EQ(about.txtInternet->Address(), QStringLiteral("https://b.example"));
    EXPECT_EQ(about.txtTitle->Caption(), QStringLiteral("Zelmaro"));
    EXPECT_EQ(about.txtVersion->text(), QStringLiteral("Version 1.02   (Beta-Build 1.2.0.7)"));
    EXPECT_EQ(about.txtCopyright->text(), QStringLiteral("Copyright (c) 2026"));
    EXPECT_EQ(about.txtDescription->text(), QStringLiteral("Erste\nZweite"));
    EXPECT_EQ(about.txtLicence->text(), QStringLiteral("Frei"));
    EXPECT_EQ(about.lblMemory->text(), QStringLiteral("Verfügbarer Arbeitsspeicher:"));
    EXPECT_EQ(about.txtMemory->text(), QStringLiteral("2.097.152 KB"));
    EXPECT_EQ(about.lblCPU->text(), QStringLiteral("Plattform, CPU:"));
#ifndef _WIN32
    EXPECT_EQ(about.txtCPU->text(), QStringLiteral("2x Test CPU oder kompatibel"));
#endif
    EXPECT_FALSE(about.Icon().isNull());
}

TEST_F(AboutBoxTest, ReleaseBuildAndMissingVersionInformation)
{
    source.Block->Flags = 0;
    TAbout release(source, platform);
    release.FillInfo();
    EXPECT_EQ(release.txtVersion->text(), QStringLiteral("Version 1.02   (Build 1.2.0.7)"));

    source.Block.reset();
    TAbout empty(source, platform);
    empty.FillInfo();
    EXPECT_EQ(empty.txtVersion->text(), QStringLiteral("Version    (Build )"));
    EXPECT_EQ(empty.txtCopyright->text(), QStringLiteral("Copyright "));
    EXPECT_EQ(empty.txtOwner->text(), QString());
}

TEST_F(AboutBoxTest, WindowsNinetyFiveLineShowsFreeResourcesWithoutAnyQuery)
{
    platform.PlatformId = 1;
    TAbout about(source, platform);
    about.FillInfo();
    EXPECT_EQ(about.lblCPU->text(), QStringLiteral("Systemressourcen:"));
    EXPECT_EQ(about.txtCPU->text(), QStringLiteral("0% frei"));
}

TEST_F(AboutBoxTest, MalformedFileVersionLeavesFillInfo)
{
    source.Put("\\FileVersion", "1.zwei.3");
    TAbout about(source, platform);
    EXPECT_THROW(about.FillInfo(), ConversionError);
}

TEST_F(AboutBoxTest, ControlsSitWhereTheyWereDesigned)
{
    TAbout about(source, platform);
    about.FillInfo();
    // The window is 410 high with its frame; the bottom group follows the
    // lower edge up by the 15 pixels the client loses.
    EXPECT_EQ(about.size(), QSize(401, 386));
    const int lift = 15;
    const std::pair<QWidget*, QRect> fixed[] = {
        {about.panImage, QRect(0, 0, 401, 60)},
        {about.PaintBoxLogo, QRect(40, 2, 100, 56)},
        {about.GradientFill, QRect(0, 60, 401, 5)},
        {about.PaintBoxIcon, QRect(20, 80, 32, 32)},
        {about.txtTitle, QRect(70, 80, 320, 32)},
        {about.txtVersion, QRect(70, 130, 320, 15)},
        {about.txtCopyright, QRect(70, 145, 320, 15)},
        {about.txtDescription, QRect(70, 180, 320, 45)},
        {about.txtLicence, QRect(110, 235, 280, 45)},
        {about.Bevel, QRect(70, 298 - lift, 320, 5)},
        {about.lblMemory, QRect(70, 308 - lift, 150, 15)},
        {about.txtMemory, QRect(230, 308 - lift, 170, 15)},
        {about.lblCPU, QRect(70, 323 - lift, 150, 15)},
        {about.txtCPU, QRect(230, 323 - lift, 170, 15)},
        {about.cmdClose, QRect(310, 365 - lift, 80, 25)},
    };
    for (const auto& [widget, geometry] : fixed)
        EXPECT_EQ(widget->geometry(), geometry) << widget->metaObject()->className();
    const std::pair<QWidget*, QPoint> placed[] = {
        {about.txtOwner, QPoint(180, 6)},     {about.lblMail, QPoint(180, 25)},
        {about.lblInternet, QPoint(180, 40)}, {about.txtMail, QPoint(230, 25)},
        {about.txtInternet, QPoint(230, 40)}, {about.txtLicenceTitle, QPoint(70, 235)},
    };
    for (const auto& [widget, position] : placed)
        EXPECT_EQ(widget->pos(), position);
    for (QWidget* child :
         {about.PaintBoxLogo, static_cast<QWidget*>(about.txtOwner),
          static_cast<QWidget*>(about.txtMail), static_cast<QWidget*>(about.txtInternet)})
        EXPECT_EQ(child->parentWidget(), about.panImage);

    EXPECT_EQ(about.txtMail->LabelStyle(), TLabelStyle::lsEMailAddress);
    EXPECT_EQ(about.txtInternet->LabelStyle(), TLabelStyle::lsWWWAddress);
    EXPECT_EQ(about.txtMail->TextStyle(), TTextStyle::tsNone);
    EXPECT_EQ(about.txtTitle->TextStyle(), TTextStyle::tsHeavyRecessed);
    EXPECT_EQ(about.txtTitle->Shift(), 1);
    EXPECT_EQ(about.txtTitle->FontColor(), clNavy);
    EXPECT_EQ(about.GradientFill->BeginColor(), clNavy);
    EXPECT_EQ(about.GradientFill->EndColor(), 0xCC7777);
    EXPECT_EQ(about.GradientFill->FillDirection(), TFillDirection::fdLeftToRight);
    EXPECT_TRUE(about.cmdClose->isDefault());
}

TEST_F(AboutBoxTest, PaintsLogoGradientAndCentredIcon)
{
    QPixmap red(16, 16);
    red.fill(Qt::red);
    QApplication::setWindowIcon(QIcon(red));
    TAbout about(source, platform);
    about.FillInfo();
    QApplication::setWindowIcon(QIcon());

    QImage box = about.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(box.pixel(0, 60), qRgb(0, 0, 128));
    EXPECT_EQ(box.pixel(400, 64), qRgb(119, 119, 204));
    EXPECT_EQ(box.pixel(2, 2), qRgb(255, 255, 255));
    // A 16-pixel icon sits in the middle of its 32-pixel box.
    const QRgb iconRed = qRgb(255, 0, 0);
    EXPECT_EQ(box.pixel(20 + 8, 80 + 8), iconRed);
    EXPECT_EQ(box.pixel(20 + 23, 80 + 23), iconRed);
    EXPECT_NE(box.pixel(20 + 7, 80 + 7), iconRed);
    EXPECT_NE(box.pixel(20 + 24, 80 + 24), iconRed);

    QImage logo = about.PaintBoxLogo->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(logo, about.Logo().toImage().convertToFormat(QImage::Format_RGB32));
}

TEST_F(AboutBoxTest, ShowAboutIsModalAndAppliesCaptionAndTitle)
{
    struct Seen {
        bool Modal = false;
        QString Caption, Title, Version;
    };
    auto closeBox = [](Seen& seen) {
        QTimer::singleShot(0, [&seen] {
            auto* about = qobject_cast<TAbout*>(QApplication::activeModalWidget());
            ASSERT_NE(about, nullptr);
            seen.Modal = about->isModal();
            seen.Caption = about->windowTitle();
            seen.Title = about->txtTitle->Caption();
            seen.Version = about->txtVersion->text();
            about->cmdClose->click();
        });
    };

    Seen own;
    closeBox(own);
    ShowAbout(QString(), QString(), SystemPlatform());
    EXPECT_TRUE(own.Modal);
    EXPECT_EQ(own.Caption, QStringLiteral("Info über Zelmaro"));
    EXPECT_EQ(own.Title, QStringLiteral("Zelmaro"));
    EXPECT_TRUE(own.Version.startsWith(QStringLiteral("Version ")));
    EXPECT_TRUE(own.Version.contains(QStringLiteral("Build ")));

    Seen replaced;
    closeBox(replaced);
    ShowAbout(QStringLiteral("Über dieses Programm"), QStringLiteral("Anderer Titel"),
              SystemPlatform());
    EXPECT_EQ(replaced.Caption, QStringLiteral("Über dieses Programm"));
    EXPECT_EQ(replaced.Title, QStringLiteral("Anderer Titel"));
    EXPECT_EQ(QApplication::topLevelWidgets().count(), 0);
}

} // namespace
} // namespace zelmaro
