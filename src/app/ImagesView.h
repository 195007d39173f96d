#pragma once

#include <QPoint>
#include <QTreeView>

namespace zelmaro {

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

// The flat six-column table of pairs: horizontal grid lines, whole-row single
// selection, fixed column order, per-column minimum widths, and dragging a row
// onto another row inside the table.
class TImagesView : public QTreeView {
    Q_OBJECT

public:
    static constexpr const char* kRowMimeType = "application/x-zelmaro-table-row";

    explicit TImagesView(QWidget* parent = nullptr);

    void SetDragHandler(TImagesDragHandler* handler) { FHandler = handler; }
    void setModel(QAbstractItemModel* model) override;

    // The row at a viewport height, whatever the column; -1 for none.
    int RowAt(int y) const;
    // The column at a viewport x; -1 right of the last column.
    int ColumnAt(int x) const;

    static int MinimumWidth(int column);
    // What a drag of this view carries: names this view in this process, so
    // that no other program's drag is taken for one of ours.
    QByteArray DragPayload() const;

protected:
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                 const QModelIndex& index) const override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    bool IsOwnDrag(const QDropEvent* event) const;
    void SetUpColumns();
    void KeepMinimumWidth(int column, int oldSize, int newSize);

    TImagesDragHandler* FHandler = nullptr;
    bool FPressed = false;
    QPoint FPressPos;
};

} // namespace zelmaro
