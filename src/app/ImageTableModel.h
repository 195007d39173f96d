#pragma once

#include "app/RowColours.h"
#include "workflow/Records.h"
#include "workflow/Workflow.h"

#include <QAbstractTableModel>
#include <QColor>

#include <cstddef>
#include <string>

namespace zelmaro {

// The image table as a view of the workflow's rows: texts, colours, font
// styles and check marks are read from the row whenever the view asks; a
// click on a check box goes to the workflow, which tells of the change.
class TImageTableModel : public QAbstractTableModel, private TWorkflowObserver {
    Q_OBJECT

public:
    // The row's TRowLook, as an int: the view picks colours for its palette.
    static constexpr int RowLookRole = Qt::UserRole + 1;

    // Observes the workflow, which must outlive the model.
    explicit TImageTableModel(TWorkflow& workflow, QObject* parent = nullptr);
    ~TImageTableModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    static TRowLook Look(const TMatchItem& item);

    // The row's record; null for a row that does not exist.
    const TMatchItem* RowItem(int row) const;

    // The user's check marks on several rows at once, by the workflow's
    // rules (rows that cannot be checked are passed over).
    void SetChecked(const QList<int>& rows, bool checked);
    void ToggleChecked(const QList<int>& rows);

    // What the rows' colours and font styles mean, and the table's keys.
    static std::string Legend();

signals:
    // Check marks changed, by the user or by the workflow.
    void CheckMarksChanged();

private:
    void RowsReplacing() override;
    void RowsReplaced() override;
    void ChecksChanged(std::size_t first, std::size_t last) override;

    TWorkflow& FWorkflow;
};

} // namespace zelmaro
