#pragma once

#include "workflow/Records.h"
#include "workflow/WorkflowHost.h"

#include <stdexcept>
#include <vector>

namespace zelmaro::test {

// A table that keeps its rows and counts its update brackets.
class FakeTable final : public TImageTable {
public:
    struct Row {
        const TMatchItem* Item;
        bool Checked;
    };
    std::vector<Row> Rows;
    bool WriteEnabled = false;
    int UpdateDepth = 0;
    int UpdateBrackets = 0;
    int Clears = 0;
    int RowsAddedOutsideUpdate = 0;
    // When not negative: AppendRow throws once this many rows are in.
    int FailAtRow = -1;

    void BeginUpdate() override
    {
        if (UpdateDepth++ == 0)
            ++UpdateBrackets;
    }
    void EndUpdate() override
    {
        if (UpdateDepth == 0)
            throw std::logic_error("EndUpdate without BeginUpdate");
        --UpdateDepth;
    }
    void Clear() override
    {
        ++Clears;
        Rows.clear();
    }
    void AppendRow(const TMatchItem* item, bool checked) override
    {
        if (UpdateDepth == 0)
            ++RowsAddedOutsideUpdate;
        if (FailAtRow >= 0 && RowCount() >= FailAtRow)
            throw std::runtime_error("table failure");
        Rows.push_back({item, checked});
    }
    int RowCount() const override { return static_cast<int>(Rows.size()); }
    bool IsChecked(int row) const override
    {
        return Rows.at(static_cast<std::size_t>(row)).Checked;
    }
    const TMatchItem* RowItem(int row) const override
    {
        return Rows.at(static_cast<std::size_t>(row)).Item;
    }
    void SetWriteEnabled(bool enabled) override { WriteEnabled = enabled; }

    // The user clicks a check box.
    void SetChecked(int row, bool checked)
    {
        Rows.at(static_cast<std::size_t>(row)).Checked = checked;
    }
};

} // namespace zelmaro::test
