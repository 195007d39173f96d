#include "app/ImageTableModel.h"

#include "app/QtText.h"

#include <QFont>

namespace zelmaro {
namespace {

const QColor kSilver(192, 192, 192);
const QColor kGreen(0, 128, 0);
const QColor kLime(0, 255, 0);

const char* const kCaptions[kColumnCount] = {
    "Bildname", "Bilddatum", "Verschlusszeit", "=", "Aufnahmedatum", "Verschlusszeit",
};

const Qt::Alignment kAlignments[kColumnCount] = {
    Qt::AlignLeft,    Qt::AlignLeft, Qt::AlignHCenter,
    Qt::AlignHCenter, Qt::AlignLeft, Qt::AlignHCenter,
};

// A row change outside BeginUpdate/EndUpdate is a reset of its own.
class TTableBracket {
public:
    explicit TTableBracket(TImageTableModel& model) : FModel(model) { FModel.BeginUpdate(); }
    ~TTableBracket() { FModel.EndUpdate(); }
    TTableBracket(const TTableBracket&) = delete;
    TTableBracket& operator=(const TTableBracket&) = delete;

private:
    TImageTableModel& FModel;
};

} // namespace

TImageTableModel::TImageTableModel(TCellText cellText, QObject* parent)
    : QAbstractTableModel(parent), FCellText(std::move(cellText))
{
}

int TImageTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(FRows.size());
}

int TImageTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant TImageTableModel::data(const QModelIndex& index, int role) const
{
    const TMatchItem* item = RowItem(index.row());
    if (item == nullptr || index.column() < 0 || index.column() >= kColumnCount)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return FromLocal(FCellText(*item, index.column()));
    case Qt::CheckStateRole:
        if (index.column() != colImageName)
            return {};
        return FRows[static_cast<std::size_t>(index.row())].Checked ? Qt::Checked : Qt::Unchecked;
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(kAlignments[index.column()] | Qt::AlignVCenter);
    case Qt::ForegroundRole:
    case SelectedForegroundRole:
        if (item->TimeState == TMatchState::msNone && item->ExposureState == TMatchState::msNone)
            return kSilver;
        if (item->TimeState == TMatchState::msEqual && item->ExposureState == TMatchState::msEqual)
            return role == Qt::ForegroundRole ? kGreen : kLime;
        return {};
    case Qt::FontRole: {
        // Only the style: the view's own font is kept otherwise.
        if (item->TimeState == TMatchState::msNear) {
            QFont font;
            font.setItalic(true);
            return font;
        }
        if (item->TimeState == TMatchState::msEqual &&
            item->ExposureState == TMatchState::msDifferent) {
            QFont font;
            font.setBold(true);
            return font;
        }
        return {};
    }
    default:
        return {};
    }
}

bool TImageTableModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    const TMatchItem* item = RowItem(index.row());
    if (role != Qt::CheckStateRole || index.column() != colImageName || item == nullptr ||
        !IsCheckable(*item))
        return false;
    const bool checked = value.value<Qt::CheckState>() == Qt::Checked;
    TRow& row = FRows[static_cast<std::size_t>(index.row())];
    if (row.Checked != checked) {
        row.Checked = checked;
        emit dataChanged(index, index, {Qt::CheckStateRole});
    }
    emit Checked(index.row());
    return true;
}

QVariant TImageTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount)
        return {};
    if (role == Qt::DisplayRole)
        return QString::fromLatin1(kCaptions[section]);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(kAlignments[section] | Qt::AlignVCenter);
    return {};
}

Qt::ItemFlags TImageTableModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() == colImageName)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

void TImageTableModel::BeginUpdate()
{
    if (FUpdateDepth++ == 0)
        beginResetModel();
}

void TImageTableModel::EndUpdate()
{
    if (FUpdateDepth > 0 && --FUpdateDepth == 0)
        endResetModel();
}

void TImageTableModel::Clear()
{
    TTableBracket bracket(*this);
    FRows.clear();
}

void TImageTableModel::AppendRow(const TMatchItem* item, bool checked)
{
    TTableBracket bracket(*this);
    FRows.push_back({item, checked});
}

bool TImageTableModel::IsChecked(int row) const
{
    return row >= 0 && row < rowCount() && FRows[static_cast<std::size_t>(row)].Checked;
}

bool TImageTableModel::AnyChecked() const
{
    for (const TRow& row : FRows)
        if (row.Checked)
            return true;
    return false;
}

const TMatchItem* TImageTableModel::RowItem(int row) const
{
    return row >= 0 && row < rowCount() ? FRows[static_cast<std::size_t>(row)].Item : nullptr;
}

} // namespace zelmaro
