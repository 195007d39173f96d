#pragma once

#include "workflow/Records.h"
#include "workflow/WorkflowHost.h"

#include <QAbstractTableModel>
#include <QColor>

#include <functional>
#include <string>
#include <vector>

namespace zelmaro {

// The rows of the image table: each holds a pair record it does not own and
// its check mark. Texts, colours and font styles are computed from the record
// whenever the view asks. It is the workflow's table.
class TImageTableModel : public QAbstractTableModel, public TImageTable {
    Q_OBJECT

public:
    // The foreground of a matched row whose exposure times agree, while selected.
    static constexpr int SelectedForegroundRole = Qt::UserRole + 1;

    using TCellText = std::function<std::string(const TMatchItem&, int column)>;

    explicit TImageTableModel(TCellText cellText, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // TImageTable; nested brackets, the rows change inside one model reset.
    void BeginUpdate() override;
    void EndUpdate() override;
    void Clear() override;
    void AppendRow(const TMatchItem* item, bool checked) override;
    int RowCount() const override { return static_cast<int>(FRows.size()); }
    bool IsChecked(int row) const override;
    // Null for a row that does not exist.
    const TMatchItem* RowItem(int row) const override;
    // Emits WriteEnabled for the window's write button.
    void SetWriteEnabled(bool enabled) override { emit WriteEnabled(enabled); }

    bool AnyChecked() const;

signals:
    // The user changed a check mark.
    void Checked(int row);
    void WriteEnabled(bool enabled);

private:
    struct TRow {
        const TMatchItem* Item;
        bool Checked;
    };

    TCellText FCellText;
    std::vector<TRow> FRows;
    int FUpdateDepth = 0;
};

} // namespace zelmaro
