#include "app/Info.h"

#include "app/FileLbl.h"
#include "app/GuiWorkflowHost.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace zelmaro {
namespace {

TEST(InfoTest, WindowIsAFixedToolWindowOnTop)
{
    TfrmInfo info;
    EXPECT_EQ(info.windowTitle(), "Zelmaro");
    EXPECT_EQ(info.size(), QSize(401, 231));
    EXPECT_EQ(info.minimumSize(), info.maximumSize());
    EXPECT_EQ(info.windowType(), Qt::Tool);
    EXPECT_TRUE(info.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(info.windowFlags().testFlag(Qt::WindowCloseButtonHint));
    EXPECT_EQ(info.font().family(), "Arial");
    EXPECT_EQ(info.font().pixelSize(), 13);
    EXPECT_FALSE(info.font().bold());
}

TEST(InfoTest, ControlsStartWhereAndHowTheyShould)
{
    TfrmInfo info;
    struct Control {
        const char* name;
        QWidget* widget;
        QRect geometry; // width -1: sized to its text
        bool visible;
        bool bold;
    };
    const Control controls[] = {
        {"lblInfo1", info.lblInfo1, {10, 10, -1, 0}, true, false},
        {"txtInfo1", info.txtInfo1, {10, 30, 381, 20}, true, true},
        {"lblInfo2", info.lblInfo2, {10, 70, -1, 0}, false, false},
        {"txtInfo2", info.txtInfo2, {140, 70, -1, 20}, false, true},
        {"lblInfo3", info.lblInfo3, {10, 110, -1, 0}, false, false},
        {"txtInfo3", info.txtInfo3, {10, 130, 381, 20}, false, true},
        {"cmdCancel", info.cmdCancel, {100, 180, 201, 31}, true, false},
    };
    for (const Control& c : controls) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.widget->pos(), c.geometry.topLeft());
        EXPECT_EQ(c.widget->width(),
                  c.geometry.width() >= 0 ? c.geometry.width() : c.widget->sizeHint().width());
        if (c.geometry.height() > 0) {
            EXPECT_EQ(c.widget->height(), c.geometry.height());
        }
        EXPECT_EQ(!c.widget->isHidden(), c.visible);
        EXPECT_EQ(c.widget->font().pixelSize(), 13);
        EXPECT_EQ(c.widget->font().bold(), c.bold);
    }
    EXPECT_EQ(info.lblInfo1->text(), "Lese Verzeichnis:");
    EXPECT_EQ(info.lblInfo2->text(), "Gefundene Dateien:");
    EXPECT_EQ(info.lblInfo3->text(), "Lese Daten von Datei:");
    EXPECT_EQ(info.txtInfo2->text(), "0");
    EXPECT_EQ(info.cmdCancel->text(), "Abbrechen");
    EXPECT_FALSE(info.cmdCancel->icon().isNull());
    EXPECT_EQ(info.txtInfo1->Direction(), TDirection::drFromLeft);
    EXPECT_EQ(info.txtInfo3->Direction(), TDirection::drFromLeft);
}

TEST(InfoTest, CancelRequestLivesFromCreationPastTheWindow)
{
    TGuiWorkflowHost host(nullptr);
    host.RequestCancel();
    std::unique_ptr<TProgressView> progress = host.CreateProgress();
    auto* info = dynamic_cast<TfrmInfo*>(progress.get());
    ASSERT_NE(info, nullptr);
    EXPECT_FALSE(host.CancelRequested());

    info->cmdCancel->click();
    EXPECT_TRUE(host.CancelRequested());
    // The window stays; the operation decides when it ends.
    EXPECT_EQ(host.Progress(), info);

    progress.reset();
    EXPECT_EQ(host.Progress(), nullptr);
    EXPECT_TRUE(host.CancelRequested());

    const std::unique_ptr<TProgressView> next = host.CreateProgress();
    EXPECT_FALSE(host.CancelRequested());
}

