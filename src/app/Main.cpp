#include "app/Main.h"

#include "workflow/MetadataTool.h"

#include "about/QL_About.h"
#include "app/AppCursor.h"
#include "app/AppShell.h"
#include "app/ColumnsDialog.h"
#include "app/DirectoryEdit.h"
#include "app/ImageTableModel.h"
#include "app/Info.h"
#include "app/QtText.h"
#include "app/SpinEdit.h"
#include "palm/PalmString.h"
#include "palm/PalmUsersDat.h"
#include "platform/Platform.h"
#include "settings/Quandrel.h"
#include "support/Paths.h"
#include "workflow/StatusTexts.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStatusBar>
#include <QStyle>
#include <QWindow>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <optional>
#include <vector>

namespace zelmaro {
namespace {

// The window frame the stored outer bounds assume around the client area
// (759 x 735 outside for 751 x 701 inside). Using a fixed frame keeps the
// stored size stable whatever frame the window manager draws.
constexpr int kFrameWidth = 8;
constexpr int kFrameHeight = 34;

// The bytes of a user's name beside the text shown: the stored "User" is
// compared with these, so names that show alike are never mixed up.
constexpr int kPalmNameRole = Qt::UserRole + 1;

// One dimension of stored bounds brought into [areaStart, areaStart + areaLength):
// no longer than the area unless the minimum needs it, moved in as far as it fits.
void FitSpan(int& start, int& length, int areaStart, int areaLength, int minimum)
{
    const long long fitted = std::max<long long>(std::min<long long>(length, areaLength), minimum);
    const long long last =
        std::max<long long>(areaStart, static_cast<long long>(areaStart) + areaLength - fitted);
    start = static_cast<int>(std::clamp<long long>(start, areaStart, last));
    length = static_cast<int>(fitted);
}

// The stored column widths: whole numbers separated by commas.
std::optional<std::vector<int>> ParseColumnWidths(const std::string& text)
{
    if (text.empty())
        return std::nullopt;
    std::vector<int> widths;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find(',', start), text.size());
        int width = 0;
        const char* first = text.data() + start;
        const char* last = text.data() + end;
        const auto [stop, error] = std::from_chars(first, last, width);
        if (error != std::errc() || stop != last || first == last)
            return std::nullopt;
        widths.push_back(width);
        start = end + 1;
    }
    return widths;
}

std::string ColumnWidthsText(const std::vector<int>& widths)
{
    std::string text;
    for (const int width : widths)
        text += (text.empty() ? "" : ",") + std::to_string(width);
    return text;
}

// A green running figure for the write button; Qt greys it when disabled.
QIcon RunningFigureIcon()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor green(0, 160, 0);
    p.setPen(Qt::NoPen);
    p.setBrush(green);
    p.drawEllipse(QPointF(10.0, 2.5), 2.2, 2.2);
    QPen limb(green, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(limb);
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(9.0, 5.0), QPointF(7.0, 10.0));                    // body
    p.drawPolyline(QPolygonF({{4.0, 6.5}, {7.0, 5.5}, {9.0, 5.0}}));      // back arm
    p.drawPolyline(QPolygonF({{9.0, 5.0}, {11.0, 7.5}, {13.5, 6.5}}));    // front arm
    p.drawPolyline(QPolygonF({{7.0, 10.0}, {10.5, 12.0}, {10.0, 15.0}})); // front leg
    p.drawPolyline(QPolygonF({{7.0, 10.0}, {5.0, 13.0}, {2.0, 13.5}}));   // back leg
    p.end();
    return QIcon(pixmap);
}

// The help sign of the about button: a white question mark on a blue disc.
QIcon HelpIcon()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(20, 70, 160), 1.0));
    p.setBrush(QColor(50, 110, 210));
    p.drawEllipse(QRectF(0.5, 0.5, 15.0, 15.0));
    p.setFont(UiFont(12, true));
    p.setPen(Qt::white);
    p.drawText(QRectF(0, 0, 16, 16), Qt::AlignCenter, QStringLiteral("?"));
    p.end();
    return QIcon(pixmap);
}

} // namespace

int RunMainWindow(TfrmMain& frmMain)
{
    // A missing metadata tool ends the program before the window shows.
    if (frmMain.TerminateRequested())
        return 1;
    frmMain.show();
    QApplication::exec();
    return frmMain.TerminateRequested() ? 1 : 0;
}

TMainEnvironment TMainEnvironment::System()
{
    TMainEnvironment environment;
    Platform& platform = SystemPlatform();
    environment.Registry = &platform.UserRegistry();
    environment.AboutPlatform = &platform;
    environment.Formats = platform.UserFormatSettings();
    environment.FindExifTool = [] { return zelmaro::FindExifTool().value_or(std::string()); };
    environment.PalmUsers = [&platform] {
        // The list object lives only while the names are taken.
        const TPalmUsersDat list(platform.UserRegistry());
        std::vector<TPalmUserEntry> users;
        if (list.Installed())
            for (const TPalmUser& user : list.Users())
                users.push_back({user.Name, user.UserID});
        return users;
    };
    return environment;
}

