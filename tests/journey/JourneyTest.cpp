// A new user's first session, in a real window on a private X server: first start, a
// folder of videos added through the tree, two types, the search, the analysis of every row,
// a sort by size, playing the first row and stopping, a rename, a copy of two files, both
// exports, the save, and a second start that finds everything as saved. Each step leaves a
// screenshot in the test's output folder (build/tests/data_journey/journey/shots/, kept
// after the run) and checks what must be visible on it.
#include "GridMenu.h"
#include "RealWindow.h"
#include "ScreenChecks.h"
#include "TestVideos.h"
#include "app/FolderTreeModel.h"
#include "app/StatusPanels.h"
#include "controls/MyProgressBarNew.h"
#include "platform/text/GbText.h"
#include "register/GridStore.h"
#include "support/FakeDialogs.h"

#include <QFileInfo>
#include <QHash>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <iostream>
#include <map>
#include <memory>

namespace {

class Journey {
public:
    Journey() : root_(QStringLiteral(TAVLORA_TEST_DIR "/journey/")) {
        QDir(root_).removeRecursively();
        for (const char* d : {"prog", "videos/more", "copies", "shots"})
            QDir().mkpath(root_ + QLatin1String(d));
    }
    QString Path(const char* rel) const { return root_ + QString::fromUtf8(rel); }
    // The register form of a folder of the scratch tree (upper case, GB18030).
    std::string RegisterPath(const char* rel) const {
        return UpperCase(QStringToGb(QDir::cleanPath(Path(rel))));
    }

    TFrmMain& Start() {
        window_ = std::make_unique<TFrmMain>(QStringToGb(Path("prog/")), &dialogs_);
        window_->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window_.get(), 30000));
        return *window_;
    }
    void Close() {
        window_->close();
        window_.reset();
    }
    VideoRegister& R() { return window_->Register(); }
    FakeDialogs& Dialogs() { return dialogs_; }

    // Saves the window's screenshot as shots/NN-name.png and returns it.
    QImage Shot(const char* name) {
        QImage shot = ScreenOf(*window_);
        QString file = Path("shots/") + QStringLiteral("%1-%2.png")
                                            .arg(++shots_, 2, 10, QLatin1Char('0'))
                                            .arg(QLatin1String(name));
        EXPECT_TRUE(shot.save(file)) << file.toStdString();
        std::cout << "screenshot: " << file.toStdString() << std::endl;
        return shot;
    }
    // The status line's panel as shown, and whether it shows text.
    bool StatusShowsText(const QImage& shot) {
        QImage panel = PartOf(shot, *window_, *window_->SB);
        return CountPixels(panel, IsDark) > 30;
    }
    // Whether the status line on the screenshot shows what the window says it shows: the
    // panel against the same text drawn in the panel's font and colours, pixel by pixel,
    // allowing a shift of a pixel or two; a missing full stop is already too much.
    ::testing::AssertionResult StatusReads(const QImage& shot) {
        auto* panel = window_->SB->findChild<QLabel*>(QStringLiteral("SB1"));
        if (!panel) return ::testing::AssertionFailure() << "no status panel";
        const QRect area = panel->contentsRect();
        QImage shown = AreaOf(shot, *window_, *panel, area);
        QImage drawn(shown.size(), QImage::Format_RGB32);
        drawn.setDevicePixelRatio(shot.devicePixelRatio());
        drawn.fill(panel->palette().color(QPalette::Window));
        {
            QPainter p(&drawn);
            p.setFont(panel->font());
            p.setPen(panel->palette().color(QPalette::WindowText));
            // A framed label indents its text by half an "x".
            const int indent = panel->fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2;
            p.drawText(QRect(QPoint(0, 0), area.size()).adjusted(indent, 0, 0, 0),
                       int(panel->alignment()), panel->text());
        }
        auto ink = [](const QImage& img, int x, int y) {
            return x >= 0 && y >= 0 && x < img.width() && y < img.height() &&
                   qGray(img.pixel(x, y)) < 160;
        };
        const int inkDrawn = CountPixels(drawn, [](QRgb c) { return qGray(c) < 160; });
        int best = INT_MAX;
        for (int dy = -2; dy <= 2; ++dy) {
            for (int dx = -2; dx <= 2; ++dx) {
                int differ = 0;
                for (int y = 0; y < shown.height(); ++y)
                    for (int x = 0; x < shown.width(); ++x)
                        differ += ink(shown, x, y) != ink(drawn, x + dx, y + dy);
                best = std::min(best, differ);
            }
        }
        if (inkDrawn > 20 && best <= inkDrawn / 200 + 2) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << "the status line differs from \"" << panel->text().toStdString() << "\" in "
               << best << " of " << inkDrawn << " pixels of ink";
    }
    // A left click on a cell of the grid (register row and column), as the mouse gives it.
    void ClickCell(int row, int col, Qt::KeyboardModifiers modifiers = {}) {
        TRegisterGrid& sg = *window_->sg;
        QRect cell = sg.visualRect(R().index(row - 1, col));
        QTest::mouseClick(sg.viewport(), Qt::LeftButton, modifiers, cell.center());
    }
    // The register lines as the second start must find them.
    std::vector<std::string> Lines() {
        std::vector<std::string> lines;
        for (int row = 1; row <= R().LastRow(); ++row)
            lines.push_back(RowToLine(R(), row));
        return lines;
    }

