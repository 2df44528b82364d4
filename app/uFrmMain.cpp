// Start-up, the shell services, window placement and shutdown.
#include "app/uFrmMain.h"

#include "app/ProgressAdapter.h"
#include "app/RegisterGrid.h"
#include "app/StatusPanels.h"
#include "app/WindowPlacement.h"
#include "controls/MyProgressBarNew.h"
#include "platform/text/GbText.h"
#include "platform/threads/EventWait.h"
#include "register/GridStore.h"
#include "register/IniFile.h"
#include "register/StartupData.h"
#include "search/SearchLocations.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QTabWidget>
#include <QTimer>
#include <QTreeView>

#include <algorithm>

namespace {
constexpr int kDesignClientWidth = 844;
constexpr int kDesignClientHeight = 439;
// The smallest outer size, and the frame assumed until the window manager gives its own.
constexpr QSize kMinOuterSize(860, 348);
constexpr QSize kAssumedFrame(16, 39);

QString ProductText(const QString& version) {
    return QStringLiteral("影库通 V") + version;
}
} // namespace

TFrmMain::TFrmMain(const std::string& programDir, IDialogs* dialogs, bool dataAnswering)
    : data_(*this, programDir) {
    if (!dataAnswering) data_.MarkNotAnswering();
    if (!dialogs) {
        ownDialogs_ = std::make_unique<QtDialogs>(this);
        dialogs = ownDialogs_.get();
    }
    // A question in the middle of a paced loop comes after the bars and the log it is about.
    preparedDialogs_ = std::make_unique<PreparedDialogs>(*dialogs, [this] {
        if (paced_) paced_->Flush();
    });
    dialogs_ = preparedDialogs_.get();
    resize(kDesignClientWidth, kDesignClientHeight);
    setMinimumSize(kMinOuterSize - kAssumedFrame);
    BuildLayout();
    pb2_ = std::make_unique<ProgressAdapter>(*PB2Bar);
    pb3_ = std::make_unique<ProgressAdapter>(*PB3Bar);
    ConnectGrid();
    ConnectHandlers();
    FormCreate();
}

TFrmMain::~TFrmMain() = default;

QString TFrmMain::VersionText() const {
    return QStringLiteral(TAVLORA_VERSION_TEXT);
}

void TFrmMain::FormCreate() {
    PC->setCurrentWidget(TabSheet1);
    StartupData defaults;
    defaults.query = QStringToGb(edCont->text());
    defaults.soundLevel = SoundLevel->value();
    std::optional<TStartFiles> files = data_.ReadAtStart(defaults);
    // The register of a folder that did not answer is blank and is never saved over its file.
    if (!files) PutUnreadRegister(reg_, "数据文件夹无响应");
    const StartupData& data = files ? files->data : defaults;
    RestorePlacement(data);
    std::exception_ptr error;
    try {
        if (files) PutStartFiles(reg_, *files);
    } catch (...) {
        error = std::current_exception();
    }
    // Whatever was read before a failure still reaches the window.
    ApplyStartupData(data);
    if (error) ReportError(error);
    SetStatusText(2, ProductText(VersionText()));
    setWindowTitle(ProductText(VersionText()));
    PlaceProgressBars();
}

void TFrmMain::ApplyStartupData(const StartupData& data) {
    // The order of lstDirs is the one that the location rules keep when adding.
    std::vector<std::string> dirs = data.dirs;
    std::stable_sort(dirs.begin(), dirs.end(), LessNoCase);
    lstDirs->clear();
    for (const std::string& dir : dirs)
        lstDirs->addItem(GbToQString(dir));
    lstExt->clear();
    for (const std::string& ext : data.exts)
        lstExt->addItem(GbToQString(ext));
    // Changed values run their change handlers, which store them back.
    edCont->setText(GbToQString(data.query));
    SoundLevel->setValue(data.soundLevel);
}

void TFrmMain::edContChange() {
    data_.WriteSetting("edCont", QStringToGb(edCont->text()));
}

// --- shell services ---------------------------------------------------------------------

void TFrmMain::SetStatusText(int panel, const QString& text) {
    if (panel < 0 || panel >= SB->PanelCount()) return;
    SB->SetText(panel, QLatin1Char(' ') + text);
}

QString TFrmMain::StatusText(int panel) const {
    return SB->Text(panel);
}

void TFrmMain::AddHistory(const QString& text) {
    if (paced_) return paced_->AddHistoryLines({text});
    if (mmHis->blockCount() > 1000) mmHis->clear();
    if (mmHis->document()->isEmpty())
        mmHis->setPlainText(text);
    else
        mmHis->appendPlainText(text);
}

void TFrmMain::AddHistoryLines(const QStringList& lines) {
    if (paced_) return paced_->AddHistoryLines(lines);
    AppendHistoryLines(lines);
}

// Works out what the lines one by one would leave (the log emptied whenever it holds more
// than 1,000 lines) and changes the memo once.
void TFrmMain::AppendHistoryLines(const QStringList& lines) {
    bool empty = mmHis->document()->isEmpty(), cleared = false;
    int blocks = mmHis->blockCount();
    QStringList pending;
    for (const QString& line : lines) {
        if (blocks > 1000) {
            pending.clear();
            empty = cleared = true;
        }
        if (empty && line.isEmpty()) continue; // an empty text leaves the log empty
        const int lineBlocks = 1 + int(line.count('\n'));
        blocks = empty ? lineBlocks : blocks + lineBlocks;
        empty = false;
        pending << line;
    }
    if (pending.isEmpty()) return;
    if (cleared || mmHis->document()->isEmpty())
        mmHis->setPlainText(pending.join('\n'));
    else
        mmHis->appendPlainText(pending.join('\n'));
}

