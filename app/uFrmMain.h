// TFrmMain: the main window. It owns every control, implements the shell services that the
// subsystems use (status line, history, progress bars, busy lock, break button) and holds
// the command handlers that join the subsystems.
//
// The members are grouped by area. Each area's handlers live in their own source file
// (uFrmMainGrid.cpp, uFrmMainSearch.cpp, uFrmMainFileOps.cpp, uFrmMainMaintenance.cpp,
// uFrmMainPlayer.cpp, uFrmMainExport.cpp) and are wired in ConnectHandlers()
// (uFrmMainHandlers.cpp) through Connect(), which sends any failure to the general error
// report.
#pragma once

#include "app/DataFiles.h"
#include "app/PacedOutput.h"
#include "app/PlayerView.h"
#include "export/ExcelAutomation.h"
#include "fileops/OpenRowFolder.h"
#include "media/Player.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Shell.h"
#include "register/DataPaths.h"
#include "register/StartupData.h"
#include "register/VideoRegister.h"
#include "search/SearchLists.h"

#include <QString>
#include <QWidget>
#include <exception>
#include <memory>
#include <string>

class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QSlider;
class QTabWidget;
class QToolButton;
class QTreeView;
class TMyProgressBarNew;
class TMyRadionBtn;
class TRegisterGrid;
class TStatusPanels;

class TFrmMain : public QWidget, public IShell {
    Q_OBJECT
public:
    // programDir: the folder of the data files with its trailing separator (GB18030).
    // dialogs: the dialogs to use (tests script them); nullptr gives the real ones.
    // `dataAnswering` false: the data folder did not answer when it was chosen, so the start
    // reads nothing from it (and writes nothing over its files).
    explicit TFrmMain(const std::string& programDir, IDialogs* dialogs = nullptr,
                      bool dataAnswering = true);
    ~TFrmMain() override;

    // ---- Shell services ---------------------------------------------------------------------
    void SetStatusText(int panel, const QString& text) override;
    void AddHistory(const QString& text) override;
    void AddHistoryLines(const QStringList& lines) override;
    void ClearHistory() override;
    void ShowHistoryPage() override;
    void LockControls(bool lock) override;
    void ShowBreakButton(bool visible) override;
    void ProcessEvents() override;
    void DelayMs(int ms) override;
    IProgress& PB2() override;
    IProgress& PB3() override;
    void SetPaced(bool paced) override;

    QString StatusText(int panel) const;
    IDialogs& Dialogs() { return *dialogs_; }
    const DataPaths& Paths() const { return data_.Paths(); }
    VideoRegister& Register() { return reg_; }
    QString VersionText() const;

    // Runs f; a failure ends it and goes to the general error report.
    template <typename F> void Guarded(F&& f) {
        try {
            f();
        } catch (...) {
            ReportError(std::current_exception());
        }
    }
    // Connects a signal to a handler of the window through Guarded.
    template <typename Sender, typename Signal>
    void Connect(Sender* sender, Signal signal, void (TFrmMain::*handler)()) {
        connect(sender, signal, this, [this, handler] { Guarded([&] { (this->*handler)(); }); });
    }
    void ReportError(std::exception_ptr error);

    // Start-up, placement and shutdown.
    void FormCreate();
    void FormResize();
    void FormClose();
    void btnBreakClick();

    // ---- Top panel and status bar -----------------------------------------------------------
    QWidget* Panel1;
    QWidget* Panel2;
    QWidget* Panel3;
    TStatusPanels* SB;
    QPushButton* btnBreak;
    TMyProgressBarNew* PB2Bar;
    TMyProgressBarNew* PB3Bar;

    // ---- Register grid and its pop-up menu (uFrmMainGrid.cpp) -------------------------------
    TRegisterGrid* sg;
    QMenu* PopupMenu1;
    QAction* mnCal;
    QMenu* mnSort;
    QAction* mnSortDir;
    QAction* mnSortResolution;
    QAction* mnSortFileName;
    QAction* mnSortSize;
    QAction* mnSortTime;
    QAction* mnSortType;
    QAction* mnOutTxt;
    QAction* N4;
    QAction* mnDelRow;
    QAction* mnDelEmpty;
    QAction* mnDelteFile;
    QAction* mnDelLeft;
    QAction* mnSaveVDB;
    QAction* mnReloadVDB;
    QAction* mnOpenDir;
    QAction* mnInsert;
    QAction* mnRename;
    QAction* mnRenameDir;
    QAction* mnCopy;
    QAction* mnMove;

    void sgClick();
    void sgDblClick();
    void sgRowMoved(int fromIndex, int toIndex);
    void sgKeyUp(int key, Qt::KeyboardModifiers shift);
    void sgMouseWheelDown();
    void sgMouseWheelUp();
    void sgContextPopup(int col, QPoint globalPos);
    void SelectGridRange(int left, int top, int right, int bottom);
    void SelectAllRows();
    void mnSaveVDBClick();
    void mnReloadVDBClick();