TfrmMain::TfrmMain(TMainEnvironment environment, QWidget* parent)
    : QWidget(parent), TGuiWorkflowHost(this, environment.Boxes),
      FEnvironment(std::move(environment)), FWorkflow(*this, FEnvironment.Formats),
      FModel(std::make_unique<TImageTableModel>(FWorkflow))
{
    FWorkflow.AddObserver(*this);
    if (FEnvironment.Registry != nullptr)
        FWorkflow.SetPalmRegistry(*FEnvironment.Registry);
    CreateControls();
    FormCreate();
}

TfrmMain::~TfrmMain()
{
    FWorkflow.RemoveObserver(*this);
}

template <class T>
T* TfrmMain::Place(T* control, int left, int top, int width, int height, unsigned anchors)
{
    control->setParent(FClient);
    control->setGeometry(left, top, width, height);
    FAnchored.push_back({control, QRect(left, top, width, height), anchors});
    return control;
}

void TfrmMain::CreateControls()
{
    setWindowTitle(QStringLiteral("Zelmaro"));
    const QFont font = UiFont();
    setFont(font);
    // The controls sit on a client that scrolls where the screen is smaller
    // than the smallest client; above that, the table gives up height.
    FScroll = new QScrollArea(this);
    FScroll->setFrameShape(QFrame::NoFrame);
    FScroll->setFocusPolicy(Qt::NoFocus);
    FScroll->setWidgetResizable(true);
    FClient = new QWidget;
    FClient->setMinimumSize(kClientWidth, kClientHeight - (kTableHeight - kMinTableHeight));
    FClient->resize(kClientWidth, kClientHeight);
    FClient->installEventFilter(this);
    FScroll->setWidget(FClient);
    FitMinimumToScreen();
    resize(minimumSize());

    const auto label = [](const QString& text) {
        auto* l = new QLabel(text);
        l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        return l;
    };
    const auto button = [](const QString& text) { return new QPushButton(text); };

    lblDir = Place(label(tr("Verzeichnis:")), 10, 10, 81, 21, akLeft | akTop);
    edtDir = Place(new TDirectoryEdit, 90, 10, 571, 21, akLeft | akTop | akRight);
    cmdReadPics = Place(button(tr("Auslesen")), 670, 8, 71, 25, akTop | akRight);
    cmdReadFile = Place(button(tr("\"Zelmaro.txt\" auslesen")), 10, 50, 201, 25, akLeft | akTop);
    cmdReadMemo = Place(button(tr("PalmDesktop Memo auslesen")), 270, 50, 201, 25, akLeft | akTop);
    lblUser = Place(label(tr("User:")), 490, 50, 41, 24, akLeft | akTop);
    cmbUser = Place(new QComboBox, 530, 50, 201, 24, akLeft | akTop);
    cmdOpenLog = Place(button(tr("Protokoll öffnen…")), 10, 88, 201, 25, akLeft | akTop);
    lblPairing = Place(label(tr("Zuordnung:")), 270, 88, 71, 24, akLeft | akTop);
    cmbPairing = Place(new QComboBox, 340, 88, 131, 24, akLeft | akTop);
    lblFirstFrame = Place(label(tr("Erste Nr.:")), 490, 88, 71, 24, akLeft | akTop);
    edtFirstFrame = Place(new TSpinEdit(0, kMaxFirstFrame, 1), 560, 88, 61, 24, akLeft | akTop);
    cmdOriginals = Place(button(tr("Originale")), 640, 88, 91, 25, akLeft | akTop);
    vstImages =
        Place(new TImagesView, 10, 125, 731, kTableHeight, akLeft | akTop | akRight | akBottom);
    chkSidecar = Place(new QCheckBox(tr("In XMP-Begleitdatei schreiben")), 10, 608, 211, 24,
                       akLeft | akBottom);
    cmbSidecar = Place(new QComboBox, 225, 608, 131, 24, akLeft | akBottom);
    chkWriteAll = Place(new QCheckBox(tr("Alle protokollierten Werte eintragen")), 370, 608, 281,
                        24, akLeft | akBottom);
    lblSeconds = Place(label(tr("Versatz:")), 10, 643, 55, 24, akLeft | akBottom);
    // Clocks an hour or more off are set by hand or by dragging; "A" offers
    // such an offset rather than setting it.
    FWorkflow.SetMaxOffset(kMaxWideOffset, kMaxOffset);
    const int maxOffset = FWorkflow.MaxOffset();
    edtSeconds = Place(new TSpinEdit(-maxOffset, maxOffset, 9, nullptr, TSpinFormat::sfDuration),
                       70, 643, 61, 24, akLeft | akBottom);
    edtSeconds->setAccessibleName(tr("Versatz"));
    edtSeconds->setAccessibleDescription(tr("Sekunden oder [-]H:MM:SS"));
    lblTolerance = Place(label(tr("Toleranz:")), 150, 643, 55, 24, akLeft | akBottom);
    edtTolerance =
        Place(new TSpinEdit(kMinTolerance, kMaxTolerance, 1), 210, 643, 51, 24, akLeft | akBottom);
    cmdAuto = Place(button(QStringLiteral("A")), 280, 640, 31, 31, akLeft | akBottom);
    cmdChange =
        Place(button(tr("Werte in Bilder eintragen")), 330, 640, 191, 31, akLeft | akBottom);
    {
        // The toolkit's own close button, with its translated caption.
        QDialogButtonBox box(QDialogButtonBox::Close);
        QPushButton* close = box.button(QDialogButtonBox::Close);
        box.removeButton(close);
        if (close->icon().isNull())
            close->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
        close->setAutoDefault(false);
        cmdClose = Place(close, 540, 640, 101, 31, akLeft | akBottom);
    }
    cmdAbout = Place(button(tr("Über...")), 660, 640, 81, 31, akLeft | akBottom);
    auto* bar = new QStatusBar;
    // Its layout would ask for more than the 19 pixels it gets.
    bar->setMinimumSize(1, 19);
    StatusBar = Place(bar, 0, 682, 751, 19, akLeft | akRight | akBottom);
    lblSummary = new QLabel;
    // Its text is what a screen reader reads; the description says what it is.
    lblSummary->setAccessibleDescription(tr("Zusammenfassung"));
    StatusBar->addPermanentWidget(lblSummary);

    cmdAuto->setFont(UiFont(21, true));
    cmdChange->setIcon(RunningFigureIcon());
    cmdAbout->setIcon(HelpIcon());
    cmbUser->setEditable(false);
    // In the order of TRowAlignment.
    cmbPairing->addItems(
        {tr("der Reihe nach"), tr("nach Zeit"), tr("nach Dateiname"), tr("nach Bildnummer")});
    edtFirstFrame->SetValue(static_cast<int>(FWorkflow.FirstFrame()));
    edtFirstFrame->setEnabled(false);
    lblFirstFrame->setEnabled(false);
    // In the order of TSidecar after svNone.
    cmbSidecar->addItems({QStringLiteral("NAME.xmp"), QStringLiteral("NAME.EXT.xmp")});
    cmbSidecar->setEnabled(false);
    cmbSidecar->setAccessibleName(tr("Name der Begleitdatei"));
    {
        auto* menu = new QMenu(cmdOriginals);
        actRestoreOriginals = menu->addAction(tr("Originale wiederherstellen"));
        actDeleteOriginals = menu->addAction(tr("Originale löschen"));
        cmdOriginals->setMenu(menu);
        cmdOriginals->setEnabled(false);
    }

    edtSeconds->SetValue(FWorkflow.Offset());
    edtTolerance->SetValue(FWorkflow.Tolerance());
    vstImages->header()->setFont(font);

    vstImages->setModel(FModel.get());
    vstImages->SetDragHandler(this);
    vstImages->SetMessageBoxes(*this);

    for (QWidget* w : {static_cast<QWidget*>(cmdReadPics), static_cast<QWidget*>(cmdReadFile),
                       static_cast<QWidget*>(cmdReadMemo), static_cast<QWidget*>(lblUser),
                       static_cast<QWidget*>(cmbUser), static_cast<QWidget*>(cmdChange)})
        w->setEnabled(false);

    const QWidget* order[] = {edtDir,     cmdReadPics, cmdReadFile,   cmdReadMemo,  cmbUser,
                              cmdOpenLog, cmbPairing,  edtFirstFrame, cmdOriginals, vstImages,
                              chkSidecar, cmbSidecar,  chkWriteAll,   edtSeconds,   edtTolerance,
                              cmdAuto,    cmdChange,   cmdClose,      cmdAbout};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(const_cast<QWidget*>(order[i]), const_cast<QWidget*>(order[i + 1]));
    StatusBar->setFocusPolicy(Qt::NoFocus);

    // What a screen reader calls the fields: their labels.
    const std::pair<QLabel*, QWidget*> labelled[] = {
        {lblDir, edtDir},         {lblUser, cmbUser},
        {lblPairing, cmbPairing}, {lblFirstFrame, edtFirstFrame},
        {lblSeconds, edtSeconds}, {lblTolerance, edtTolerance}};
    for (const auto& [label, field] : labelled) {
        label->setBuddy(field);
        field->setAccessibleName(label->text().chopped(1));
    }
    edtDir->Edit()->setAccessibleName(lblDir->text().chopped(1));
    cmdAuto->setAccessibleName(tr("Versatz automatisch finden"));
    chkWriteAll->setAccessibleName(chkWriteAll->text());

    connect(cmdReadPics, &QPushButton::clicked, this, [this] { cmdReadPicsClick(); });
    connect(cmdReadFile, &QPushButton::clicked, this, [this] { cmdReadFileClick(); });
    connect(cmdReadMemo, &QPushButton::clicked, this, [this] { cmdReadMemoClick(); });
    connect(cmdOpenLog, &QPushButton::clicked, this, [this] { cmdOpenLogClick(); });
    connect(cmbPairing, &QComboBox::currentIndexChanged, this, [this] { cmbPairingChange(); });
    connect(chkSidecar, &QCheckBox::toggled, this, [this] { SidecarChange(); });
    connect(cmbSidecar, &QComboBox::currentIndexChanged, this, [this] { SidecarChange(); });
    connect(chkWriteAll, &QCheckBox::toggled, this, [this] { chkWriteAllClick(); });
    connect(actRestoreOriginals, &QAction::triggered, this,
            [this] { OriginalsCommand(TOriginalAction::oaRestore); });
    connect(actDeleteOriginals, &QAction::triggered, this,
            [this] { OriginalsCommand(TOriginalAction::oaDelete); });
    connect(cmdAuto, &QPushButton::clicked, this, [this] { cmdAutoClick(); });
    connect(cmdChange, &QPushButton::clicked, this, [this] { cmdChangeClick(); });
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
    connect(cmdAbout, &QPushButton::clicked, this, [this] { cmdAboutClick(); });
    connect(edtDir, &TDirectoryEdit::textChanged, this, [this] { edtDirChange(); });
    connect(edtDir, &TDirectoryEdit::Submitted, this, [this] {
        if (cmdReadPics->isEnabled())
            cmdReadPicsClick();
    });
    connect(edtSeconds, &TSpinEdit::Changed, this, [this] { edtSecondsChange(); });
    connect(edtTolerance, &TSpinEdit::Changed, this, [this] { edtToleranceChange(); });
    connect(edtFirstFrame, &TSpinEdit::Changed, this, [this] { edtFirstFrameChange(); });
    connect(FModel.get(), &TImageTableModel::CheckMarksChanged, this, [this] { ShowRowState(); });
    ShowRowState();
    FitTexts();
}

