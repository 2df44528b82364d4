// A new user's first session, in a real window on a private X server: first start, a
// folder of videos added through the tree, two types, the search, the save, and a second
// start that finds everything as saved. Each step leaves a screenshot in the test's output folder
// (shots/) and checks what must be visible on it.
#include "GridMenu.h"
#include "RealWindow.h"
#include "TestVideos.h"
#include "app/StatusPanels.h"
#include "platform/GbText.h"
#include "register/GridStore.h"
#include "support/FakeDialogs.h"

#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QTreeView>
#include <iostream>
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

} // namespace

TEST(Journey, NewUserSessionInARealWindow) {
    if (!InsideXvfb()) return RunCurrentTestUnderXvfb(QStringLiteral("1280x1024x24"));
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
    Journey j;
    struct Clip {
        const char* file;
        int width, height, seconds;
    };
    const Clip clips[] = {{"videos/wide.avi", 1280, 720, 4},
                          {"videos/more/city.mkv", 1024, 576, 4},
                          {"videos/more/garden.avi", 720, 400, 4},
                          {"videos/small.mkv", 320, 240, 6}};
    for (const Clip& c : clips)
        ASSERT_TRUE(MakeTestVideo(j.Path(c.file), c.width, c.height, c.seconds)) << c.file;
    QFile(j.Path("videos/notes.txt")).open(QIODevice::WriteOnly);

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
        auto* model = qobject_cast<QFileSystemModel*>(w.stDir->model());
        ASSERT_NE(model, nullptr);
        const QString videos = QDir::cleanPath(j.Path("videos"));
        w.stDir->setFocus();
        w.stDir->setCurrentIndex(model->index(videos));
        w.stDir->scrollTo(model->index(videos));
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
        // All four rows are selected: four rows of highlight.
        const QColor mark = w.sg->palette().color(QPalette::Active, QPalette::Highlight);
        EXPECT_GT(CountPixels(PartOf(shot, w, *w.sg->viewport()),
                              [&](QRgb p) { return QColor(p) == mark; }),
                  4 * 10 * 400)
            << "four rows";
    }

    // 5. "保存登记库", chosen from the grid's menu by keyboard.
    ASSERT_TRUE(ChooseFromGridMenu(w, w.mnSaveVDB));
    ASSERT_TRUE(WaitFor([&] { return QFile::exists(j.Path("prog/视频登记库.vdb")); }));
    std::vector<std::string> saved;
    for (int row = 1; row <= 4; ++row)
        saved.push_back(RowToLine(j.R(), row));
    j.Shot("saved");
    EXPECT_TRUE(j.Dialogs().errors.isEmpty())
        << j.Dialogs().errors.join(QLatin1Char('\n')).toStdString();

    // 6. Close and start again: everything as saved.
    j.Close();
    TFrmMain& again = j.Start();
    {
        QImage shot = j.Shot("second-start");
        EXPECT_EQ(again.lstDirs->count(), 1);
        EXPECT_EQ(again.lstExt->count(), 2);
        ASSERT_EQ(j.R().LastRow(), 4);
        for (int row = 1; row <= 4; ++row)
            EXPECT_EQ(RowToLine(j.R(), row), saved[row - 1]) << row;
        EXPECT_NE(RowOfName(j.R(), "WIDE"), 0);
        EXPECT_NE(RowOfName(j.R(), "CITY"), 0);
        EXPECT_GT(CountPixels(PartOf(shot, again, *again.sg->viewport()), IsDark), 400)
            << "four rows of text";
    }
    j.Close();
}
