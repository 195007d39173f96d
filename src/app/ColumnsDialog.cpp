#include "app/ColumnsDialog.h"

#include "app/QtText.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace zelmaro {
namespace {

constexpr const char* kContext = "zelmaro::ChooseLogColumns";

// A column's index by name, ignoring case; -1 for none.
int IndexOf(const std::vector<std::string>& columns, const std::string& name)
{
    for (std::size_t i = 0; i < columns.size(); ++i)
        if (QString::fromStdString(columns[i])
                .compare(QString::fromStdString(name), Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    return -1;
}

} // namespace

std::optional<TColumnMapping> ChooseLogColumns(QWidget* parent,
                                               const std::vector<std::string>& columns,
                                               const std::optional<TColumnMapping>& preset)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(
        QCoreApplication::translate("zelmaro::ChooseLogColumns", "Spalten des Protokolls"));
    auto* form = new QFormLayout(&dialog);
    form->addRow(new QLabel(QCoreApplication::translate(
        "zelmaro::ChooseLogColumns", "Kein bekanntes Format. Welche Spalten enthalten was?")));
    // A required choice lists the columns; an optional one starts with "(keine)".
    const TColumnMapping start = preset.value_or(SuggestedColumns(columns));
    const auto combo = [&](const char* label, bool optional, const std::string& chosen) {
        auto* box = new QComboBox;
        if (optional)
            box->addItem(QCoreApplication::translate("zelmaro::ChooseLogColumns", "(keine)"));
        for (const std::string& column : columns)
            box->addItem(FromLocal(column));
        int index = IndexOf(columns, chosen);
        if (index < 0 && !optional)
            index = 0;
        box->setCurrentIndex(index < 0 ? 0 : index + (optional ? 1 : 0));
        form->addRow(QCoreApplication::translate(kContext, label), box);
        return box;
    };
    QComboBox* time =
        combo(QT_TRANSLATE_NOOP("zelmaro::ChooseLogColumns", "Zeitpunkt:"), false, start.Time);
    QComboBox* date = combo(QT_TRANSLATE_NOOP("zelmaro::ChooseLogColumns", "Datum (getrennt):"),
                            true, start.Date);
    auto* format = new QLineEdit(FromLocal(start.TimeFormat));
    format->setPlaceholderText(QCoreApplication::translate(
        "zelmaro::ChooseLogColumns", "von selbst erkannt, sonst z. B. DD.MM.YYYY hh:mm:ss"));
    // The hint is the example to follow: shown whole.
    format->setMinimumWidth(format->fontMetrics().horizontalAdvance(format->placeholderText()) +
                            2 * format->fontMetrics().averageCharWidth() + 12);
    form->addRow(QCoreApplication::translate("zelmaro::ChooseLogColumns", "Zeitformat:"), format);
    QComboBox* exposure = combo(QT_TRANSLATE_NOOP("zelmaro::ChooseLogColumns", "Belichtungszeit:"),
                                false, start.Exposure);
    QComboBox* file =
        combo(QT_TRANSLATE_NOOP("zelmaro::ChooseLogColumns", "Dateiname:"), true, start.File);
    QComboBox* frame =
        combo(QT_TRANSLATE_NOOP("zelmaro::ChooseLogColumns", "Bildnummer:"), true, start.Frame);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    form->addRow(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;

    const auto chosen = [&](const QComboBox* box, bool optional) {
        const int index = box->currentIndex() - (optional ? 1 : 0);
        return index >= 0 ? columns[static_cast<std::size_t>(index)] : std::string();
    };
    TColumnMapping mapping;
    mapping.Time = chosen(time, false);
    mapping.Date = chosen(date, true);
    mapping.TimeFormat = ToLocal(format->text().trimmed());
    mapping.Exposure = chosen(exposure, false);
    mapping.File = chosen(file, true);
    mapping.Frame = chosen(frame, true);
    return mapping;
}

} // namespace zelmaro