void TfrmMain::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    FScroll->setGeometry(rect());
}

void TfrmMain::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (FScreenWatched || windowHandle() == nullptr)
        return;
    FScreenWatched = true;
    // Another screen, or the same one's taskbar moved, gives other room.
    const auto watch = [this](QScreen* display) {
        disconnect(FScreenAreaWatch);
        if (display != nullptr)
            FScreenAreaWatch = connect(display, &QScreen::availableGeometryChanged, this,
                                       [this] { FitMinimumToScreen(); });
        FitMinimumToScreen();
    };
    connect(windowHandle(), &QWindow::screenChanged, this, watch);
    watch(windowHandle()->screen());
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == FClient && event->type() == QEvent::Resize)
        ApplyAnchors();
    return QWidget::eventFilter(watched, event);
}

void TfrmMain::FitMinimumToScreen()
{
    const QScreen* display = screen();
    if (display == nullptr)
        return;
    // The window's own size at most, but never more than the screen has
    // room for once the frame is drawn.
    const QSize frame =
        isVisible() ? frameGeometry().size() - size() : QSize(kFrameWidth, kFrameHeight);
    const QRect area = display->availableGeometry();
    const QSize smallest(kSmallestWidth, kSmallestHeight);
    const QSize fitting =
        QSize(kClientWidth, kClientHeight).boundedTo(area.size() - frame).expandedTo(smallest);
    setMinimumSize(fitting);
    // A window that grew to its minimum comes back onto the screen; the new
    // size may not have reached the window system yet.
    if (isVisible()) {
        QRect outer(frameGeometry().topLeft(), size().expandedTo(fitting) + frame);
        outer.moveRight(std::min(outer.right(), area.right()));
        outer.moveBottom(std::min(outer.bottom(), area.bottom()));
        outer.moveLeft(std::max(outer.left(), area.left()));
        outer.moveTop(std::max(outer.top(), area.top()));
        if (outer.topLeft() != frameGeometry().topLeft())
            move(outer.topLeft());
    }
}