    // ---- Search locations, file types and folder search (uFrmMainSearch.cpp) ---------------
    QGroupBox* GroupBox2;
    QTreeView* stDir;
    QPushButton* btnAddDir;
    QPushButton* btnDelDir;
    QLabel* Label1;
    QPushButton* btnSearchNew;
    QPushButton* btnSearchAppend;
    QListWidget* lstDirs;
    QGroupBox* gbType;
    QLineEdit* edFileType;
    QPushButton* btnAddExt;
    QPushButton* dtnDelExt;
    QListWidget* lstExt;
    QListWidget* lstDirectory;
    QListWidget* lstFiles;

    void btnAddDirClick();
    void btnDelDirClick();
    void btnAddExtClick();
    void dtnDelExtClick();
    void btnSearchNewClick();
    void btnSearchAppendClick();
    // The real path of the folder tree's selected node; "" when none is selected.
    QString SelectedTreePath() const;

    // ---- Queries and register maintenance (uFrmMainMaintenance.cpp) -------------------------
    QWidget* plTool;
    QLabel* Label2;
    QLineEdit* edCont;
    QPushButton* btnQryFileName;
    QPushButton* btnQryFilePath;

    void edContChange();
    void btnQryFileNameClick();
    void btnQryFilePathClick();
    void mnSortDirClick();
    void mnSortResolutionClick();
    void mnSortFileNameClick();
    void mnSortSizeClick();
    void mnSortTimeClick();
    void mnSortTypeClick();
    void mnDelRowClick();
    void mnDelEmptyClick();
    void mnDelLeftClick();
    void mnInsertClick();
    void ConnectMaintenance();

    // ---- Media engine and player (uFrmMainPlayer.cpp) ---------------------------------------
    QGroupBox* gbPlay;
    QWidget* Panel4;
    QTabWidget* PC;
    QWidget* TabSheet1;
    TVideoWindow* VW;
    QWidget* TabSheet2;
    QListWidget* lbFilters;
    QWidget* TabSheet4;
    QPlainTextEdit* mmHis;
    QLabel* Image1;
    QToolButton* btnPlay;
    QToolButton* btnPause;
    QToolButton* btnStop;
    TMyRadionBtn* lbLeft;
    TMyRadionBtn* lbCenter;
    TMyRadionBtn* lbRight;
    QToolButton* btnSelAudioChl;
    QComboBox* cbAudioChl;
    QLabel* Label3;
    TDSTrackBar* PB;
    QLabel* lbPos;
    QLabel* lbLen;
    QLabel* Label4;
    QSlider* SoundLevel;
    TFilterGraph* FG = nullptr;
    std::unique_ptr<TSampleGrabber> SampleGrabber;

    void ConnectPlayer();
    void mnCalClick();
    void btnPlayClick();
    void btnPauseClick();
    void btnStopClick();
    void PBTimer(TDSTrackBar* sender, unsigned currentPos, unsigned stopPos);
    void FGGraphComplete(TFilterGraph* sender, int result, TMediaElement* renderer);
    void SeekToMs(int ms);
    void VWDblClick();
    void lbLeftClick();
    void lbCenterClick();
    void lbRightClick();
    QString FindAudioDecoderName();
    void RefreshStreams();
    void btnSelAudioChlClick();
    void lbFiltersClick();
    void SampleGrabberBuffer(TSampleGrabber* sender, double sampleTime, uint8_t* buffer,
                             int length);
    void SoundLevelChange();
    TPlayer& Player() { return *player_; }

    // ---- File operations (uFrmMainFileOps.cpp) ----------------------------------------------
    void mnCopyClick();
    void mnMoveClick();
    void mnRenameClick();
    void mnRenameDirClick();
    void mnDelteFileClick();
    void mnOpenDirClick();
    void ConnectFileOps();
    FolderOpener OpenFolder = DesktopOpener(); // the desktop's "open"; tests record instead

    // ---- Export (uFrmMainExport.cpp) --------------------------------------------------------
    TExcelApplication ExcelApplication;
    TExcelWorkbook ExcelWorkbook;

    void mnOutTxtClick();
    void N4Click();
    // The program folder, with its final separator, where the exports go.
    std::string ExportFolder() const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildLayout();
    void BuildTopPanel();
    void BuildToolBar();
    void BuildPopupMenu();
    void BuildStatusBar();
    void ConnectHandlers();
    void ConnectGrid();
    void ConnectSearch();
    void SearchButtonClick(QPushButton* button, bool append);
    void ApplyStartupData(const StartupData& data);
    void RestorePlacement(const StartupData& data);
    void SavePlacement(bool withSize);
    void FitColumns();
    void PlaceProgressBars();
    void PlaceBreakButton();
    void ShowSelectedRange();
    void CloseWhenIdle();
    void AppendHistoryLines(const QStringList& lines);

    std::unique_ptr<TFrmMainPlayerView> playerView_;
    std::unique_ptr<TPlayer> player_;
    std::unique_ptr<IDialogs> ownDialogs_;
    std::unique_ptr<IDialogs> preparedDialogs_;
    IDialogs* dialogs_;
    TDataFiles data_;
    VideoRegister reg_;
    std::unique_ptr<IProgress> pb2_, pb3_;
    std::unique_ptr<PacedOutput> paced_; // while a loop runs paced
    TSearchWork searchWork_;             // the search's work lists (folders and files found)
    bool closePending_ = false;          // a close arrived while a long loop was running
};