void TFrmMain::ClearHistory() {
    if (paced_) paced_->DropHistory();
    mmHis->clear();
}

void TFrmMain::ShowHistoryPage() {
    if (paced_) paced_->Flush();
    PC->setCurrentWidget(TabSheet4);
}

void TFrmMain::LockControls(bool lock) {
    QWidget* const order[] = {gbType,  gbPlay,          sg,           btnAddDir, btnDelDir, stDir,
                              lstDirs, btnSearchAppend, btnSearchNew, plTool};
    // Each control repaints at the next event turn, which the locked commands' waits give.
    for (QWidget* w : order)
        w->setEnabled(!lock);
}

void TFrmMain::ShowBreakButton(bool visible) {
    if (visible) {
        PlaceBreakButton();
        btnBreak->raise();
    }
    btnBreak->setVisible(visible);
}

void TFrmMain::btnBreakClick() {
    BreakFlag = true;
    btnBreak->hide();
}

void TFrmMain::ProcessEvents() {
    if (paced_) paced_->FlushBeforeEvents();
    ProcessPendingEvents();
}

void TFrmMain::DelayMs(int ms) {
    WaitProcessingEvents(ms);
}

IProgress& TFrmMain::PB2() {
    return paced_ ? paced_->PB2() : *pb2_;
}
IProgress& TFrmMain::PB3() {
    return paced_ ? paced_->PB3() : *pb3_;
}

void TFrmMain::SetPaced(bool paced) {
    if (paced && !paced_) {
        paced_ = std::make_unique<PacedOutput>(
            *pb2_, *pb3_, [this](const QStringList& lines) { AppendHistoryLines(lines); });
    } else if (!paced && paced_) {
        paced_->Flush();
        paced_.reset();
    }
}

void TFrmMain::ReportError(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        dialogs_->Error(QString::fromUtf8(e.what()));
    } catch (...) {
        dialogs_->Error(QStringLiteral("Unknown error"));
    }
}

// --- progress bars and break button -----------------------------------------------------

void TFrmMain::PlaceProgressBars() {
    int top = 3, height = SB->height() - 2 * 3;
    int w0 = SB->PanelWidth(0), w1 = SB->PanelWidth(1), w2 = SB->PanelWidth(2);
    PB2Bar->setParent(SB);
    PB2Bar->setGeometry(w0 + 3, top, w1 - 4, height);
    PB3Bar->setParent(SB);
    PB3Bar->setGeometry(w0 + w1 + 3, top, w2 - 4, height);
    PB2Bar->hide();
    PB3Bar->hide();
}

void TFrmMain::PlaceBreakButton() {
    btnBreak->move(plTool->x() + 2, plTool->y() + 2);
}

// --- placement --------------------------------------------------------------------------

void TFrmMain::RestorePlacement(const StartupData& data) {
    const QPoint topLeft(data.left.value_or(0), data.top.value_or(0));
    QScreen* screen = QGuiApplication::screenAt(topLeft);
    if (!screen) screen = QGuiApplication::primaryScreen();
    const QRect place = PlaceOnArea(
        topLeft,
        QSize(data.width.value_or(kDesignClientWidth), data.height.value_or(kDesignClientHeight)),
        screen->availableGeometry());
    move(place.topLeft());
    resize(place.size());
}

void TFrmMain::SavePlacement(bool withSize) {
    data_.WriteSetting("WindowsL", std::to_string(x()));
    data_.WriteSetting("WindowsT", std::to_string(y()));
    if (!withSize) return;
    data_.WriteSetting("WindowsW", std::to_string(width()));
    data_.WriteSetting("WindowsH", std::to_string(height()));
}

void TFrmMain::FormResize() {
    FitColumns();
    Image1->setVisible(width() > kDesignClientWidth);
    PlaceBreakButton();
    if (isVisible()) SavePlacement(true);
}

// Columns 1 and 2 share what the other columns leave of the grid's width.
void TFrmMain::FitColumns() {
    QHeaderView* header = sg->horizontalHeader();
    int others = 0;
    for (int col = 0; col < VideoRegister::kColumns; ++col)
        if (col != colPath && col != colName) others += header->sectionSize(col);
    // The grid spans the window's full width.
    int b = width() - others - 21 - VideoRegister::kColumns;
    int pathWidth = int(b * 0.6);
    header->resizeSection(colPath, pathWidth);
    header->resizeSection(colName, b - pathWidth);
}

void TFrmMain::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Guarded([&] { FormResize(); });
}

void TFrmMain::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    if (isVisible()) Guarded([&] { SavePlacement(false); });
}

void TFrmMain::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The window manager's frame is known now: the minimum applies to the outer size.
    QSize frame = frameGeometry().size() - size();
    if (frame.isValid() && !frame.isEmpty()) setMinimumSize(kMinOuterSize - frame);
}

// --- shutdown ---------------------------------------------------------------------------

void TFrmMain::closeEvent(QCloseEvent* event) {
    if (RunningEventWaits() > 0) {
        // A handler is waiting beneath this event (a long loop, a file being opened): let it
        // end through its break check, then close.
        BreakFlag = true;
        event->ignore();
        if (!closePending_) {
            closePending_ = true;
            QTimer::singleShot(0, this, &TFrmMain::CloseWhenIdle);
        }
        return;
    }
    Guarded([&] { FormClose(); });
    event->accept();
}

void TFrmMain::CloseWhenIdle() {
    if (RunningEventWaits() > 0) {
        QTimer::singleShot(20, this, &TFrmMain::CloseWhenIdle);
        return;
    }
    closePending_ = false;
    close();
}

void TFrmMain::FormClose() {
    // Nothing is saved here: the settings and lists are current, the register is saved only
    // on command. The player stops its graph here.
    player_->Close();
}