void TfrmMain::ApplyAnchors()
{
    const int dx = FClient->width() - kClientWidth;
    const int dy = FClient->height() - kClientHeight;
    for (const TAnchoredControl& a : FAnchored) {
        QRect r = a.Design;
        if ((a.Anchors & akRight) != 0) {
            if ((a.Anchors & akLeft) != 0)
                r.setWidth(r.width() + dx);
            else
                r.moveLeft(r.left() + dx);
        }
        if ((a.Anchors & akBottom) != 0) {
            if ((a.Anchors & akTop) != 0)
                r.setHeight(r.height() + dy);
            else
                r.moveTop(r.top() + dy);
        }
        a.Control->setGeometry(r);
    }
}

namespace {

// The width a label's or button's text takes in its control; 0 for others.
int TextRoom(const QWidget& control)
{
    if (const auto* label = qobject_cast<const QLabel*>(&control)) {
        const QMargins margins = label->contentsMargins();
        return label->fontMetrics().horizontalAdvance(label->text()) + margins.left() +
               margins.right() + 2 * label->margin();
    }
    if (const auto* button = qobject_cast<const QAbstractButton*>(&control)) {
        QString text = button->text();
        text.remove(QLatin1Char('&'));
        const int icon = button->icon().isNull() ? 0 : button->iconSize().width() + 4;
        const auto* push = qobject_cast<const QPushButton*>(button);
        const int arrow =
            push != nullptr && push->menu() != nullptr
                ? button->style()->pixelMetric(QStyle::PM_MenuButtonIndicator, nullptr, button)
                : 0;
        const int margin = button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
        const int frame =
            button->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button);
        return button->fontMetrics().horizontalAdvance(text) + icon + arrow + 2 * (margin + frame);
    }
    return 0;
}

} // namespace

