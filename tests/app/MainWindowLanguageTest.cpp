#include "MainTestRig.h"

#include "app/AppShell.h"
#include "app/ImageTableModel.h"
#include "support/Messages.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QStatusBar>
#include <QStyle>
#include <QTest>
#include <QTranslator>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

namespace zelmaro {
namespace {

// The window's German source texts whose English differs.
QSet<QString> GermanWindowTexts()
{
    QFile file(QStringLiteral(ZELMARO_SOURCE_DIR "/translations/zelmaro_en.ts"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    QSet<QString> texts;
    QString source;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == u"source")
            source = xml.readElementText();
        else if (xml.name() == u"translation" &&
                 xml.readElementText(QXmlStreamReader::IncludeChildElements) != source)
            texts.insert(source);
    }
    return texts;
}

// The literal pieces (between placeholders) of the core's German texts whose
// English differs: a row's tooltip or a status is made of them.
QStringList GermanCoreFragments()
{
    QFile file(QStringLiteral(ZELMARO_SOURCE_DIR "/po/en.po"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly | QIODevice::Text));
    QString id;
    QString translation;
    QString* field = nullptr;
    QStringList fragments;
    const auto take = [&] {
        if (!id.isEmpty() && !translation.isEmpty() && translation != id) {
            for (const QString& piece : id.split(QRegularExpression(QStringLiteral("%[1-9]")))) {
                if (piece.trimmed().size() >= 6)
                    fragments.push_back(piece.trimmed());
            }
        }
        id.clear();
        translation.clear();
    };
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(QLatin1String("msgid "))) {
            take();
            field = &id;
        } else if (line.startsWith(QLatin1String("msgstr"))) {
            // The singular's translation stands for the entry.
            field = line.startsWith(QLatin1String("msgstr[1]")) ? nullptr : &translation;
        } else if (!line.startsWith(QLatin1Char('"'))) {
            field = nullptr;
        }
        const qsizetype quote = line.indexOf(QLatin1Char('"'));
        if (field != nullptr && quote >= 0)
            *field += line.mid(quote + 1, line.size() - quote - 2)
                          .replace(QLatin1String("\\n"), QLatin1String("\n"))
                          .replace(QLatin1String("\\\""), QLatin1String("\""));
    }
    take();
    return fragments;
}

// The window in a language: its translators and the core's catalog, put back
// to German (the tests' language) at the end.
class LanguageScope {
public:
    explicit LanguageScope(TLanguage language)
        : FTranslators(LoadTranslations(*QCoreApplication::instance(), language))
    {
        InitMessages(language);
    }
    ~LanguageScope()
    {
        for (QTranslator* translator : FTranslators) {
            QCoreApplication::removeTranslator(translator);
            delete translator;
        }
        InitMessages(TLanguage::lgGerman);
    }
    LanguageScope(const LanguageScope&) = delete;
    LanguageScope& operator=(const LanguageScope&) = delete;

private:
    std::vector<QTranslator*> FTranslators;
};

// The room a control leaves its text: its width less an icon, a menu arrow
// or a check box's box.
int TextSpace(const QWidget& w)
{
    if (const auto* label = qobject_cast<const QLabel*>(&w))
        return label->contentsRect().width();
    const auto& button = static_cast<const QAbstractButton&>(w);
    int space = button.width() - (button.icon().isNull() ? 0 : button.iconSize().width());
    if (const auto* push = qobject_cast<const QPushButton*>(&w); push && push->menu())
        space -= w.style()->pixelMetric(QStyle::PM_MenuButtonIndicator, nullptr, &w);
    if (qobject_cast<const QCheckBox*>(&w) != nullptr)
        space -= w.style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, &w);
    return space;
}

