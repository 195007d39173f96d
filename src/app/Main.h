#pragma once

#include "app/GuiWorkflowHost.h"
#include "app/ImagesView.h"
#include "workflow/Workflow.h"

#include <QRect>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QScrollArea;
class QStatusBar;

namespace zelmaro {

class Platform;
class RegistryStore;
class TDirectoryEdit;
class TImageTableModel;
class TSpinEdit;

// One Palm Desktop user as the user list offers it.
struct TPalmUserEntry {
    std::string Name; // the bytes of users.dat (Windows-1252)
    std::int32_t UserID = 0;
};

// What the main window takes from the system; tests hand in their own.
struct TMainEnvironment {
    // Where the settings are kept; must outlive the window.
    RegistryStore* Registry = nullptr;
    FormatSettings Formats;
    // Full path of the metadata tool; empty when it is missing.
    std::function<std::string()> FindExifTool;
    // The Palm Desktop users in list order; empty when Palm Desktop is not installed.
    std::function<std::vector<TPalmUserEntry>()> PalmUsers;
    // Where messages go; Qt's boxes over the window when null. Must outlive the window.
    MessageBoxes* Boxes = nullptr;
    // The about box's platform (memory, processor, the program's path).
    Platform* AboutPlatform = nullptr;
    // Lets the user choose a log file (the path, empty for none); a file
    // dialog over the window when not set.
    std::function<std::string(const std::string& directory)> ChooseLogFile;
    // Lets the user choose the columns of a log table no known format fits,
    // starting from the ones chosen for the same header before; a dialog
    // over the window when not set.
    std::function<std::optional<TColumnMapping>(const std::vector<std::string>& columns,
                                                const std::optional<TColumnMapping>& preset)>
        ChooseColumns;