void TfrmMain::FitTexts()
{
    // The design's sizes hold the German texts. A longer text widens its
    // control; the controls to its right in the same row move along, the
    // move taken up first by the wider gaps between them and then by a
    // control that stretches with the window.
    constexpr int kTightGap = 8;
    for (TAnchoredControl& grown : FAnchored) {
        const int extra = TextRoom(*grown.Control) - grown.Design.width();
        if (extra <= 0)
            continue;
        int right = grown.Design.right();
        grown.Design.setWidth(grown.Design.width() + extra);
        std::vector<TAnchoredControl*> row;
        for (TAnchoredControl& other : FAnchored) {
            if (other.Design.left() > right && other.Design.top() <= grown.Design.bottom() &&
                other.Design.bottom() >= grown.Design.top())
                row.push_back(&other);
        }
        std::sort(row.begin(), row.end(),
                  [](const auto* a, const auto* b) { return a->Design.left() < b->Design.left(); });
        int push = extra;
        for (TAnchoredControl* next : row) {
            const int gap = next->Design.left() - right - 1;
            push -= std::min(push, std::max(0, gap - kTightGap));
            right = next->Design.right();
            if (push == 0)
                break;
            if ((next->Anchors & akRight) != 0 && (next->Anchors & akLeft) != 0) {
                next->Design.setLeft(next->Design.left() + push);
                break;
            }
            next->Design.translate(push, 0);
        }
    }
    // As placed; the anchors take over when the client is laid out.
    for (const TAnchoredControl& a : FAnchored)
        a.Control->setGeometry(a.Design);
}

void TfrmMain::FormCreate()
{
    FDragRow = -1;
    const std::string tool =
        FEnvironment.FindExifTool ? FEnvironment.FindExifTool() : std::string();
    if (tool.empty()) {
        ShowError(MissingExifToolMessage(), kAppCaption);
        RequestTerminate();
        return;
    }
    FWorkflow.SetExifTool(tool);

    if (FEnvironment.PalmUsers) {
        for (const TPalmUserEntry& user : FEnvironment.PalmUsers()) {
            cmbUser->addItem(QString::fromStdString(Cp1252ToUtf8(user.Name)),
                             QVariant::fromValue<qint32>(user.UserID));
            cmbUser->setItemData(cmbUser->count() - 1, QByteArray::fromStdString(user.Name),
                                 kPalmNameRole);
        }
    }
    if (cmbUser->count() > 0) {
        cmdReadMemo->setEnabled(true);
        lblUser->setEnabled(true);
        cmbUser->setEnabled(true);
        cmbUser->setCurrentIndex(0);
    }
    ReadSettings();
}

void TfrmMain::ReadSettings()
{
    if (FEnvironment.Registry == nullptr)
        return;
    const RegistryStore& store = *FEnvironment.Registry;
    const auto readInt = [&](const char* name, int current) {
        return ReadAppInteger(store, kSettingsAppName, name, current);
    };
    const QRect frame = frameGeometry();
    int left = readInt("Left", frame.x());
    int top = readInt("Top", frame.y());
    int outerWidth = readInt("Width", width() + kFrameWidth);
    int outerHeight = readInt("Height", height() + kFrameHeight);
    // Moving only when asked keeps the window system's placement on a first start.
    const bool moved = left != frame.x() || top != frame.y();
    // Bounds from another screen, or written by hand, come back onto the
    // screen they name (else the primary one) and no larger than it.
    const QScreen* screen = QGuiApplication::screenAt(QPoint(left, top));
    if (screen == nullptr)
        screen = QGuiApplication::primaryScreen();
    if (screen != nullptr) {
        const QRect area = screen->availableGeometry();
        FitSpan(left, outerWidth, area.x(), area.width(), minimumWidth() + kFrameWidth);
        FitSpan(top, outerHeight, area.y(), area.height(), minimumHeight() + kFrameHeight);
    }
    if (moved)
        move(left, top);
    resize(std::max(outerWidth - kFrameWidth, minimumWidth()),
           std::max(outerHeight - kFrameHeight, minimumHeight()));
    if (const auto widths =
            ParseColumnWidths(ReadAppString(store, kSettingsAppName, "ColumnWidths", "")))
        vstImages->SetColumnWidths(*widths);

    FWorkflow.SetOffset(readInt("Correct", FWorkflow.Offset()));
    const int alignment = readInt("Alignment", 0);
    cmbPairing->setCurrentIndex(alignment >= 0 && alignment < cmbPairing->count() ? alignment : 0);
    edtFirstFrame->SetValue(std::clamp(
        readInt("FirstFrame", static_cast<int>(FWorkflow.FirstFrame())), 0, kMaxFirstFrame));
    cmbSidecar->setCurrentIndex(readInt("SidecarNaming", 0) == 1 ? 1 : 0);
    chkSidecar->setChecked(readInt("Sidecar", 0) == 1);
    chkWriteAll->setChecked(readInt("WriteAll", 0) != 0);

    if (cmbUser->count() > 0) {
        const std::string name = ReadAppString(store, kSettingsAppName, "User", PalmName(0));
        int found = -1;
        for (int i = 0; i < cmbUser->count() && found < 0; ++i)
            if (SamePalmText(PalmName(i), name))
                found = i;
        cmbUser->setCurrentIndex(found);
    }

    SetDirectoryText(ReadAppString(store, kSettingsAppName, "LastPath", DirectoryText()));
}