// Every text the window shows or tells a screen reader, with where it is.
std::vector<std::pair<QString, QString>> WindowTexts(TfrmMain& frm)
{
    std::vector<std::pair<QString, QString>> texts;
    const auto add = [&](const QString& where, const QString& text) {
        if (!text.isEmpty())
            texts.emplace_back(where, text);
    };
    add(QStringLiteral("title"), frm.windowTitle());
    add(QStringLiteral("status"), frm.StatusBar->currentMessage());
    QList<QWidget*> widgets = frm.findChildren<QWidget*>();
    widgets.push_front(&frm);
    for (QWidget* w : widgets) {
        if (!w->isVisible())
            continue;
        const QString name = QString::fromLatin1(w->metaObject()->className());
        add(name, w->toolTip());
        add(name, w->accessibleName());
        add(name, w->accessibleDescription());
        if (const auto* label = qobject_cast<QLabel*>(w))
            add(name, label->text());
        if (const auto* button = qobject_cast<QAbstractButton*>(w))
            add(name, button->text());
        if (const auto* combo = qobject_cast<QComboBox*>(w)) {
            for (int i = 0; i < combo->count(); ++i)
                add(name, combo->itemText(i));
        }
        QList<QAction*> actions = w->actions();
        if (const auto* push = qobject_cast<QPushButton*>(w); push && push->menu())
            actions += push->menu()->actions();
        for (const QAction* action : actions) {
            add(name + QStringLiteral(" action"), action->text());
            add(name + QStringLiteral(" action"), action->toolTip());
        }
    }
    const TImageTableModel& model = frm.Model();
    for (int column = 0; column < model.columnCount(); ++column) {
        for (int role : {Qt::DisplayRole, Qt::ToolTipRole})
            add(QStringLiteral("header"),
                model.headerData(column, Qt::Horizontal, role).toString());
        for (int row = 0; row < model.rowCount(); ++row)
            add(QStringLiteral("row tooltip"),
                model.data(model.index(row, column), Qt::ToolTipRole).toString());
    }
    return texts;
}

TEST(MainWindowLanguageTest, TextsFitTheirControlsAndEnglishShowsNoGerman)
{
    const QSet<QString> germanWindow = GermanWindowTexts();
    const QStringList germanCore = GermanCoreFragments();
    ASSERT_GT(germanWindow.size(), 20);
    ASSERT_GT(germanCore.size(), 50);
    // The German window proves that the search finds German where it is.
    for (const TLanguage language : {TLanguage::lgGerman, TLanguage::lgEnglish}) {
        SCOPED_TRACE(language == TLanguage::lgGerman ? "German" : "English");
        const LanguageScope scope(language);
        test::MainRig rig;
        std::unique_ptr<TfrmMain> frm = rig.Make();
        // Rows of each kind: near, to be written, without a log entry, and a
        // status from the automatic offset.
        test::Fill(*frm, {{"a.jpg", 1040, 0.004}, {"b.jpg", 1100, 0.004}, {"c.jpg", 9000, 0.5}},
                   {{1000, 0.004}, {1060, 0.01}});
        frm->show();
        QTest::mouseClick(frm->cmdAuto, Qt::LeftButton);
        ASSERT_FALSE(frm->StatusBar->currentMessage().isEmpty());

        for (QWidget* w : frm->findChildren<QWidget*>()) {
            const auto* label = qobject_cast<QLabel*>(w);
            const auto* button = qobject_cast<QAbstractButton*>(w);
            if (!w->isVisible() || (label == nullptr && button == nullptr) ||
                w->parentWidget() == frm->StatusBar)
                continue;
            QString text = label != nullptr ? label->text() : button->text();
            text.remove(QLatin1Char('&'));
            EXPECT_LE(w->fontMetrics().horizontalAdvance(text), TextSpace(*w))
                << text.toStdString() << " is cut";
        }

        int german = 0;
        for (const auto& [where, text] : WindowTexts(*frm)) {
            const bool windowText = germanWindow.contains(text);
            const auto fragment = std::find_if(
                germanCore.begin(), germanCore.end(),
                [&shown = text](const QString& piece) { return shown.contains(piece); });
            if (!windowText && fragment == germanCore.end())
                continue;
            ++german;
            if (language == TLanguage::lgEnglish) {
                ADD_FAILURE() << "German in the English window (" << where.toStdString()
                              << "): " << text.toStdString();
            }
        }
        if (language == TLanguage::lgGerman) {
            EXPECT_GT(german, 10);
        }
    }
}

} // namespace
} // namespace zelmaro