    static TMainEnvironment System();
};

// The main window: directory, reading commands, the table of pairs, offset
// and tolerance, and the write-back. The workflow does the work and keeps
// the state; the window shows it and passes the user's commands on.
class TfrmMain : public QWidget,
                 public TGuiWorkflowHost,
                 private TImagesDragHandler,
                 private TWorkflowObserver {
    Q_OBJECT

public:
    static constexpr int kClientWidth = 751;
    static constexpr int kClientHeight = 701;
    // The table's height at the size above, and the least it gives up to a
    // smaller screen before the window's content scrolls.
    static constexpr int kTableHeight = 473;
    static constexpr int kMinTableHeight = 120;
    // Below this no screen shrinks the window.
    static constexpr int kSmallestWidth = 320;
    static constexpr int kMaxFirstFrame = 99999;
    static constexpr int kSmallestHeight = 240;

    explicit TfrmMain(TMainEnvironment environment, QWidget* parent = nullptr);
    ~TfrmMain() override;

    TWorkflow& Workflow() { return FWorkflow; }
    TImageTableModel& Model() const { return *FModel; }
    // True while a command that lets events run in between is under way.
    bool CommandRunning() const { return FCommandRunning; }

    // The directory field.
    std::string DirectoryText() const;
    void SetDirectoryText(const std::string& text);

    // TWorkflowHost
    void ShowStatus(std::string_view text) override;

    QLabel* lblDir = nullptr;
    TDirectoryEdit* edtDir = nullptr;
    QPushButton* cmdReadPics = nullptr;
    QPushButton* cmdReadFile = nullptr;
    QPushButton* cmdReadMemo = nullptr;
    QLabel* lblUser = nullptr;
    QComboBox* cmbUser = nullptr;
    QPushButton* cmdOpenLog = nullptr;
    QLabel* lblPairing = nullptr;
    QComboBox* cmbPairing = nullptr;
    // The frame number of the directory's first image, for "nach Bildnummer".
    QLabel* lblFirstFrame = nullptr;
    TSpinEdit* edtFirstFrame = nullptr;
    // A menu: "Originale wiederherstellen", "Originale löschen".
    QPushButton* cmdOriginals = nullptr;
    QAction* actRestoreOriginals = nullptr;
    QAction* actDeleteOriginals = nullptr;
    TImagesView* vstImages = nullptr;
    // Writing into XMP sidecars, and their naming (NAME.xmp, NAME.EXT.xmp).
    QCheckBox* chkSidecar = nullptr;
    QComboBox* cmbSidecar = nullptr;
    // "Alle protokollierten Werte eintragen": the whole logged set is written.
    QCheckBox* chkWriteAll = nullptr;
    QLabel* lblSeconds = nullptr;
    TSpinEdit* edtSeconds = nullptr;
    QLabel* lblTolerance = nullptr;
    TSpinEdit* edtTolerance = nullptr;
    QPushButton* cmdAuto = nullptr;
    QPushButton* cmdChange = nullptr;
    QPushButton* cmdClose = nullptr;
    QPushButton* cmdAbout = nullptr;
    QStatusBar* StatusBar = nullptr;
    // The status bar's right field: pairs and rows to write.
    QLabel* lblSummary = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum TAnchor : unsigned { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };
    struct TAnchoredControl {
        QWidget* Control;
        QRect Design;
        unsigned Anchors;
    };

    void CreateControls();
    template <class T>
    T* Place(T* control, int left, int top, int width, int height, unsigned anchors);
    void ApplyAnchors();
    // Widens the controls whose text needs more room than the design gives.
    void FitTexts();
    // The minimum size: the design's, or the screen's available area where
    // that is smaller.
    void FitMinimumToScreen();

    void FormCreate();
    void FormCloseQuery();
    void ReadSettings();
    void StoreSettings();
    // The bytes of the name of cmbUser's item; empty for no item.
    std::string PalmName(int index) const;

    void cmdReadPicsClick();
    void cmdReadFileClick();
    void cmdReadMemoClick();
    void cmdOpenLogClick();
    void cmbPairingChange();
    void SidecarChange();
    void edtFirstFrameChange();
    void chkWriteAllClick();
    std::optional<TColumnMapping> StoredColumns(const std::string& headerLine) const;
    void StoreColumns(const std::string& headerLine, const TColumnMapping& columns);
    void OriginalsCommand(TOriginalAction action);
    void cmdAutoClick();
    void cmdChangeClick();
    void cmdAboutClick();
    void edtDirChange();
    void edtSecondsChange();
    void edtToleranceChange();
    // The write button and the summary follow the rows.
    void ShowRowState();
    // The directory field after a reading command.
    void ShowDirectory(TDirectoryField field);

    // What a command needs around it: the busy pointer (all but dialogs),
    // and for a long command the window's controls kept from starting
    // another one while it lets events run.
    enum class TCommandKind { ckShort, ckLong, ckDialog };
    // Runs a command; errors that escape it are shown and the window goes on.
    void Run(const std::function<void()>& command, TCommandKind kind = TCommandKind::ckShort);

    // TWorkflowObserver: the fields show what the workflow set.
    void OffsetSet(int seconds) override;
    void ToleranceSet(int seconds) override;

    // TImagesDragHandler
    void DragAllowed(int row, int column) override;
    bool DragPending() const override;
    bool DragOver(int row, int column) const override;
    void DragDrop(int row, int column) override;

    TMainEnvironment FEnvironment;
    QScrollArea* FScroll = nullptr;
    QWidget* FClient = nullptr;
    QMetaObject::Connection FScreenAreaWatch;
    bool FScreenWatched = false;
    std::vector<TAnchoredControl> FAnchored;
    TWorkflow FWorkflow;
    // A view of FWorkflow's rows, so it goes first.
    std::unique_ptr<TImageTableModel> FModel;
    int FDragRow = -1;
    bool FDragFromShot = false;
    bool FCommandRunning = false;
    bool FCloseWhenDone = false; // the user closed the window during a long command
};

// Shows the window and runs the event loop until it ends. The exit code is 1
// when the program ended on an error (a missing metadata tool, an image that
// could not be read or changed), else 0.
int RunMainWindow(TfrmMain& frmMain);

} // namespace zelmaro