void TfrmMain::closeEvent(QCloseEvent* event)
{
    // The running command owns the lists until it returns: it is cancelled
    // and the window closes once it has ended.
    if (FCommandRunning) {
        event->ignore();
        FCloseWhenDone = true;
        RequestCancel();
        return;
    }
    FormCloseQuery();
    event->accept();
}

void TfrmMain::FormCloseQuery()
{
    FWorkflow.ClearMatches();
    FWorkflow.ClearImages();
    FWorkflow.ClearShots();
    StoreSettings();
}

void TfrmMain::StoreSettings()
{
    if (FEnvironment.Registry == nullptr)
        return;
    RegistryStore& store = *FEnvironment.Registry;
    CreateAppKey(store, kSettingsAppName);
    const QRect frame = frameGeometry();
    WriteAppInteger(store, kSettingsAppName, "Left", frame.x());
    WriteAppInteger(store, kSettingsAppName, "Top", frame.y());
    WriteAppInteger(store, kSettingsAppName, "Width", width() + kFrameWidth);
    WriteAppInteger(store, kSettingsAppName, "Height", height() + kFrameHeight);
    WriteAppInteger(store, kSettingsAppName, "Correct", FWorkflow.Offset());
    WriteAppString(store, kSettingsAppName, "LastPath", DirectoryText());
    WriteAppString(store, kSettingsAppName, "User", PalmName(cmbUser->currentIndex()));
    WriteAppInteger(store, kSettingsAppName, "Alignment", static_cast<int>(FWorkflow.Alignment()));
    WriteAppInteger(store, kSettingsAppName, "FirstFrame",
                    static_cast<int>(FWorkflow.FirstFrame()));
    WriteAppInteger(store, kSettingsAppName, "Sidecar", chkSidecar->isChecked() ? 1 : 0);
    WriteAppInteger(store, kSettingsAppName, "SidecarNaming", cmbSidecar->currentIndex());
    WriteAppInteger(store, kSettingsAppName, "WriteAll", FWorkflow.WriteAll() ? 1 : 0);
    WriteAppString(store, kSettingsAppName, "ColumnWidths",
                   ColumnWidthsText(vstImages->ColumnWidths()));
}

std::string TfrmMain::PalmName(int index) const
{
    return index >= 0 && index < cmbUser->count()
               ? cmbUser->itemData(index, kPalmNameRole).toByteArray().toStdString()
               : std::string();
}

void TfrmMain::Run(const std::function<void()>& command, TCommandKind kind)
{
    if (kind == TCommandKind::ckDialog) {
        RunCommand(*this, command);
        return;
    }
    if (kind == TCommandKind::ckShort) {
        RunCommand(*this, [&] {
            const TBusyCursor busy;
            command();
        });
        return;
    }
    if (FCommandRunning)
        return;
    // The controls come back before an error is shown: the scope ends as
    // the error leaves the command.
    class TLongCommandScope {
    public:
        explicit TLongCommandScope(TfrmMain& frm) : FFrm(frm), FFocus(QApplication::focusWidget())
        {
            FFrm.FCommandRunning = true;
            // The progress window is no child of FClient and stays usable.
            FFrm.FClient->setEnabled(false);
        }
        ~TLongCommandScope()
        {
            FFrm.FClient->setEnabled(true);
            if (FFocus != nullptr && FFocus->isEnabled())
                FFocus->setFocus();
            FFrm.FCommandRunning = false;
        }
        TLongCommandScope(const TLongCommandScope&) = delete;
        TLongCommandScope& operator=(const TLongCommandScope&) = delete;

    private:
        TfrmMain& FFrm;
        QPointer<QWidget> FFocus;
    };
    RunCommand(*this, [&] {
        const TLongCommandScope scope(*this);
        const TBusyCursor busy;
        command();
    });
    if (FCloseWhenDone) {
        FCloseWhenDone = false;
        // A requested end of the program ends it without the close query.
        if (!TerminateRequested())
            close();
    }
}

void TfrmMain::cmdReadPicsClick()
{
    Run(
        [this] {
            ShowDirectory(FWorkflow.ReadPictures(DirectoryText()));
            cmdReadFile->setEnabled(FWorkflow.LogFileFound());
            cmdOriginals->setEnabled(true);
            if (!TerminateRequested())
                ShowStatus(ScanReportText(FWorkflow.LastScan()));
        },
        TCommandKind::ckLong);
}

void TfrmMain::cmdReadFileClick()
{
    Run([this] { ShowDirectory(FWorkflow.ReadLogFile(DirectoryText())); });
}

