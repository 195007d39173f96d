#include "app/ImagesView.h"

#include "app/AppShell.h"
#include "app/ImageTableModel.h"
#include "app/RowColours.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDrag>
#include <QDragEnterEvent>
#include <QFontMetrics>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace zelmaro {
namespace {

constexpr int kWidths[kColumnCount] = {200, 140, 100, 30, 140, 100};
// The time column keeps the header's own minimum.
constexpr int kMinimumWidths[kColumnCount] = {50, 50, 50, 0, 50, 50};

// Space between a cell's text or check box and the grid lines above and below.
constexpr int kRowPadding = 2;

// Colours a whole row from its record, also on a selected row, and gives
// every row the height of its tallest content.
class TRowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // Regular and bold text with its descenders and the check box, padded,
    // and the grid line below: the same for every row.
    static int RowHeight(const QWidget* view)
    {
        QFont bold = view->font();
        bold.setBold(true);
        const int text = std::max(QFontMetrics(view->font()).height(), QFontMetrics(bold).height());
        const int box = view->style()->pixelMetric(QStyle::PM_IndicatorHeight, nullptr, view);
        return std::max(text, box) + 2 * kRowPadding + 1;
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        if (option.widget != nullptr)
            size.setHeight(std::max(size.height(), RowHeight(option.widget)));
        return size;
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        QStyledItemDelegate::paint(painter, option, index);
        if (!index.data(Qt::CheckStateRole).isValid())
            return;
        // Styles draw the box's frame from the window colour, which on a
        // dark palette is lost on the table's base: it gets a readable one.
        QStyleOptionViewItem cell = option;
        initStyleOption(&cell, index);
        const QWidget* widget = option.widget;
        const QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
        const QRect box =
            style->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &cell, widget);
        if (!box.isValid())
            return;
        const bool selected = (option.state & QStyle::State_Selected) != 0;
        painter->save();
        painter->setPen(
            CheckBoxFrame(widget != nullptr ? widget->palette() : option.palette, selected));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(box.adjusted(0, 0, -1, -1));
        painter->restore();
    }

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        const bool selected = (option->state & QStyle::State_Selected) != 0;
        const auto look = static_cast<TRowLook>(index.data(TImageTableModel::RowLookRole).toInt());
        QPalette& palette = option->palette;
        // From the view's own palette: the row's may carry a tint already.
        const QPalette& source = option->widget != nullptr ? option->widget->palette() : palette;
        // A row keeps the colour of its state also while the window waits
        // for a command (the toolkit's grey would be that of unpaired rows),
        // and selected rows get a background their colours are readable on.
        const QColor text = RowForeground(look, source, selected);
        const QColor selection = SelectionBackground(source);
        for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
            palette.setColor(group, QPalette::Text, text);
            palette.setColor(group, QPalette::HighlightedText, text);
            palette.setColor(group, QPalette::Highlight, selection);
        }
    }
};

} // namespace

