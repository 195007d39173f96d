#include "app/ImageTableModel.h"

#include "app/QtText.h"
#include "app/RowColours.h"

#include <QFont>
#include <QGuiApplication>

#include <vector>

namespace zelmaro {
namespace {

const char* const kCaptions[kColumnCount] = {
    QT_TRANSLATE_NOOP("zelmaro::TImageTableModel", "Bildname"),
    QT_TRANSLATE_NOOP("zelmaro::TImageTableModel", "Bilddatum"),
    QT_TRANSLATE_NOOP("zelmaro::TImageTableModel", "Verschlusszeit"),
    "=",
    QT_TRANSLATE_NOOP("zelmaro::TImageTableModel", "Aufnahmedatum"),
    QT_TRANSLATE_NOOP("zelmaro::TImageTableModel", "Verschlusszeit"),
};

const Qt::Alignment kAlignments[kColumnCount] = {
    Qt::AlignLeft,    Qt::AlignLeft, Qt::AlignHCenter,
    Qt::AlignHCenter, Qt::AlignLeft, Qt::AlignHCenter,
};

} // namespace

TImageTableModel::TImageTableModel(TWorkflow& workflow, QObject* parent)
    : QAbstractTableModel(parent), FWorkflow(workflow)
{
    FWorkflow.AddObserver(*this);
}

TImageTableModel::~TImageTableModel()
{
    FWorkflow.RemoveObserver(*this);
}

int TImageTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(FWorkflow.Matches().size());
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
        return FromLocal(FWorkflow.CellText(*item, index.column()));
    case Qt::CheckStateRole:
        if (index.column() != colImageName)
            return {};
        return item->Checked ? Qt::Checked : Qt::Unchecked;
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(kAlignments[index.column()] | Qt::AlignVCenter);
    case Qt::ToolTipRole: {
        const std::string details = FWorkflow.ShotDetails(*item);
        return FromLocal(FWorkflow.CheckReason(*item) +
                         (details.empty() ? std::string() : "\n" + details));
    }
    case RowLookRole:
        return static_cast<int>(Look(*item));
    case Qt::ForegroundRole: {
        // The view colours its rows for its own palette; this is the
        // colour on the program's palette, for whoever else reads the model.
        const TRowLook look = Look(*item);
        if (look == TRowLook::rlPlain)
            return {};
        return RowForeground(look, QGuiApplication::palette(), false);
    }
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

TRowLook TImageTableModel::Look(const TMatchItem& item)
{
    if (item.TimeState == TMatchState::msNone && item.ExposureState == TMatchState::msNone)
        return TRowLook::rlMissing;
    if (item.TimeState == TMatchState::msEqual && item.ExposureState == TMatchState::msEqual)
        return TRowLook::rlAgreed;
    return TRowLook::rlPlain;
}

bool TImageTableModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::CheckStateRole || index.column() != colImageName ||
        RowItem(index.row()) == nullptr)
        return false;
    return FWorkflow.SetChecked(static_cast<std::size_t>(index.row()),
                                value.value<Qt::CheckState>() == Qt::Checked);
}

QVariant TImageTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount)
        return {};
    if (role == Qt::DisplayRole)
        return tr(kCaptions[section]);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(kAlignments[section] | Qt::AlignVCenter);
    if (role == Qt::ToolTipRole)
        return FromLocal(Legend());
    return {};
}

Qt::ItemFlags TImageTableModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    const TMatchItem* item = RowItem(index.row());
    if (index.column() == colImageName && item != nullptr && IsTickable(*item))
        f |= Qt::ItemIsUserCheckable;
    return f;
}

const TMatchItem* TImageTableModel::RowItem(int row) const
{
    return row >= 0 && row < rowCount() ? &FWorkflow.Matches()[static_cast<std::size_t>(row)]
                                        : nullptr;
}

namespace {

std::vector<std::size_t> RowNumbers(const QList<int>& rows)
{
    std::vector<std::size_t> numbers;
    numbers.reserve(static_cast<std::size_t>(rows.size()));
    for (const int row : rows)
        if (row >= 0)
            numbers.push_back(static_cast<std::size_t>(row));
    return numbers;
}

} // namespace

void TImageTableModel::SetChecked(const QList<int>& rows, bool checked)
{
    FWorkflow.SetChecked(RowNumbers(rows), checked);
}

void TImageTableModel::ToggleChecked(const QList<int>& rows)
{
    FWorkflow.ToggleChecked(RowNumbers(rows));
}

std::string TImageTableModel::Legend()
{
    return ToLocal(tr("Angekreuzte Zeilen werden eingetragen.\n"
                      "\n"
                      "Grün: Zeit und Verschlusszeit gleich – nichts zu tun\n"
                      "Fett: Zeit gleich, Verschlusszeit anders – eintragen\n"
                      "Kursiv: Zeit knapp daneben – von Hand ankreuzbar\n"
                      "Grau: Bild oder Protokolleintrag fehlt\n"
                      "Normal: Zeit zu weit daneben\n"
                      "\n"
                      "Leertaste: markierte Zeilen umschalten\n"
                      "Strg+Umschalt+A: alle schreibbaren ankreuzen\n"
                      "Strg+Umschalt+K: keine ankreuzen\n"
                      "Der Tooltip einer Zeile nennt den Grund."));
}

void TImageTableModel::RowsReplacing()
{
    beginResetModel();
}

void TImageTableModel::RowsReplaced()
{
    endResetModel();
    emit CheckMarksChanged();
}

void TImageTableModel::ChecksChanged(std::size_t first, std::size_t last)
{
    // The tooltips of every column say whether a row is checked.
    emit dataChanged(index(static_cast<int>(first), colImageName),
                     index(static_cast<int>(last), kColumnCount - 1),
                     {Qt::CheckStateRole, Qt::ToolTipRole});
    emit CheckMarksChanged();
}

} // namespace zelmaro