void TfrmMain::cmdOpenLogClick()
{
    Run([this] {
        const std::string start =
            FWorkflow.ImagesDirectory().empty() ? DirectoryText() : FWorkflow.ImagesDirectory();
        const std::string path =
            FEnvironment.ChooseLogFile
                ? FEnvironment.ChooseLogFile(start)
                : ToLocal(QFileDialog::getOpenFileName(
                      this, tr("Protokoll öffnen"), FromLocal(start),
                      tr("Protokolle (*.txt *.csv *.tsv *.json);;Alle Dateien (*)")));
        if (path.empty())
            return;
        // A table no format knows is read by the columns the user names,
        // remembered for tables of the same header.
        std::optional<TColumnMapping> columns;
        if (const auto table = FWorkflow.UnknownTable(path)) {
            const std::optional<TColumnMapping> stored = StoredColumns(table->HeaderLine);
            columns = FEnvironment.ChooseColumns
                          ? FEnvironment.ChooseColumns(table->Columns, stored)
                          : ChooseLogColumns(this, table->Columns, stored);
            if (!columns)
                return;
            StoreColumns(table->HeaderLine, *columns);
        }
        FWorkflow.SetLogColumns(columns);
        FWorkflow.ReadShotFile(path);
        FWorkflow.SetLogColumns(std::nullopt);
        FWorkflow.MatchAll();
    });
}

namespace {

// The settings' names of a header's columns and time format.
std::string ColumnsValueName(const std::string& headerLine, const char* what)
{
    // FNV-1a: short, stable names for header lines of any length.
    std::uint64_t hash = 14695981039346656037ULL;
    for (const unsigned char c : headerLine)
        hash = (hash ^ c) * 1099511628211ULL;
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
    return std::string(what) + ' ' + hex;
}

} // namespace

std::optional<TColumnMapping> TfrmMain::StoredColumns(const std::string& headerLine) const
{
    if (FEnvironment.Registry == nullptr)
        return std::nullopt;
    const std::string text = ReadAppString(*FEnvironment.Registry, kSettingsAppName,
                                           ColumnsValueName(headerLine, "Columns"), "");
    TResult<TColumnMapping> mapping = ParseColumnMapping(text);
    if (text.empty() || !mapping)
        return std::nullopt;
    mapping->TimeFormat = ReadAppString(*FEnvironment.Registry, kSettingsAppName,
                                        ColumnsValueName(headerLine, "TimeFormat"), "");
    return *mapping;
}

void TfrmMain::StoreColumns(const std::string& headerLine, const TColumnMapping& columns)
{
    if (FEnvironment.Registry == nullptr)
        return;
    CreateAppKey(*FEnvironment.Registry, kSettingsAppName);
    WriteAppString(*FEnvironment.Registry, kSettingsAppName,
                   ColumnsValueName(headerLine, "Columns"), ColumnMappingText(columns));
    WriteAppString(*FEnvironment.Registry, kSettingsAppName,
                   ColumnsValueName(headerLine, "TimeFormat"), columns.TimeFormat);
}

void TfrmMain::cmbPairingChange()
{
    Run([this] {
        const auto alignment = static_cast<TRowAlignment>(std::max(0, cmbPairing->currentIndex()));
        edtFirstFrame->setEnabled(alignment == TRowAlignment::alFrame);
        lblFirstFrame->setEnabled(alignment == TRowAlignment::alFrame);
        if (alignment == FWorkflow.Alignment())
            return;
        FWorkflow.SetAlignment(alignment);
        FWorkflow.FieldsChanged();
    });
}

void TfrmMain::SidecarChange()
{
    Run(
        [this] {
            cmbSidecar->setEnabled(chkSidecar->isChecked());
            const TSidecar sidecar = !chkSidecar->isChecked()          ? TSidecar::svNone
                                     : cmbSidecar->currentIndex() == 1 ? TSidecar::svExtXmp
                                                                       : TSidecar::svXmp;
            if (sidecar == FWorkflow.Sidecar())
                return;
            FWorkflow.SetSidecar(sidecar);
            // The table shows what the sidecars now chosen hold.
            if (!FWorkflow.Images().empty())
                FWorkflow.ReadPicturesAgain();
        },
        TCommandKind::ckLong);
}

void TfrmMain::edtFirstFrameChange()
{
    Run([this] {
        const auto frame = static_cast<std::uint32_t>(std::max(0, edtFirstFrame->Value()));
        if (frame == FWorkflow.FirstFrame())
            return;
        FWorkflow.SetFirstFrame(frame);
        if (FWorkflow.Alignment() == TRowAlignment::alFrame)
            FWorkflow.FieldsChanged();
    });
}

void TfrmMain::chkWriteAllClick()
{
    Run(
        [this] {
            const bool writeAll = chkWriteAll->isChecked();
            if (writeAll == FWorkflow.WriteAll())
                return;
            // Images read without the set must be read again to compare it.
            if (FWorkflow.SetWriteAll(writeAll))
                FWorkflow.ReadPicturesAgain();
        },
        TCommandKind::ckLong);
}