TEST(InfoTest, EscapeClicksCancel)
{
    TfrmInfo info;
    info.show();
    QSignalSpy clicked(info.cmdCancel, &QPushButton::clicked);
    QSignalSpy cancelled(&info, &TfrmInfo::CancelClicked);

    QTest::keyClick(&info, Qt::Key_Escape);
    EXPECT_EQ(cancelled.count(), 1);
    EXPECT_EQ(clicked.count(), 1);

    // Also when the button itself has the focus.
    QTest::keyClick(info.cmdCancel, Qt::Key_Escape);
    EXPECT_EQ(cancelled.count(), 2);

    QTest::keyClick(&info, Qt::Key_A);
    EXPECT_EQ(cancelled.count(), 2);
}

TEST(InfoTest, CloseBoxOnlyHides)
{
    TGuiWorkflowHost host(nullptr);
    const std::unique_ptr<TProgressView> progress = host.CreateProgress();
    TfrmInfo& info = *host.Progress();
    info.show();
    EXPECT_FALSE(info.close());
    EXPECT_FALSE(info.isVisible());
    EXPECT_FALSE(host.CancelRequested());
    EXPECT_EQ(host.Progress(), &info);
}

TEST(InfoTest, PictureScanShowsCountAndFileLine)
{
    TfrmInfo info;
    info.SetDirectory("/home/anna/Bilder");
    info.ShowNow();
    EXPECT_TRUE(info.isVisible());
    EXPECT_EQ(info.txtInfo1->FileName(), "/home/anna/Bilder");

    const int narrow = info.txtInfo2->width();
    info.ShowFoundCount(1234);
    EXPECT_TRUE(info.lblInfo2->isVisible());
    EXPECT_TRUE(info.txtInfo2->isVisible());
    EXPECT_EQ(info.txtInfo2->text(), "1234");
    EXPECT_GT(info.txtInfo2->width(), narrow);
    EXPECT_EQ(info.txtInfo2->width(), info.txtInfo2->sizeHint().width());
    EXPECT_FALSE(info.lblInfo3->isVisible());

    info.ShowFileLine();
    info.SetFileName("IMG_0001.JPG");
    EXPECT_TRUE(info.lblInfo3->isVisible());
    EXPECT_TRUE(info.txtInfo3->isVisible());
    EXPECT_EQ(info.txtInfo3->Caption(), "IMG_0001.JPG");
}

TEST(InfoTest, NoPictureLeavesTheFileLineHidden)
{
    TfrmInfo info;
    info.ShowNow();
    info.ShowFoundCount(0);
    EXPECT_EQ(info.txtInfo2->text(), "0");
    EXPECT_TRUE(info.txtInfo2->isVisible());
    EXPECT_FALSE(info.lblInfo3->isVisible());
    EXPECT_FALSE(info.txtInfo3->isVisible());
}

TEST(InfoTest, LabelsGrowWithTheirCaptions)
{
    TfrmInfo info;
    const int first = info.lblInfo1->width();
    const int third = info.lblInfo3->width();
    info.SetFirstCaption("Bearbeite Verzeichnis:");
    info.SetThirdCaption("Schreibe Daten in Datei:");
    EXPECT_EQ(info.lblInfo1->text(), "Bearbeite Verzeichnis:");
    EXPECT_GT(info.lblInfo1->width(), first);
    EXPECT_GT(info.lblInfo3->width(), third);
    EXPECT_EQ(info.lblInfo1->width(), info.lblInfo1->sizeHint().width());
    EXPECT_EQ(info.lblInfo1->pos(), QPoint(10, 10));
}

TEST(InfoTest, ShownCentredOverTheMainWindow)
{
    QWidget main;
    main.setGeometry(120, 80, 759, 735);
    main.show();
    TfrmInfo info(&main);
    info.ShowNow();
    // Off by at most the frame, which is unknown before the first show.
    const QPoint offset = info.frameGeometry().center() - main.frameGeometry().center();
    EXPECT_LE(offset.manhattanLength(), 4) << offset.x() << "," << offset.y();

    info.hide();
    main.move(300, 40);
    info.ShowNow();
    const QPoint again = info.frameGeometry().center() - main.frameGeometry().center();
    EXPECT_LE(again.manhattanLength(), 1) << again.x() << "," << again.y();
}

} // namespace
} // namespace zelmaro
