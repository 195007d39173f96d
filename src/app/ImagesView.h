#pragma once

#include "app/QtMessageBoxes.h"

#include <QList>
#include <QPoint>
#include <QTreeView>

#include <functional>
#include <vector>

class QAction;

namespace zelmaro {

class TImageTableModel;

// What the image table asks its window about an in-table drag. Columns are
// those under the pointer; a point right of the last column gives -1.
class TImagesDragHandler {
public:
    virtual ~TImagesDragHandler() = default;
    // The mouse button went down on a row; remembers the source or refuses.
    virtual void DragAllowed(int row, int column) = 0;
    // Whether the press allowed a drag.
    virtual bool DragPending() const = 0;
    virtual bool DragOver(int row, int column) const = 0;
    virtual void DragDrop(int row, int column) = 0;
};

// The flat six-column table of pairs: horizontal grid lines, whole-row
// multiple selection, fixed column order, per-column minimum widths, dragging
// a row onto another row inside the table, and the check-mark commands: the
// space bar toggles the selected rows (the focused one while at most one is
// selected), Ctrl+Shift+A checks every row that can be written, Ctrl+Shift+K
// none; the context menu (right button, menu key, Shift+F10) offers these and
// the legend.
class TImagesView : public QTreeView {
    Q_OBJECT

public:
    static constexpr const char* kRowMimeType = "application/x-zelmaro-table-row";

    explicit TImagesView(QWidget* parent = nullptr);

    void SetDragHandler(TImagesDragHandler* handler) { FHandler = handler; }
    // Where the legend and the errors of a command go; the toolkit's boxes
    // until set. Must outlive the view.
    void SetMessageBoxes(MessageBoxes& boxes) { FBoxes = &boxes; }
    void setModel(QAbstractItemModel* model) override;

    // The context menu's commands, also reachable by their keys.
    QAction* CheckAllAction() const { return FCheckAll; }
    QAction* CheckNoneAction() const { return FCheckNone; }
    QAction* LegendAction() const { return FLegend; }
    // The selected rows, top to bottom.
    QList<int> SelectedRows() const;

    // The row at a viewport height, whatever the column; -1 for none.
    int RowAt(int y) const;
    // The column at a viewport x; -1 right of the last column.
    int ColumnAt(int x) const;

    static int MinimumWidth(int column);
    // The columns' widths, left to right. Set ones are the shares the
    // columns keep of the view's width; refused (false) unless there is one
    // for each column, none below its minimum.
    std::vector<int> ColumnWidths() const;
    bool SetColumnWidths(const std::vector<int>& widths);
    // What a drag of this view carries: names this view in this process, so
    // that no other program's drag is taken for one of ours.
    QByteArray DragPayload() const;

protected:
    bool viewportEvent(QEvent* event) override;
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                 const QModelIndex& index) const override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Runs a command of the table; an error is shown, never let through.
    void Run(const std::function<void(TImageTableModel&)>& command);
    bool IsOwnDrag(const QDropEvent* event) const;
    void SetUpColumns();
    void KeepMinimumWidth(int column, int oldSize, int newSize);
    // Spreads the viewport's width over the columns in the shares of
    // FWidths; the time mark's column keeps its own width.
    void FitColumns();

    TImagesDragHandler* FHandler = nullptr;
    TQtMessageBoxes FOwnBoxes{this};
    MessageBoxes* FBoxes = &FOwnBoxes;
    QAction* FCheckAll = nullptr;
    QAction* FCheckNone = nullptr;
    QAction* FLegend = nullptr;
    bool FPressed = false;
    QPoint FPressPos;
    std::vector<int> FWidths;
    bool FFitting = false;
};

} // namespace zelmaro