private:
    QString root_;
    FakeDialogs dialogs_;
    std::unique_ptr<TFrmMain> window_;
    int shots_ = 0;
};

int RowOfName(VideoRegister& reg, const std::string& name) {
    for (int row = 1; row <= reg.LastRow(); ++row)
        if (reg.Cell(colName, row) == name) return row;
    return 0;
}

// The generated videos: where they are, what the register and the analysis make of them,
// and the colour of their rows (by picture width: from 1280 red, from 1024 blue, from 720
// fuchsia, below that the plain text colour).
struct Clip {
    const char* file;
    const char* name; // the main name cell
    int width, height, seconds;
    const char* resolution; // the resolution cell
    TextHue hue;
};
const Clip kClips[] = {
    {"videos/wide.avi", "WIDE", 1280, 720, 4, "1280x720", TextHue::Red},
    {"videos/more/city.mkv", "CITY", 1024, 576, 4, "1024x576", TextHue::Blue},
    {"videos/more/garden.avi", "GARDEN", 720, 400, 4, "0720x400", TextHue::Fuchsia},
    {"videos/small.mkv", "SMALL", 320, 240, 6, "0320x240", TextHue::Plain}};

// The clip of a register row, known by its resolution (names change on the way).
const Clip* ClipOfRow(VideoRegister& reg, int row) {
    for (const Clip& c : kClips)
        if (reg.Cell(colResolution, row) == c.resolution) return &c;
    return nullptr;
}

// The size cell of a file size: millions, thousands and units, zero-padded.
std::string SizeCell(qint64 size) {
    return QString::asprintf("%04lld,%03lld,%03lld", size / 1000000, size / 1000 % 1000,
                             size % 1000)
        .toStdString();
}

// Every row's number shows in the colour of its picture width.
void ExpectRowHues(const QImage& shot, TFrmMain& w) {
    for (int row = 1; row <= w.Register().LastRow(); ++row) {
        const Clip* clip = ClipOfRow(w.Register(), row);
        ASSERT_NE(clip, nullptr) << "row " << row;
        EXPECT_STREQ(HueName(RowHueOnScreen(shot, w, row)), HueName(clip->hue))
            << "row " << row << " (" << clip->name << ")";
    }
}

// Pixels of a grid cell on the screenshot that are not its background: the text drawn.
int CellInk(const QImage& shot, TFrmMain& w, int row, int col) {
    QRect cell = w.sg->visualRect(w.Register().index(row - 1, col)).adjusted(1, 1, -1, -1);
    QImage part = AreaOf(shot, w, *w.sg->viewport(), cell);
    QHash<QRgb, int> counts;
    for (int y = 0; y < part.height(); ++y)
        for (int x = 0; x < part.width(); ++x)
            ++counts[part.pixel(x, y)];
    int most = 0;
    for (int n : counts)
        most = std::max(most, n);
    return part.width() * part.height() - most;
}

// The size, duration and resolution cells of every row show text.
void ExpectAnalysisCellsShown(const QImage& shot, TFrmMain& w) {
    for (int row = 1; row <= w.Register().LastRow(); ++row)
        for (int col : {colSize, colDuration, colResolution})
            EXPECT_GT(CellInk(shot, w, row, col), 15) << "row " << row << ", column " << col;
}

