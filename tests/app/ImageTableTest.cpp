#include "MainTestRig.h"

#include "app/ImageTableModel.h"
#include "app/ImagesView.h"
#include "app/RowColours.h"
#include "app/SpinEdit.h"

#include <QAbstractItemModelTester>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QFont>
#include <QGuiApplication>
#include <QHeaderView>
#include <QImage>
#include <QMenu>
#include <QMimeData>
#include <QStyle>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

namespace zelmaro {
namespace {

class ImageTableTest : public test::MainWindowFixture {};

// Five pairs, one of each look, under tolerance 1 and offset 0; then an image
// without a shot. The names end in the given text.
void FillFiveLooks(TfrmMain& frm, const std::string& tail = "")
{
    test::Fill(frm,
               {{"green.jpg" + tail, 10000, 0.004},
                {"bold.jpg" + tail, 10100, 0.004},
                {"italic.jpg" + tail, 10200, 0.004},
                {"normal.jpg" + tail, 10300, 0.004},
                {"silver.jpg" + tail, 10400, 0.004}},
               {{10000, 0.004}, {10100, 0.01}, {10203, 0.004}, {10330, 0.004}});
}

TEST_F(ImageTableTest, ModelPassesTheModelTester)
{
    QAbstractItemModelTester tester(&frm->Model(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    FillFiveLooks(*frm);
    frm->Workflow().ClearImages();
    EXPECT_EQ(frm->Model().rowCount(), 0);
}

TEST_F(ImageTableTest, HeaderColumnsAndOptions)
{
    const char* captions[] = {"Bildname", "Bilddatum",     "Verschlusszeit",
                              "=",        "Aufnahmedatum", "Verschlusszeit"};
    const int widths[] = {200, 140, 100, 30, 140, 100};
    const Qt::Alignment aligns[] = {Qt::AlignLeft,    Qt::AlignLeft, Qt::AlignHCenter,
                                    Qt::AlignHCenter, Qt::AlignLeft, Qt::AlignHCenter};
    QHeaderView* header = frm->vstImages->header();
    ASSERT_EQ(frm->Model().columnCount(), 6);
    for (int c = 0; c < 6; ++c) {
        EXPECT_EQ(frm->Model().headerData(c, Qt::Horizontal, Qt::DisplayRole).toString(),
                  captions[c]);
        EXPECT_EQ(header->sectionSize(c), widths[c]) << c;
    }
    EXPECT_FALSE(header->sectionsMovable());
    EXPECT_FALSE(header->sectionsClickable());
    EXPECT_FALSE(frm->vstImages->isSortingEnabled());
    EXPECT_EQ(frm->vstImages->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(frm->vstImages->selectionBehavior(), QAbstractItemView::SelectRows);

    FillFiveLooks(*frm);
    for (int c = 0; c < 6; ++c) {
        const auto align =
            frm->Model().index(0, c).data(Qt::TextAlignmentRole).value<Qt::Alignment>();
        EXPECT_EQ(align & Qt::AlignHorizontal_Mask, aligns[c]) << c;
    }
    // Dragging a divider below the minimum stops at 50; column 3 may go lower.
    header->resizeSection(0, 20);
    EXPECT_EQ(header->sectionSize(0), 50);
    header->resizeSection(3, 20);
    EXPECT_EQ(header->sectionSize(3), 20);
    // A double click on a divider fits the column to its widest text.
    header->resizeSection(4, 200);
    emit header->sectionHandleDoubleClicked(4);
    int widest = 0;
    for (int row = 0; row < frm->Model().rowCount(); ++row)
        widest = std::max(widest, frm->vstImages->fontMetrics().horizontalAdvance(
                                      frm->Model().index(row, 4).data().toString()));
    EXPECT_GE(header->sectionSize(4), widest);
    EXPECT_LT(header->sectionSize(4), widest + 30);
}

TEST_F(ImageTableTest, CellTextsComeFromTheRecords)
{
    FillFiveLooks(*frm);
    ASSERT_EQ(frm->Model().rowCount(), 5);
    const TImageTableModel& m = frm->Model();
    EXPECT_EQ(m.index(0, 0).data().toString(), "green.jpg");
    EXPECT_EQ(m.index(4, 0).data().toString(), "silver.jpg");
    EXPECT_EQ(m.index(4, 4).data().toString(), "") << "no shot on that row";
    for (int c = 0; c < 6; ++c)
        EXPECT_EQ(m.index(1, c).data().toString().toStdString(),
                  frm->Workflow().CellText(*frm->Model().RowItem(1), c));
}

TEST_F(ImageTableTest, LookAndFontStylePerRow)
{
    FillFiveLooks(*frm);
    struct Case {
        int row;
        const char* name;
        TRowLook look;
        bool italic;
        bool bold;
    };
    const Case cases[] = {
        {0, "green", TRowLook::rlAgreed, false, false},
        {1, "bold", TRowLook::rlPlain, false, true},
        {2, "italic", TRowLook::rlPlain, true, false},
        {3, "normal", TRowLook::rlPlain, false, false},
        {4, "silver", TRowLook::rlMissing, false, false},
    };
    const TImageTableModel& m = frm->Model();
    for (const Case& c : cases) {
        for (int column = 0; column < 6; ++column) {
            const QModelIndex index = m.index(c.row, column);
            EXPECT_EQ(index.data(TImageTableModel::RowLookRole).toInt(), static_cast<int>(c.look))
                << c.name;
            const QVariant colour = index.data(Qt::ForegroundRole);
            if (c.look == TRowLook::rlPlain) {
                EXPECT_FALSE(colour.isValid()) << c.name;
            } else {
                EXPECT_EQ(colour.value<QColor>(),
                          RowForeground(c.look, QGuiApplication::palette(), false))
                    << c.name;
            }
            const QFont font = index.data(Qt::FontRole).value<QFont>().resolve(frm->font());
            EXPECT_EQ(font.italic(), c.italic) << c.name;
            EXPECT_EQ(font.bold(), c.bold) << c.name;
            EXPECT_EQ(font.pixelSize(), 13) << c.name;
        }
    }
}

// Whether some pixel of the row has the colour, give or take a little.
bool RowHasColour(const QImage& image, const QRect& row, const QColor& colour)
{
    for (int y = row.top(); y <= row.bottom(); ++y)
        for (int x = row.left(); x <= row.right(); ++x) {
            const QColor p = image.pixelColor(x, y);
            if (std::abs(p.red() - colour.red()) <= 12 &&
                std::abs(p.green() - colour.green()) <= 12 &&
                std::abs(p.blue() - colour.blue()) <= 12)
                return true;
        }
    return false;
}

// The table's viewport as drawn, with unsmoothed text (so that glyph pixels
// carry their exact colour) or as the user sees it.
QImage RenderTable(TfrmMain& frm, bool smoothed = false)
{
    TImagesView* view = frm.vstImages;
    QFont font = view->font();
    font.setStyleStrategy(smoothed ? QFont::PreferDefault : QFont::NoAntialias);
    view->setFont(font);
    QImage image(view->viewport()->size(), QImage::Format_RGB32);
    view->viewport()->render(&image);
    return image;
}

QPalette PaletteOf(QColor base, QColor text, QColor highlight)
{
    QPalette p;
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::Window, base);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Highlight, highlight);
    p.setColor(QPalette::HighlightedText, Qt::white);
    return p;
}

TEST_F(ImageTableTest, RowColoursAndCheckBoxesAreReadableOnEveryPalette)
{
    const struct {
        const char* name;
        QPalette palette;
    } palettes[] = {
        {"program's", QGuiApplication::palette()},
        {"dark", PaletteOf(QColor(30, 30, 32), QColor(230, 230, 230), QColor(42, 130, 218))},
        {"navy selection", PaletteOf(Qt::white, Qt::black, QColor(0, 0, 128))},
        {"high contrast", PaletteOf(Qt::black, Qt::white, QColor(26, 235, 255))},
        {"green selection",
         PaletteOf(QColor(250, 250, 240), QColor(40, 40, 40), QColor(0, 160, 0))},
    };
    FillFiveLooks(*frm);
    frm->show();
    TImagesView* view = frm->vstImages;
    const int rows[] = {0, 3, 4}; // agreed, plain, missing
    for (const auto& [name, palette] : palettes) {
        view->setPalette(palette);
        for (const bool selected : {false, true}) {
            view->clearSelection();
            for (const int row : rows) {
                if (selected)
                    view->selectionModel()->select(frm->Model().index(row, 0),
                                                   QItemSelectionModel::Select |
                                                       QItemSelectionModel::Rows);
            }
            const QImage image = RenderTable(*frm);
            const QColor background =
                selected ? SelectionBackground(palette) : palette.color(QPalette::Base);
            const QColor frame = CheckBoxFrame(palette, selected);
            EXPECT_GE(ContrastRatio(frame, background), kReadableContrast) << name;
            for (const int row : rows) {
                const auto look = static_cast<TRowLook>(
                    frm->Model().index(row, 0).data(TImageTableModel::RowLookRole).toInt());
                const QColor text = RowForeground(look, palette, selected);
                SCOPED_TRACE(::testing::Message() << name << " row " << row << " selected "
                                                  << selected << " " << text.name().toStdString());
                EXPECT_GE(ContrastRatio(text, background), kReadableContrast);
                for (int c = 0; c < 6; ++c) {
                    const QModelIndex cell = frm->Model().index(row, c);
                    if (!cell.data().toString().isEmpty()) {
                        EXPECT_TRUE(RowHasColour(image, view->visualRect(cell), text)) << c;
                    }
                }
                EXPECT_TRUE(
                    RowHasColour(image, view->visualRect(frm->Model().index(row, 0)), frame));
                if (look == TRowLook::rlAgreed) {
                    EXPECT_NEAR(text.hslHue(), 120, 1) << "stays green";
                }
            }
        }
    }
}

TEST(RowColours, ReadableOnMovesOnlyTheLightnessAndOnlyWhereNeeded)
{
    const struct {
        QColor wanted, background;
        bool kept;
    } cases[] = {
        {QColor(0, 128, 0), Qt::white, true},
        {QColor(192, 192, 192), Qt::white, false},
        {QColor(0, 128, 0), QColor(30, 30, 32), false},
        {Qt::white, Qt::white, false},
        {QColor(255, 128, 0), QColor(128, 128, 128), false},
    };
    for (const auto& c : cases) {
        const QColor got = ReadableOn(c.wanted, c.background);
        SCOPED_TRACE(c.wanted.name().toStdString() + " on " + c.background.name().toStdString());
        EXPECT_GE(ContrastRatio(got, c.background), kReadableContrast);
        EXPECT_EQ(got == c.wanted, c.kept);
        if (!c.kept && c.wanted.hslSaturation() > 0 && got.hslSaturation() > 0) {
            EXPECT_NEAR(got.hslHue(), c.wanted.hslHue(), 2);
        }
    }
    EXPECT_NEAR(ContrastRatio(Qt::black, Qt::white), 21.0, 1e-9);
    EXPECT_NEAR(ContrastRatio(QColor(118, 118, 118), Qt::white), 4.54, 0.01);
}

TEST_F(ImageTableTest, RowsShowDescendersAndKeepCheckBoxesOffTheGridLines)
{
    // The same rows with "_" and with " " at the end of the names: every row
    // must show the difference, whatever its font style.
    auto withBlank = rig.Make();
    FillFiveLooks(*frm, "_");
    FillFiveLooks(*withBlank, " ");
    frm->show();
    withBlank->show();
    const QImage a = RenderTable(*frm, true);
    const QImage b = RenderTable(*withBlank, true);
    TImagesView* view = frm->vstImages;
    const QColor grid = view->palette().color(QPalette::Mid);
    const QColor base = view->palette().color(QPalette::Base);
    const int box = view->style()->pixelMetric(QStyle::PM_IndicatorWidth);
    for (int row = 0; row < 5; ++row) {
        const QRect cell = view->visualRect(frm->Model().index(row, 0));
        EXPECT_NE(a.copy(cell), b.copy(cell)) << "row " << row;
        // Above the grid line and below the one of the row before, the check
        // box leaves a line of background.
        for (const int y : {cell.top(), cell.bottom() - 1})
            for (int x = cell.left(); x < cell.left() + box + 4; ++x)
                EXPECT_EQ(a.pixel(x, y), base.rgb()) << "row " << row << " " << x << "," << y;
        EXPECT_EQ(a.pixel(cell.left() + box + 20, cell.bottom()), grid.rgb()) << "row " << row;
    }
}

TEST_F(ImageTableTest, RowsKeepTheirLookWhileTheWindowIsDisabled)
{
    FillFiveLooks(*frm);
    frm->show();
    frm->setEnabled(false);
    const QImage image = RenderTable(*frm);
    const QColor text = frm->vstImages->palette().color(QPalette::Active, QPalette::Text);
    const QColor grey = frm->vstImages->palette().color(QPalette::Disabled, QPalette::Text);
    ASSERT_NE(text, grey);
    // The text of a row, without its grid line.
    const auto cell = [&](int row) {
        return frm->vstImages->visualRect(frm->Model().index(row, 1)).adjusted(0, 0, 0, -1);
    };
    const QPalette& palette = frm->vstImages->palette();
    EXPECT_TRUE(RowHasColour(image, cell(0), RowForeground(TRowLook::rlAgreed, palette, false)));
    EXPECT_TRUE(RowHasColour(image, cell(1), text)); // bold, checked
    EXPECT_TRUE(RowHasColour(image, cell(2), text)); // italic
    EXPECT_TRUE(RowHasColour(image, cell(3), text)); // normal
    EXPECT_TRUE(RowHasColour(image, cell(4), RowForeground(TRowLook::rlMissing, palette, false)));
    EXPECT_FALSE(RowHasColour(image, cell(1), grey));
}

TEST_F(ImageTableTest, OnlyRowsToBeWrittenCanBeChecked)
{
    FillFiveLooks(*frm);
    TImageTableModel& m = frm->Model();
    for (int row = 0; row < 5; ++row)
        EXPECT_EQ(m.RowItem(row)->Checked, row == 1) << row;
    EXPECT_TRUE(frm->cmdChange->isEnabled());

    for (int row : {0, 2, 3, 4}) {
        EXPECT_FALSE(m.setData(m.index(row, 0), Qt::Checked, Qt::CheckStateRole)) << row;
        EXPECT_FALSE(m.RowItem(row)->Checked);
    }
    EXPECT_TRUE(m.setData(m.index(1, 0), Qt::Unchecked, Qt::CheckStateRole));
    EXPECT_FALSE(m.RowItem(1)->Checked);
    EXPECT_FALSE(frm->cmdChange->isEnabled());
    EXPECT_TRUE(m.setData(m.index(1, 0), Qt::Checked, Qt::CheckStateRole));
    EXPECT_TRUE(frm->cmdChange->isEnabled());

    // A click on the box goes through the same rules.
    frm->show();
    const QRect cell = frm->vstImages->visualRect(m.index(1, 0));
    const QPoint box(cell.left() + 10, cell.center().y());
    QTest::mouseClick(frm->vstImages->viewport(), Qt::LeftButton, {}, box);
    EXPECT_FALSE(m.RowItem(1)->Checked);
    EXPECT_FALSE(frm->cmdChange->isEnabled());

    // The space bar toggles the focused row's box from any of its cells.
    frm->vstImages->setCurrentIndex(m.index(1, 4));
    QTest::keyClick(frm->vstImages, Qt::Key_Space);
    EXPECT_TRUE(m.RowItem(1)->Checked);
    EXPECT_TRUE(frm->cmdChange->isEnabled());
    frm->vstImages->setCurrentIndex(m.index(2, 2));
    QTest::keyClick(frm->vstImages, Qt::Key_Space);
    EXPECT_FALSE(m.RowItem(2)->Checked);

    // Matching again keeps the user's choice on the same pair.
    m.setData(m.index(1, 0), Qt::Unchecked, Qt::CheckStateRole);
    frm->edtTolerance->SetValue(2);
    frm->edtTolerance->SetValue(1);
    EXPECT_FALSE(m.RowItem(1)->Checked);
    EXPECT_FALSE(frm->cmdChange->isEnabled());
}

// Rows: bold (checked), near with another exposure (may be checked by hand),
// near with the same exposure, green, and an image without a shot.
void FillTickables(TfrmMain& frm)
{
    test::Fill(frm,
               {{"bold.jpg", 10000, 0.004},
                {"near.jpg", 10100, 0.004},
                {"italic.jpg", 10200, 0.004},
                {"green.jpg", 10300, 0.004},
                {"lone.jpg", 10400, 0.004}},
               {{10000, 0.01}, {10103, 0.01}, {10203, 0.004}, {10300, 0.004}});
}

std::string CheckMarks(const TImageTableModel& m)
{
    std::string marks;
    for (int row = 0; row < m.rowCount(); ++row)
        marks += m.index(row, 0).data(Qt::CheckStateRole).value<Qt::CheckState>() == Qt::Checked
                     ? 'x'
                     : '-';
    return marks;
}

TEST_F(ImageTableTest, NearRowsAreCheckedByHandAndEveryRowSaysWhy)
{
    FillTickables(*frm);
    TImageTableModel& m = frm->Model();
    ASSERT_EQ(CheckMarks(m), "x----");
    for (int row = 0; row < 5; ++row)
        EXPECT_EQ((m.flags(m.index(row, 0)) & Qt::ItemIsUserCheckable) != 0, row < 2) << row;

    EXPECT_TRUE(m.setData(m.index(1, 0), Qt::Checked, Qt::CheckStateRole));
    EXPECT_FALSE(m.setData(m.index(2, 0), Qt::Checked, Qt::CheckStateRole));
    EXPECT_EQ(CheckMarks(m), "xx---");
    EXPECT_EQ(m.index(1, 3).data(Qt::ToolTipRole).toString(),
              "Zeit 3 s daneben (Toleranz 1 s), Verschlusszeit abweichend – wird eingetragen");
    for (int row = 0; row < 5; ++row)
        for (int c = 0; c < 6; ++c)
            EXPECT_EQ(m.index(row, c).data(Qt::ToolTipRole).toString().toStdString(),
                      frm->Workflow().CheckReason(*m.RowItem(row)))
                << row << " " << c;
    EXPECT_EQ(m.headerData(2, Qt::Horizontal, Qt::ToolTipRole).toString().toStdString(),
              TImageTableModel::Legend());
}

TEST_F(ImageTableTest, SpaceAndTheContextMenuCheckManyRows)
{
    FillTickables(*frm);
    TImageTableModel& m = frm->Model();
    TImagesView* view = frm->vstImages;
    frm->show();
    frm->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frm.get()));
    view->setFocus();