void TfrmMain::OriginalsCommand(TOriginalAction action)
{
    Run(
        [this, action] {
            const std::string directory = FWorkflow.ImagesDirectory();
            if (action == TOriginalAction::oaDelete &&
                !AskYesNo(DeleteOriginalsQuestion(directory), kAppCaption))
                return;
            const auto results = FWorkflow.RestoreOriginals(directory, action);
            if (!results)
                return; // another writer had the directory: the user was told
            if (results->empty()) {
                ShowInfo(NoOriginalsText(directory), kAppCaption);
                return;
            }
            if (const std::string problems = OriginalsProblemsMessage(*results, action);
                !problems.empty())
                ShowWarning(problems, kAppCaption);
            if (action == TOriginalAction::oaRestore)
                FWorkflow.ReadPicturesAgain();
            if (!TerminateRequested())
                ShowStatus(OriginalsReportText(*results, action));
        },
        TCommandKind::ckLong);
}

void TfrmMain::ShowDirectory(TDirectoryField field)
{
    if (field == TDirectoryField::dfEmpty)
        SetDirectoryText("");
}

void TfrmMain::cmdReadMemoClick()
{
    Run([this] {
        std::optional<std::int32_t> user;
        if (cmbUser->currentIndex() >= 0)
            user = cmbUser->currentData().value<qint32>();
        FWorkflow.ReadLogMemo(user);
    });
}

void TfrmMain::cmdAutoClick()
{
    // A long search shows its progress and lets events run: the other
    // commands wait.
    Run(
        [this] {
            const auto report = FWorkflow.FindAutoOffset();
            if (report && FWorkflow.OffersBestOffset(*report) &&
                AskYesNo(AutoOffsetText(*report) + '\n' + ToLocal(tr("Übernehmen?")), kAppCaption))
                FWorkflow.TakeBestOffset(*report);
        },
        TCommandKind::ckLong);
}

void TfrmMain::cmdChangeClick()
{
    Run(
        [this] {
            if (!AskYesNo(
                    WriteQuestion(FWorkflow.RowsToWrite(), FWorkflow.Sidecar() != TSidecar::svNone),
                    kAppCaption))
                return;
            FWorkflow.WriteExposureTimes();
            if (!TerminateRequested())
                ShowStatus(WriteReportText(FWorkflow.LastWrite()));
        },
        TCommandKind::ckLong);
}

void TfrmMain::cmdAboutClick()
{
    Run([this] { ShowAbout(QString(), QString(), *FEnvironment.AboutPlatform); },
        TCommandKind::ckDialog);
}

void TfrmMain::edtDirChange()
{
    cmdReadPics->setEnabled(DirExists(DirectoryText()));
}

void TfrmMain::edtSecondsChange()
{
    Run([this] { FWorkflow.OffsetEdited(edtSeconds->Value()); });
}

void TfrmMain::edtToleranceChange()
{
    Run([this] { FWorkflow.ToleranceEdited(edtTolerance->Value()); });
}

void TfrmMain::ShowRowState()
{
    cmdChange->setEnabled(FWorkflow.HasRowsToWrite());
    lblSummary->setText(FromLocal(SummaryText(FWorkflow.ExactPairs(), FWorkflow.RowsToWrite())));
}

std::string TfrmMain::DirectoryText() const
{
    return ToLocal(edtDir->text());
}

void TfrmMain::SetDirectoryText(const std::string& text)
{
    edtDir->setText(FromLocal(text));
}

void TfrmMain::OffsetSet(int seconds)
{
    // The box reports the change of its text, which the workflow already has.
    edtSeconds->SetValue(seconds);
}

void TfrmMain::ToleranceSet(int seconds)
{
    edtTolerance->SetValue(seconds);
}

void TfrmMain::ShowStatus(std::string_view text)
{
    StatusBar->showMessage(FromLocal(text));
}

void TfrmMain::DragAllowed(int row, int column)
{
    if (column != colTimeState) {
        FDragRow = row;
        FDragFromShot = column > colTimeState;
    } else {
        FDragRow = -1;
    }
}

bool TfrmMain::DragPending() const
{
    return FDragRow >= 0;
}

bool TfrmMain::DragOver(int row, int column) const
{
    const TMatchItem* target = FModel->RowItem(row);
    if (FModel->RowItem(FDragRow) == nullptr || target == nullptr)
        return false;
    // Right of the last column the column is negative: an image column.
    if (column < colTimeState)
        return FDragFromShot && target->Image != nullptr;
    if (column > colTimeState)
        return !FDragFromShot && target->Shot != nullptr;
    return false;
}

void TfrmMain::DragDrop(int row, int column)
{
    if (!DragOver(row, column))
        return;
    const bool ontoImage = column < colTimeState;
    const TMatchItem* imageRow = ontoImage ? FModel->RowItem(row) : FModel->RowItem(FDragRow);
    const TMatchItem* shotRow = ontoImage ? FModel->RowItem(FDragRow) : FModel->RowItem(row);
    if (imageRow->Image == nullptr || shotRow->Shot == nullptr)
        return;
    Run([&] { FWorkflow.SetOffsetFromPair(*imageRow->Image, *shotRow->Shot); });
}

} // namespace zelmaro
