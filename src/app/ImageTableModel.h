#pragma once

#include "workflow/Records.h"

#include <QAbstractTableModel>
#include <QColor>

#include <functional>
#include <string>
#include <vector>

namespace zelmaro {

// The rows of the image table: each holds a pair record it does not own and
// its check mark. Texts, colours and font styles are computed from the record
// whenever the view asks.
class TImageTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    static constexpr int kColumnCount = 6;
    // The foreground of a matched row whose exposure times agree, while selected.
    static constexpr int SelectedForegroundRole = Qt::UserRole + 1;

    using TCellText = std::function<std::string(const TMatchItem&, int column)>;

    explicit TImageTableModel(TCellText cellText, QObject* parent = nullptr);

    // Only a pair the write-back would correct can be checked.
    static bool IsCheckable(const TMatchItem& item);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Nested brackets; the rows change inside one model reset.
    void BeginUpdate();
    void EndUpdate();
    void Clear();
    void AppendRow(const TMatchItem* item, bool checked);
    bool IsChecked(int row) const;
    bool AnyChecked() const;
    // Null for a row that does not exist.
    const TMatchItem* RowItem(int row) const;

signals:
    // The user changed a check mark.
    void Checked(int row);

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