    // Space toggles each selected row that may be checked.
    view->setCurrentIndex(m.index(0, 2));
    view->selectionModel()->select(QItemSelection(m.index(0, 0), m.index(2, 5)),
                                   QItemSelectionModel::ClearAndSelect);
    ASSERT_EQ(view->SelectedRows(), (QList<int>{0, 1, 2}));
    QTest::keyClick(view, Qt::Key_Space);
    EXPECT_EQ(CheckMarks(m), "-x---");
    EXPECT_TRUE(frm->cmdChange->isEnabled());

    QTest::keyClick(view, Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(CheckMarks(m), "-----");
    EXPECT_FALSE(frm->cmdChange->isEnabled());
    QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(CheckMarks(m), "xx---");
    EXPECT_TRUE(frm->cmdChange->isEnabled());
    // Ctrl+A still selects, and checks nothing.
    QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(view->SelectedRows().size(), 5);
    EXPECT_EQ(CheckMarks(m), "xx---");

    // The context menu from the keyboard: its entries with their keys. The
    // system turns the menu key into a context menu event; Shift+F10 is ours.
    const std::function<void()> openers[] = {
        [&] {
            QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(), QPoint());
            QApplication::sendEvent(view, &menuKey);
        },
        [&] { QTest::keyClick(view, Qt::Key_F10, Qt::ShiftModifier); },
    };
    for (const auto& open : openers) {
        QStringList entries;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                for (QAction* a : menu->actions())
                    entries << a->text() +
                                   (a->shortcut().isEmpty() ? "" : " " + a->shortcut().toString());
                view->CheckNoneAction()->trigger();
                menu->close();
            }
        });
        poll.start(10);
        // The last opener's menu may still be closing; the keys were tried
        // above, so the marks are set without them.
        for (int wait = 0; wait < 200 && QApplication::activePopupWidget() != nullptr; ++wait)
            QTest::qWait(10);
        view->CheckAllAction()->trigger();
        ASSERT_EQ(CheckMarks(m), "xx---");
        open();
        EXPECT_EQ(entries, (QStringList{"Alle ankreuzen Ctrl+Shift+A",
                                        "Keine ankreuzen Ctrl+Shift+K", "", "Legende..."}));
        EXPECT_EQ(CheckMarks(m), "-----");
    }
    EXPECT_EQ(CheckMarks(m), "-----");
    EXPECT_FALSE(frm->cmdChange->isEnabled());

    view->LegendAction()->trigger();
    ASSERT_EQ(rig.boxes.Messages.size(), 1u);
    EXPECT_EQ(rig.boxes.Messages[0].Text, TImageTableModel::Legend());
}