TImagesView::TImagesView(QWidget* parent) : QTreeView(parent)
{
    setItemDelegate(new TRowDelegate(this));
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSortingEnabled(false);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setAllColumnsShowFocus(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The drag is started here, not by the base class, so that a press right
    // of the last column can start one as well.
    setDragDropMode(QAbstractItemView::DropOnly);
    setDragEnabled(false);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDropIndicatorShown(false);

    QHeaderView* head = header();
    head->setSectionsMovable(false);
    head->setSectionsClickable(false);
    head->setSortIndicatorShown(false);
    head->setStretchLastSection(false);
    head->setSectionResizeMode(QHeaderView::Interactive);
    head->setContextMenuPolicy(Qt::PreventContextMenu);
    head->setMinimumSectionSize(10);
    connect(head, &QHeaderView::sectionResized, this, &TImagesView::KeepMinimumWidth);

    // Ctrl+A stays the view's "select all"; with Shift it is about the marks.
    const auto action = [this](const QString& text, const QKeySequence& keys) {
        auto* a = new QAction(text, this);
        a->setShortcut(keys);
        a->setShortcutContext(Qt::WidgetShortcut);
        addAction(a);
        return a;
    };
    FCheckAll = action(tr("Alle ankreuzen"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_A));
    FCheckNone = action(tr("Keine ankreuzen"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_K));
    FLegend = action(tr("Legende..."), QKeySequence());
    const auto allRows = [this] {
        QList<int> rows(model() != nullptr ? model()->rowCount() : 0);
        std::iota(rows.begin(), rows.end(), 0);
        return rows;
    };
    connect(FCheckAll, &QAction::triggered, this, [this, allRows] {
        Run([&](TImageTableModel& table) { table.SetChecked(allRows(), true); });
    });
    connect(FCheckNone, &QAction::triggered, this, [this, allRows] {
        Run([&](TImageTableModel& table) { table.SetChecked(allRows(), false); });
    });
    connect(FLegend, &QAction::triggered, this, [this] {
        RunCommand(*FBoxes, [this] { FBoxes->ShowInfo(TImageTableModel::Legend(), kAppCaption); });
    });
}

void TImagesView::Run(const std::function<void(TImageTableModel&)>& command)
{
    auto* table = qobject_cast<TImageTableModel*>(model());
    if (table != nullptr)
        RunCommand(*FBoxes, [&] { command(*table); });
}

QList<int> TImagesView::SelectedRows() const
{
    QList<int> rows;
    if (selectionModel() != nullptr)
        for (const QModelIndex& index : selectionModel()->selectedRows())
            rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void TImagesView::setModel(QAbstractItemModel* model)
{
    QTreeView::setModel(model);
    SetUpColumns();
}

void TImagesView::SetUpColumns()
{
    FWidths.assign(std::begin(kWidths), std::end(kWidths));
    FitColumns();
}

std::vector<int> TImagesView::ColumnWidths() const
{
    std::vector<int> widths;
    for (int column = 0; column < kColumnCount; ++column)
        widths.push_back(header()->sectionSize(column));
    return widths;
}

bool TImagesView::SetColumnWidths(const std::vector<int>& widths)
{
    constexpr int kWidest = 10000;
    if (widths.size() != static_cast<std::size_t>(kColumnCount))
        return false;
    for (int column = 0; column < kColumnCount; ++column) {
        const int width = widths[static_cast<std::size_t>(column)];
        if (width < MinimumWidth(column) || width > kWidest)
            return false;
    }
    FWidths = widths;
    FitColumns();
    return true;
}

void TImagesView::FitColumns()
{
    // Until the view is laid out, its viewport's width means nothing.
    const int available = isVisible() ? viewport()->width() : 0;
    if (FWidths.empty())
        return;
    const auto width = [this](int column) { return FWidths[static_cast<std::size_t>(column)]; };
    int shared = 0;
    for (int column = 0; column < kColumnCount; ++column)
        if (column != colTimeState)
            shared += width(column);
    const double scale =
        available > 0 && shared > 0
            ? std::max(0.0, static_cast<double>(available - width(colTimeState))) / shared
            : 1.0;
    FFitting = true;
    int left = available > 0 ? available : 0;
    for (int column = 0; column < kColumnCount; ++column) {
        int size = column == colTimeState ? width(column)
                                          : static_cast<int>(std::lround(width(column) * scale));
        // The last column takes what rounding left over.
        if (available > 0 && column == kColumnCount - 1)
            size = left;
        size = std::max(size, MinimumWidth(column));
        header()->resizeSection(column, size);
        left -= size;
    }
    FFitting = false;
}

bool TImagesView::viewportEvent(QEvent* event)
{
    const bool handled = QTreeView::viewportEvent(event);
    if (event->type() == QEvent::Resize)
        FitColumns();
    return handled;
}

int TImagesView::MinimumWidth(int column)
{
    return column >= 0 && column < kColumnCount ? kMinimumWidths[column] : 0;
}

void TImagesView::KeepMinimumWidth(int column, int /*oldSize*/, int newSize)
{
    const int minimum = MinimumWidth(column);
    if (newSize < minimum) {
        header()->resizeSection(column, minimum);
        return;
    }
    // The widths the user left are the shares the columns keep when the
    // view's width changes.
    if (!FFitting)
        FWidths = ColumnWidths();
}

int TImagesView::RowAt(int y) const
{
    const int x = header()->sectionViewportPosition(0) + 1;
    return indexAt(QPoint(x, y)).row();
}

int TImagesView::ColumnAt(int x) const
{
    return header()->logicalIndexAt(x);
}

void TImagesView::drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const
{
    // The cells end above the grid line, so that it covers no descender.
    QStyleOptionViewItem cells = option;
    cells.rect.setBottom(cells.rect.bottom() - 1);
    // What the view paints beside the cells of a selected row matches them.
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        cells.palette.setColor(group, QPalette::Highlight, SelectionBackground(option.palette));
    QTreeView::drawRow(painter, cells, index);
    const QRect r = option.rect;
    painter->save();
    painter->setPen(palette().color(QPalette::Mid));
    painter->drawLine(r.left(), r.bottom(), r.right(), r.bottom());
    painter->restore();
}

void TImagesView::keyPressEvent(QKeyEvent* event)
{
    // The space bar toggles the selected rows' boxes from whichever cell, or
    // the focused row's while no more than one row is selected.
    const QModelIndex current = currentIndex();
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier &&
        current.isValid()) {
        QList<int> rows = SelectedRows();
        if (rows.size() <= 1)
            rows = {current.row()};
        Run([&](TImageTableModel& table) { table.ToggleChecked(rows); });
        event->accept();
        return;
    }
    // The system turns the menu key into a context menu event; Shift+F10
    // is the other key users know for it.
    if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier) {
        QContextMenuEvent menu(QContextMenuEvent::Keyboard, QPoint(), QPoint());
        contextMenuEvent(&menu);
        event->accept();
        return;
    }
    QTreeView::keyPressEvent(event);
}