QByteArray FileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST(Journey, NewUserSessionInARealWindow) {
    if (!InsideXvfb()) return RunCurrentTestUnderXvfb(QStringLiteral("1280x1024x24"));
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
    Journey j;
    // The real file behind each main name; the rename changes one.
    std::map<std::string, QString> fileOfName;
    for (const Clip& c : kClips) {
        ASSERT_TRUE(MakeTestVideo(j.Path(c.file), c.width, c.height, c.seconds)) << c.file;
        fileOfName[c.name] = j.Path(c.file);
    }
    QFile(j.Path("videos/notes.txt")).open(QIODevice::WriteOnly);
    auto noErrors = [&] {
        EXPECT_TRUE(j.Dialogs().errors.isEmpty())
            << j.Dialogs().errors.join(QLatin1Char('\n')).toStdString();
    };

    // 1. First start: no data files yet.
    TFrmMain& w = j.Start();
    {
        QImage shot = j.Shot("first-start");
        EXPECT_EQ(w.lstDirs->count(), 0);
        EXPECT_EQ(w.lstExt->count(), 0);
        EXPECT_EQ(j.R().LastRow(), 1);
        EXPECT_TRUE(j.R().Cell(colPath, 1).empty());
        EXPECT_EQ(w.edCont->text(), QStringLiteral("生化危机"));
        EXPECT_EQ(w.SoundLevel->value(), 6000);
        EXPECT_EQ(w.geometry().topLeft(), QPoint(0, 0));
        EXPECT_EQ(shot.size(), w.size()) << "the window is on the screen at its size";
        // The header row's captions are drawn.
        QImage header = PartOf(shot, w, *w.sg->horizontalHeader());
        EXPECT_GT(CountPixels(header, IsDark), 200);
    }

    // 2. The folder of videos, picked in the tree, joins the locations with "加入路径>>".
    {
        auto* model = qobject_cast<TFolderTreeModel*>(w.stDir->model());
        ASSERT_NE(model, nullptr);
        const QString videos = QDir::cleanPath(j.Path("videos"));
        w.stDir->setFocus();
        w.stDir->setCurrentIndex(model->IndexOf(videos));
        w.stDir->scrollTo(model->IndexOf(videos));
        ASSERT_EQ(w.SelectedTreePath(), videos);
        QTest::mouseClick(w.btnAddDir, Qt::LeftButton);
        ASSERT_TRUE(WaitFor([&] { return w.lstDirs->count() == 1; }));
        EXPECT_EQ(QStringToGb(w.lstDirs->item(0)->text()), j.RegisterPath("videos"));
        QImage shot = j.Shot("location-added");
        EXPECT_GT(CountPixels(PartOf(shot, w, *w.lstDirs->viewport()), IsDark), 20)
            << "the location is shown";
    }

    // 3. Two file types typed and added with "加入".
    for (const char* type : {"avi", "mkv"}) {
        w.edFileType->setFocus();
        w.edFileType->selectAll();
        QTest::keyClicks(w.edFileType, QLatin1String(type));
        QTest::mouseClick(w.btnAddExt, Qt::LeftButton);
    }
    ASSERT_TRUE(WaitFor([&] { return w.lstExt->count() == 2; }));
    EXPECT_EQ(w.lstExt->item(0)->text(), QStringLiteral("AVI"));
    EXPECT_EQ(w.lstExt->item(1)->text(), QStringLiteral("MKV"));
    {
        QImage shot = j.Shot("types-added");
        EXPECT_GT(CountPixels(PartOf(shot, w, *w.lstExt->viewport()), IsDark), 20);
    }

    // 4. "重新搜索>>" registers the four videos (not the text file).
    QTest::mouseClick(w.btnSearchNew, Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return w.StatusText(1).contains(QStringLiteral("搜索完毕")); }))
        << w.StatusText(1).toStdString();
    EXPECT_EQ(w.StatusText(1).trimmed(), QStringLiteral("搜索完毕！共有文件夹：2个，文件：4个。"));
    ASSERT_EQ(j.R().LastRow(), 4);
    for (int row = 1; row <= 4; ++row)
        EXPECT_FALSE(j.R().Cell(colName, row).empty()) << row;
    {
        QImage shot = j.Shot("searched");
        EXPECT_TRUE(j.StatusShowsText(shot));
        EXPECT_TRUE(j.StatusReads(shot));
        // All four rows are selected: four rows of highlight.
        const QColor mark = w.sg->palette().color(QPalette::Active, QPalette::Highlight);
        EXPECT_GT(CountPixels(PartOf(shot, w, *w.sg->viewport()),
                              [&](QRgb p) { return QColor(p) == mark; }),
                  4 * 10 * 400)
            << "four rows";
    }

    // 5. "计算时长等参数" from the grid's menu, on all rows (the search selected them):
    //    size, duration and resolution of every file; the rows take their colours.
    //    While it runs, the progress bar lies over the status line, the break button shows
    //    and the controls are locked: a timer looks in from the loop's own event processing.
    QImage during;
    bool inShot = false, lockedDuring = false, breakShown = false;
    QTimer watch;
    watch.setInterval(20);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (inShot || !during.isNull() || !w.PB2Bar->isVisible() || w.PB2Bar->Position() < 1)
            return;
        inShot = true;
        lockedDuring = !w.sg->isEnabled() && !w.btnSearchNew->isEnabled();
        breakShown = w.btnBreak->isVisible();
        during = j.Shot("analysing");
    });
    watch.start();
    ASSERT_TRUE(ChooseFromGridMenu(w, w.mnCal));
    watch.stop();
    ASSERT_FALSE(during.isNull()) << "the progress bar never showed";
    EXPECT_TRUE(lockedDuring);
    EXPECT_TRUE(breakShown);
    {
        // The bar's gradient runs from a light salmon to red over the filled part.
        QImage bar = PartOf(during, w, *w.PB2Bar);
        double filled = double(CountPixels(bar,
                                           [](QRgb p) {
                                               QColor c(p);
                                               return c.hsvSaturation() > 40 &&
                                                      (c.hsvHue() <= 30 || c.hsvHue() >= 345);
                                           })) /
                        (bar.width() * bar.height());
        EXPECT_GT(filled, 0.15) << "the bar shows its progress";
    }
    ASSERT_TRUE(WaitFor(
        [&] { return w.sg->isEnabled() && !j.R().Cell(colResolution, j.R().LastRow()).empty(); }));
    for (const Clip& c : kClips) {
        const int row = RowOfName(j.R(), c.name);
        ASSERT_NE(row, 0) << c.name;
        EXPECT_EQ(j.R().Cell(colSize, row), SizeCell(QFileInfo(j.Path(c.file)).size())) << c.name;
        EXPECT_EQ(j.R().Cell(colDuration, row),
                  QString::asprintf("00:00:%02d", c.seconds).toStdString())
            << c.name;
        EXPECT_EQ(j.R().Cell(colResolution, row), c.resolution) << c.name;
    }
    EXPECT_FALSE(w.btnBreak->isVisible());
    EXPECT_TRUE(w.btnPlay->isEnabled()) << "the controls are unlocked";
    {
        QImage shot = j.Shot("analysed");
        ExpectRowHues(shot, w);
        ExpectAnalysisCellsShown(shot, w);
    }
    noErrors();

    // 6. "按文件大小排序": the rows in ascending size, numbered again from 1.
    ASSERT_TRUE(ChooseFromGridMenu(w, w.mnSortSize));
    std::vector<const Clip*> bySize;
    for (const Clip& c : kClips)
        bySize.push_back(&c);
    std::sort(bySize.begin(), bySize.end(), [&](const Clip* a, const Clip* b) {
        return QFileInfo(j.Path(a->file)).size() < QFileInfo(j.Path(b->file)).size();
    });
    ASSERT_TRUE(WaitFor([&] { return j.R().Cell(colName, 1) == bySize[0]->name; }, 10000));
    for (int row = 1; row <= 4; ++row) {
        EXPECT_EQ(j.R().Cell(colName, row), bySize[row - 1]->name) << row;
        EXPECT_EQ(j.R().Cell(colNumber, row), "    " + std::to_string(row));
    }
    {
        QImage shot = j.Shot("sorted-by-size");
        ExpectRowHues(shot, w); // the colours follow their rows to the new places
        ExpectAnalysisCellsShown(shot, w);
    }

    // 7. The first row played: its name cell clicked, then ▶. Frames show in the pane and
    //    the time label moves.
    j.ClickCell(1, colName);
    ASSERT_EQ(j.R().Cursor().CurRow(), 1);
    QTest::mouseClick(w.btnPlay, Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return !w.VW->CurrentFrame().isNull(); }, 30000))
        << "no frame reached the video pane";
    EXPECT_EQ(w.PC->currentWidget(), w.TabSheet1);
    EXPECT_EQ(QStringToGb(w.lbLen->text()), j.R().Cell(colDuration, 1));
    const QImage playing = j.Shot("playing");
    EXPECT_GT(LitShare(PartOf(playing, w, *w.VW)), 0.4) << "the video pane shows a picture";
    const QString firstPosition = w.lbPos->text();
    ASSERT_TRUE(WaitFor([&] { return w.lbPos->text() != firstPosition; }, 20000))
        << "the time label stays at " << firstPosition.toStdString();
    {
        QImage later = j.Shot("playing-later");
        EXPECT_NE(PartOf(playing, w, *w.lbPos), PartOf(later, w, *w.lbPos))
            << "the time label moves on the screen";
        EXPECT_NE(PartOf(playing, w, *w.VW), PartOf(later, w, *w.VW)) << "the picture moves";
        EXPECT_GT(LitShare(PartOf(later, w, *w.VW)), 0.4);
        ExpectRowHues(later, w);
    }

    // 8. ■ stops: the graph is emptied and the pane turns black.
    QTest::mouseClick(w.btnStop, Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return !w.FG->Active() && w.VW->CurrentFrame().isNull(); }));
    {
        QImage shot = j.Shot("stopped");
        EXPECT_LT(LitShare(PartOf(shot, w, *w.VW)), 0.05) << "the video pane is black";
    }
    noErrors();

    // 9. Garden's file renamed: its name cell clicked, "文件名改名" from the grid's menu, a
    //    Chinese name typed over the proposal in the input box.
    const int gardenRow = RowOfName(j.R(), "GARDEN");
    ASSERT_NE(gardenRow, 0);
    const QByteArray gardenBytes = FileBytes(j.Path("videos/more/garden.avi"));
    j.ClickCell(gardenRow, colName);
    j.Dialogs().inputs.push_back(QStringLiteral("花园[0720x400]"));
    ASSERT_TRUE(ChooseFromGridMenu(w, w.mnRename));
    ASSERT_TRUE(WaitFor([&] { return w.StatusText(1).contains(QStringLiteral("改名")); }))
        << w.StatusText(1).toStdString();
    EXPECT_EQ(j.Dialogs().calls.last(),
              QStringLiteral("Input: 文件改名：请输入新文件名 | 原来文件名 【GARDEN】 | "
                             "GARDEN[0720x400]"));
    EXPECT_EQ(w.StatusText(1).trimmed(), QStringLiteral("改名成功,新文件名: 花园[0720X400]"));
    const std::string newName = Utf8ToGb("花园[0720X400]");
    EXPECT_EQ(j.R().Cell(colName, gardenRow), newName);
    EXPECT_EQ(j.R().Cell(colResolution, gardenRow), "0720x400") << "the row keeps its values";
    const QString renamed = j.Path("videos/more/花园[0720X400].AVI");
    EXPECT_FALSE(QFile::exists(j.Path("videos/more/garden.avi")));
    EXPECT_EQ(FileBytes(renamed), gardenBytes) << "the file is on disk under its new name";
    EXPECT_TRUE(
        FileBytes(j.Path("prog/视频登记库.vdb")).contains(QByteArray::fromStdString(newName)))
        << "the rename saves the register";
    fileOfName[newName] = renamed;
    {
        QImage shot = j.Shot("renamed");
        EXPECT_TRUE(j.StatusReads(shot));
        EXPECT_GT(CellInk(shot, w, gardenRow, colName), 30) << "the new name is shown";
        ExpectRowHues(shot, w);
    }
    noErrors();

    // 10. The first two rows' files copied to another folder: rows picked with a click and a
    //     shift-click, "文件复制到其他文件夹", the folder given in the folder picker.
    j.ClickCell(1, colName);
    j.ClickCell(2, colName, Qt::ShiftModifier);
    ASSERT_EQ(j.R().Cursor().Selection().top, 1);
    ASSERT_EQ(j.R().Cursor().Selection().bottom, 2);
    j.Dialogs().folders.push_back(QDir::cleanPath(j.Path("copies")));
    ASSERT_TRUE(ChooseFromGridMenu(w, w.mnCopy));
    ASSERT_TRUE(WaitFor([&] { return w.StatusText(1).contains(QStringLiteral("拷贝")); }))
        << w.StatusText(1).toStdString();
    EXPECT_EQ(w.StatusText(1).trimmed(), QStringLiteral("成功拷贝文件 2个"));
    for (int row = 1; row <= 2; ++row) {
        const std::string name(j.R().Cell(colName, row));
        const QString source = fileOfName[name];
        const QString copy =
            j.Path("copies/") + GbToQString(name + std::string(j.R().Cell(colType, row)));
        const QByteArray original = FileBytes(source);
        EXPECT_FALSE(original.isEmpty()) << "the source stays: " << source.toStdString();
        EXPECT_EQ(FileBytes(copy), original) << copy.toStdString();
    }
    EXPECT_EQ(QDir(j.Path("copies")).entryList(QDir::Files).size(), 2);
    EXPECT_EQ(w.PC->currentWidget(), w.TabSheet4) << "the history page shows";
    EXPECT_EQ(w.mmHis->toPlainText().count(QStringLiteral("文件拷贝成功:")), 2)
        << w.mmHis->toPlainText().toStdString();
    EXPECT_EQ(j.R().LastRow(), 4);
    {
        QImage shot = j.Shot("copied");
        EXPECT_TRUE(j.StatusReads(shot));
        EXPECT_GT(CountPixels(PartOf(shot, w, *w.mmHis->viewport()), IsDark), 2 * 100)
            << "two lines of history";
    }
    noErrors();

    // 11. Both exports from the grid's menu: the text file with one line per row, and the
    //     workbook.
    ASSERT_TRUE(ChooseFromGridMenu(w, w.mnOutTxt));
    ASSERT_TRUE(WaitFor([&] {
        return w.StatusText(1).contains(QStringLiteral("输出登记库文本文件完成"));
    })) << w.StatusText(1).toStdString();
    {
        QImage shot = j.Shot("text-exported");
        EXPECT_TRUE(j.StatusReads(shot));
        const QStringList lines =
            GbToQString(FileBytes(j.Path("prog/视频文件登记列表.txt")).toStdString())
                .split(QStringLiteral("\r\n"));
        ASSERT_EQ(lines.size(), 5) << "four rows and the last line end";
        for (int row = 1; row <= 4; ++row) {
            const QStringList cells = lines[row - 1].split(QLatin1Char('\t'));
            ASSERT_EQ(cells.size(), 13) << row;
            for (int col : {colPath, colName, colType, colSize, colDuration, colResolution})
                EXPECT_EQ(QStringToGb(cells[col]), j.R().Cell(col, row)) << row << "," << col;
        }
    }
    ASSERT_TRUE(ChooseFromGridMenu(w, w.N4));
    ASSERT_TRUE(WaitFor([&] {
        return w.StatusText(1).contains(QStringLiteral("输出登记库电子表格完成"));
    })) << w.StatusText(1).toStdString();
    {
        QImage shot = j.Shot("workbook-exported");
        EXPECT_TRUE(j.StatusReads(shot));
        const QByteArray book = FileBytes(j.Path("prog/视频文件登记列表.xls"));
        EXPECT_TRUE(book.startsWith(QByteArray::fromHex("d0cf11e0a1b11ae1")))
            << "an OLE2 compound file";
        EXPECT_GT(book.size(), 4096);
    }
    noErrors();

    // 12. "保存登记库", chosen from the grid's menu by keyboard.
    ASSERT_TRUE(ChooseFromGridMenu(w, w.mnSaveVDB));
    ASSERT_TRUE(
        WaitFor([&] { return w.StatusText(1).contains(QStringLiteral("登记库已经保存")); }));
    ASSERT_TRUE(QFile::exists(j.Path("prog/视频登记库.vdb")));
    const std::vector<std::string> saved = j.Lines();
    {
        QImage shot = j.Shot("saved");
        EXPECT_TRUE(j.StatusReads(shot));
    }
    noErrors();

    // 13. Close and start again: everything as saved, the renamed row and the analysis
    //     cells included, the window where it was.
    const QRect placement = w.geometry();
    j.Close();
    TFrmMain& again = j.Start();
    {
        EXPECT_EQ(again.geometry(), placement);
        EXPECT_EQ(again.SoundLevel->value(), 6000);
        EXPECT_EQ(again.edCont->text(), QStringLiteral("生化危机"));
        QImage shot = j.Shot("second-start");
        EXPECT_EQ(again.lstDirs->count(), 1);
        EXPECT_EQ(again.lstExt->count(), 2);
        ASSERT_EQ(j.R().LastRow(), 4);
        EXPECT_EQ(j.Lines(), saved);
        EXPECT_NE(RowOfName(j.R(), "WIDE"), 0);
        EXPECT_NE(RowOfName(j.R(), "CITY"), 0);
        EXPECT_NE(RowOfName(j.R(), newName), 0);
        EXPECT_EQ(RowOfName(j.R(), "GARDEN"), 0);
        EXPECT_GT(CountPixels(PartOf(shot, again, *again.sg->viewport()), IsDark), 400)
            << "four rows of text";
        ExpectRowHues(shot, again);
        ExpectAnalysisCellsShown(shot, again);
    }
    noErrors();
    j.Close();
}