// Drags inside a shown table through the view's own mouse and drag events.
// Narrow columns leave room right of the last one (column -1).
struct DragRig {
    TfrmMain& frm;
    bool entered = false; // whether the last drag's enter was accepted

    explicit DragRig(TfrmMain& window) : frm(window)
    {
        frm.show();
        for (int c = 0; c < 6; ++c)
            frm.vstImages->header()->resizeSection(c, 60);
    }

    QPoint Cell(int row, int column) const
    {
        const QRect cell =
            frm.vstImages->visualRect(frm.Model().index(row, column < 0 ? 5 : column));
        return column < 0 ? QPoint(cell.right() + 20, cell.center().y())
                          : cell.center() + QPoint(8, 0);
    }

    // Press on one cell, then enter, move and drop on another carrying the
    // view's own payload or the given one; whether the move was accepted.
    bool Drag(int fromRow, int fromColumn, int toRow, int toColumn, QByteArray payload = {})
    {
        QWidget* viewport = frm.vstImages->viewport();
        QTest::mousePress(viewport, Qt::LeftButton, {}, Cell(fromRow, fromColumn));
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, Cell(fromRow, fromColumn));
        QMimeData mime;
        mime.setData(TImagesView::kRowMimeType,
                     payload.isNull() ? frm.vstImages->DragPayload() : payload);
        const QPointF to = Cell(toRow, toColumn);
        QDragEnterEvent enter(to.toPoint(), Qt::MoveAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(viewport, &enter);
        entered = enter.isAccepted();
        QDragMoveEvent move(to.toPoint(), Qt::MoveAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(viewport, &move);
        QDropEvent drop(to, Qt::MoveAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(viewport, &drop);
        return move.isAccepted();
    }
};

TEST_F(ImageTableTest, DroppingSetsTheOffsetThatMakesThePairCoincide)
{
    struct Case {
        const char* name;
        int fromRow, fromColumn, toRow, toColumn;
        bool accepted;
        int offset; // after the drop, from 0
    };
    // Rows: 0 image 10000 / shot 10000, 1 image 10100 / shot 10180,
    // 2 image 10200 / shot 10600, 3 shot 10900 alone.
    const Case cases[] = {
        {"shot onto its own image", 1, 4, 1, 0, true, -80},
        {"image onto a shot", 1, 1, 0, 5, true, 100},
        {"400 seconds apart", 2, 5, 2, 2, true, -400},
        {"press on the = column", 1, 3, 1, 0, false, 0},
        {"drop on the = column", 1, 4, 1, 3, false, 0},
        {"shot onto a shot column", 1, 4, 0, 4, false, 0},
        {"image onto an image column", 1, 0, 0, 1, false, 0},
        {"shot onto a row without image", 0, 5, 3, 0, false, 0},
        {"empty image side onto a shot", 3, 0, 0, 4, true, 0},
        {"press right of the last column carries the image", 1, -1, 0, 4, true, 100},
        {"drop right of the last column lands on the image", 1, 4, 1, -1, true, -80},
    };
    for (const Case& c : cases) {
        auto window = rig.Make();
        DragRig d(*window);
        window->edtTolerance->SetValue(0);
        test::Fill(*window,
                   {{"a.jpg", 10000, 0.004}, {"b.jpg", 10100, 0.004}, {"c.jpg", 10200, 0.004}},
                   {{10000, 0.004}, {10180, 0.004}, {10600, 0.004}, {10900, 0.004}});
        ASSERT_EQ(window->Model().rowCount(), 4);
        ASSERT_EQ(window->Model().RowItem(3)->Image, nullptr);
        EXPECT_EQ(d.Drag(c.fromRow, c.fromColumn, c.toRow, c.toColumn), c.accepted) << c.name;
        EXPECT_EQ(window->Workflow().Offset(), c.offset) << c.name;
    }
}

TEST_F(ImageTableTest, DropMatchesAgain)
{
    DragRig d(*frm);
    test::Fill(*frm, {{"a.jpg", 10000, 0.004}, {"b.jpg", 10050, 0.01}},
               {{9950, 0.004}, {10000, 0.004}});
    ASSERT_EQ(frm->Model().rowCount(), 3);
    ASSERT_EQ(frm->Model().RowItem(0)->Image, nullptr);
    d.Drag(0, 4, 1, 0);
    EXPECT_EQ(frm->Workflow().Offset(), 50);
    ASSERT_EQ(frm->Model().rowCount(), 2);
    EXPECT_EQ(frm->Model().RowItem(0)->TimeState, TMatchState::msEqual);
    EXPECT_EQ(frm->Model().RowItem(1)->TimeState, TMatchState::msEqual);
    EXPECT_TRUE(frm->Model().RowItem(1)->Checked);
}

TEST_F(ImageTableTest, ForeignDragsAreRefused)
{
    DragRig d(*frm);
    test::Fill(*frm, {{"a.jpg", 10000, 0.004}}, {{9000, 0.004}});
    EXPECT_FALSE(d.Drag(0, 4, 0, 0, "1:2"));
    EXPECT_FALSE(d.entered);
    EXPECT_EQ(frm->Workflow().Offset(), 0);
}

} // namespace
} // namespace zelmaro