void TImagesView::contextMenuEvent(QContextMenuEvent* event)
{
    QPoint at = event->globalPos();
    if (event->reason() == QContextMenuEvent::Keyboard) {
        // Below the focused row, or at the table's top left.
        const QRect row = visualRect(currentIndex());
        at = viewport()->mapToGlobal(row.isValid() ? row.bottomLeft() : QPoint());
    }
    QMenu menu(this);
    menu.addAction(FCheckAll);
    menu.addAction(FCheckNone);
    menu.addSeparator();
    menu.addAction(FLegend);
    menu.exec(at);
    event->accept();
}

void TImagesView::mousePressEvent(QMouseEvent* event)
{
    QTreeView::mousePressEvent(event);
    FPressed = false;
    if (event->button() != Qt::LeftButton || FHandler == nullptr)
        return;
    const QPoint pos = event->position().toPoint();
    const int row = RowAt(pos.y());
    if (row < 0)
        return;
    FHandler->DragAllowed(row, ColumnAt(pos.x()));
    FPressed = true;
    FPressPos = pos;
}

void TImagesView::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (FPressed && (event->buttons() & Qt::LeftButton) && FHandler != nullptr &&
        (pos - FPressPos).manhattanLength() >= QApplication::startDragDistance()) {
        FPressed = false;
        if (!FHandler->DragPending())
            return;
        auto* mime = new QMimeData;
        mime->setData(QString::fromLatin1(kRowMimeType), DragPayload());
        auto* drag = new QDrag(this);
        drag->setMimeData(mime);
        drag->exec(Qt::MoveAction);
        return;
    }
    QTreeView::mouseMoveEvent(event);
}

void TImagesView::mouseReleaseEvent(QMouseEvent* event)
{
    FPressed = false;
    QTreeView::mouseReleaseEvent(event);
}

bool TImagesView::IsOwnDrag(const QDropEvent* event) const
{
    return FHandler != nullptr && event->mimeData() != nullptr &&
           event->mimeData()->data(QString::fromLatin1(kRowMimeType)) == DragPayload();
}

QByteArray TImagesView::DragPayload() const
{
    return QByteArray::number(QCoreApplication::applicationPid()) + ':' +
           QByteArray::number(reinterpret_cast<quintptr>(this));
}

void TImagesView::dragEnterEvent(QDragEnterEvent* event)
{
    // Entering must be accepted for move events to follow; each move decides.
    if (!IsOwnDrag(event)) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    dragMoveEvent(event);
    event->accept();
}

void TImagesView::dragMoveEvent(QDragMoveEvent* event)
{
    if (!IsOwnDrag(event)) {
        event->ignore();
        return;
    }
    const QPoint pos = event->position().toPoint();
    if (FHandler->DragOver(RowAt(pos.y()), ColumnAt(pos.x()))) {
        event->setDropAction(Qt::MoveAction);
        event->accept();
    } else {
        event->setDropAction(Qt::IgnoreAction);
        event->ignore();
    }
}

void TImagesView::dragLeaveEvent(QDragLeaveEvent* event)
{
    event->accept();
}

void TImagesView::dropEvent(QDropEvent* event)
{
    if (!IsOwnDrag(event)) {
        event->ignore();
        return;
    }
    const QPoint pos = event->position().toPoint();
    FHandler->DragDrop(RowAt(pos.y()), ColumnAt(pos.x()));
    event->setDropAction(Qt::MoveAction);
    event->accept();
}

} // namespace zelmaro
