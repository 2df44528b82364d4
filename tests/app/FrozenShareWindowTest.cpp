// A network share that stops answering (its server process stopped), through the real
// window with a short disk deadline: the window never waits on it past the deadline.
#include "WindowFixture.h"

#include "app/FolderTreeModel.h"
#include "media/GstGraph.h"
#include "platform/threads/EventWait.h"
#include "register/GridStore.h"
#include "support/ShortDiskDeadline.h"
#include "support/SlowShare.h"

#include <QAction>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>

// Long enough that no call on the local disk misses it on a loaded machine (a missed local
// call would mark the local disk as not answering): only the frozen share misses it.
constexpr int kShareDeadlineMs = 1500;
// One deadline and the work around it, less than two deadlines.
constexpr int kOneDeadlineMs = 2 * kShareDeadlineMs - 100;

TEST_F(WindowTest, AFrozenShareCostsOneDeadlineAndTheBreakStopsAtOnce) {
    ASSERT_EQ(TSlowShare::Unavailable(), ""); // tools/deps installs FUSE; a missing share fails
    QDir().mkpath(dir_ + "Nas/Films");
    QDir().mkpath(dir_ + "Local");
    for (const char* name : {"Nas/Films/A.AVI", "Nas/Films/B.AVI", "Local/C.AVI"})
        QFile(dir_ + name).open(QIODevice::WriteOnly);
    const QString mount = dir_ + "Mnt";
    const std::string films = QStringToGb(mount.toUpper() + "/FILMS/");
    const std::string local = QStringToGb(dir_.toUpper() + "LOCAL/");
    // A link in the local folder into the share: it costs the search that entry alone, and
    // the purge charges its row to the share, not to the local disk.
    ASSERT_TRUE(QFile::link(mount + "/Films", dir_ + "Local/ToNas"));
    WriteFile(QStringLiteral("视频登记库.vdb"),
              QStringLiteral("1^^%1^^A^^.AVI^^^^^^^^右声道^^1^^^^^^^^\r\n"
                             "2^^%2^^C^^.AVI^^^^^^^^右声道^^1^^^^^^^^\r\n"
                             "3^^%1^^B^^.AVI^^^^^^^^右声道^^1^^^^^^^^\r\n"
                             "4^^%2^^GONE^^.AVI^^^^^^^^右声道^^1^^^^^^^^\r\n"
                             "5^^%2TONAS/^^A^^.AVI^^^^^^^^右声道^^1^^^^^^^^\r\n")
                  .arg(GbToQString(films), GbToQString(local)));
    TSlowShare share((dir_ + "Nas").toStdString(), mount.toStdString(), 0, 1);
    ASSERT_TRUE(share.Mounted());
    ShortDiskDeadline deadline(kShareDeadlineMs);
    share.Freeze();

    // The window starts with the share among its places, asking nothing of it; opening its
    // node reads on a worker and shows "无响应" after the deadline, and opening it again asks
    // again.
    TFrmMain& w = Open();
    auto* tree = qobject_cast<TFolderTreeModel*>(w.stDir->model());
    // Held across changes of the mount table: other programs mounting shares move the places.
    const QPersistentModelIndex place = tree->IndexOf(mount);
    ASSERT_EQ(tree->PathOf(place), mount);
    w.show();
    w.stDir->expand(place);
    tree->fetchMore(place); // the view defers its own fetch while a layout is pending
    EXPECT_EQ(tree->index(0, 0, place).data().toString(), QStringLiteral("正在读取…"));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return tree->index(0, 0, place).data().toString() == QStringLiteral("无响应"); }));
    w.stDir->collapse(place);
    w.stDir->expand(place);
    EXPECT_EQ(tree->index(0, 0, place).data().toString(), QStringLiteral("正在读取…"));
    // A change of the mount table that adds a place and orders the others anew keeps every
    // node that stays, and the indexes held on it.
    std::vector<TDiskPlace> places{{QStringLiteral("/elsewhere"), "elsewhere", TDiskPlace::Disk}};
    for (int row = tree->rowCount() - 1; row >= 0; --row)
        places.push_back({tree->PathOf(tree->index(row, 0)), "", TDiskPlace::Disk});
    tree->ShowPlaces(places);
    EXPECT_EQ(tree->PathOf(place), mount);
    EXPECT_EQ(tree->index(0, 0, place).data().toString(), QStringLiteral("正在读取…"));
    const QString notSearched = QString::fromUtf8("文件夹无响应，未搜索: ") + mount.toUpper();

    // A search into it names the location once the deadline has passed, and goes on.
    w.lstDirs->addItem(mount.toUpper());
    w.lstDirs->addItem(GbToQString(local));
    w.lstExt->addItem("AVI");
    w.btnSearchAppend->click();
    EXPECT_TRUE(w.mmHis->toPlainText().contains(notSearched));
    EXPECT_TRUE(w.mmHis->toPlainText().contains(QString::fromUtf8("文件夹无响应，未搜索: ") +
                                                GbToQString(local) + "TONAS"));
    EXPECT_EQ(w.Register().LastRow(), 6); // C.AVI found again on the local disk
    EXPECT_EQ(w.btnSearchAppend->text(), QStringLiteral("添加搜索>>"));

    // "中断搜索>>" ends a search that waits on the share, well before the deadline.
    w.mmHis->clear();
    delete w.lstDirs->takeItem(1); // the caller owns a taken item
    SetDiskDeadlineMs(60000);
    QTimer::singleShot(100, &w, [&] {
        EXPECT_EQ(w.btnSearchAppend->text(), QStringLiteral("中断搜索>>"));
        w.btnSearchAppend->click();
    });
    w.btnSearchAppend->click();
    EXPECT_EQ(w.btnSearchAppend->text(), QStringLiteral("添加搜索>>"));
    EXPECT_FALSE(w.mmHis->toPlainText().contains(notSearched));
    EXPECT_EQ(w.Register().LastRow(), 6);

    // The purge: the first row on the share (the one through the link) costs one deadline,
    // the mount is named once, and every row on it goes as on an unplugged disk; the local
    // file stays.
    SetDiskDeadlineMs(kShareDeadlineMs);
    w.mnDelEmpty->trigger();
    const QString history = w.mmHis->toPlainText();
    EXPECT_EQ(history.count(QString::fromUtf8("位置无响应: ")), 1);
    EXPECT_TRUE(history.contains(QString::fromUtf8("位置无响应: ") + mount));
    ASSERT_EQ(w.Register().LastRow(), 2);
    EXPECT_EQ(w.Register().Cell(2, 1), "C");
    EXPECT_EQ(w.Register().Cell(2, 2), "C");

    // A share that stops as the graph starts to open its file: the file was checked, and the
    // graph's change of state waits on the share. The graph is left behind at the deadline,
    // the window stays live meanwhile, the analysis writes nothing, and the next file plays
    // in a new graph.
    QDir().mkpath(dir_ + "Nas2");
    QProcess::execute("gst-launch-1.0", {"-q", "audiotestsrc", "num-buffers=40", "!", "wavenc", "!",
                                         "filesink", "location=" + dir_ + "Local/TONE.WAV"});
    ASSERT_TRUE(QFile::copy(dir_ + "Local/TONE.WAV", dir_ + "Nas2/TONE.WAV"));
    QProcess::execute("gst-launch-1.0", {"-q", "audiotestsrc", "num-buffers=2000", "!",
                                         "audio/x-raw,channels=2,rate=48000", "!", "wavenc", "!",
                                         "filesink", "location=" + dir_ + "Nas2/LONG.WAV"});
    const QString mount2 = dir_ + "Mnt2";
    TSlowShare share2((dir_ + "Nas2").toStdString(), mount2.toStdString(), 0, 1);
    ASSERT_TRUE(share2.Mounted());
    // At the first open it also notes the graph (held, so that no later graph takes its
    // address) and whether the window handles events while that graph waits.
    struct FreezeOnRender : IGraphListener {
        TSlowShare& share;
        TFilterGraph& FG;
        GstElement* stuck = nullptr;
        bool live = false;
        FreezeOnRender(TSlowShare& s, TFilterGraph& g) : share(s), FG(g) {}
        void ControlEvent(TControlEvent event) override {
            if (event != TControlEvent::RenderStart) return;
            share.Freeze();
            if (stuck) return;
            stuck = GST_ELEMENT(gst_object_ref(GstPipelineOf(FG)));
            QTimer::singleShot(
                100, [this] { live = RunningEventWaits() > 0 && GstPipelineOf(FG) == stuck; });
        }
    } freezer(share2, *w.FG);
    w.FG->AddListener(&freezer);
    VideoRegister& reg = w.Register();
    const std::string onShare = QStringToGb(mount2.toUpper() + "/");
    for (int row : {1, 2}) {
        reg.SetCell(colPath, row, row == 1 ? onShare : local);
        reg.SetCell(colName, row, "TONE");
        reg.SetCell(colType, row, ".WAV");
    }
    w.mmHis->clear();
    reg.Cursor().SetCurrent(1, 1);
    QElapsedTimer time;
    time.start();
    w.btnPlay->click();
    EXPECT_LT(time.elapsed(), kOneDeadlineMs);
    EXPECT_TRUE(freezer.live);
    EXPECT_FALSE(w.FG->Active());
    share2.Thaw();
    reg.Cursor().SetSelection({1, 1, 1, 1});
    time.restart();
    w.mnCal->trigger();
    EXPECT_LT(time.elapsed(), kOneDeadlineMs);
    EXPECT_EQ(w.mmHis->toPlainText().count(QString::fromUtf8("位置无响应: ") + mount2), 2);
    EXPECT_TRUE(w.mmHis->toPlainText().contains(QString::fromUtf8("文件不存在 ") +
                                                GbToQString(onShare + "TONE.WAV")));
    EXPECT_EQ(reg.Cell(colSize, 1), "");
    reg.Cursor().SetCurrent(1, 2);
    w.btnPlay->click();
    EXPECT_TRUE(w.FG->HasFile());
    EXPECT_EQ(w.FG->PlaybackState(), TPlaybackState::Playing);
    EXPECT_NE(GstPipelineOf(*w.FG), freezer.stuck);
    gst_object_unref(freezer.stuck);

    // Closing the window while the open waits on the share ends the wait at once.
    share2.Thaw();
    SetDiskDeadlineMs(60000);
    reg.Cursor().SetCurrent(1, 1);
    w.show();
    QTimer::singleShot(100, &w, [&] { w.close(); });
    time.restart();
    w.btnPlay->click();
    EXPECT_LT(time.elapsed(), 1500);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !w.isVisible(); }));
    w.FG->RemoveListener(&freezer);

    // A file plays and its stream waits in a read on the frozen share: a seek leaves the graph
    // to its worker at the deadline, and quitting closes the window at once.
    reg.SetCell(colName, 1, "LONG");
    BreakFlag = false; // left set by the close above
    share2.Thaw();
    w.show();
    for (bool seek : {true, false}) {
        w.btnPlay->click();
        ASSERT_TRUE(w.FG->HasFile());
        GstElement* playing = GST_ELEMENT(gst_object_ref(GstPipelineOf(*w.FG)));
        GstState state = GST_STATE_VOID_PENDING;
        const auto emptied = [&] {
            return gst_element_get_state(playing, &state, nullptr, 0) && state == GST_STATE_NULL;
        };
        share2.Freeze();
        ASSERT_EQ(WaitUntil([] { return TSlowShare::ThreadReads("wavparse"); }, 10000, nullptr),
                  WaitEnd::Done);
        SetDiskDeadlineMs(seek ? kShareDeadlineMs : 60000);
        time.restart();
        seek ? w.SeekToMs(1000) : void(w.close());
        EXPECT_LT(time.elapsed(), seek ? kOneDeadlineMs : 1500);
        EXPECT_FALSE(w.FG->Active() || emptied());
        share2.Thaw();
        EXPECT_EQ(WaitUntil(emptied, 10000, nullptr), WaitEnd::Done);
        gst_object_unref(playing);
    }
    EXPECT_FALSE(w.isVisible());
}

// A data folder on a share that does not answer at start: the window comes up after one
// deadline with a blank register marked unread, and writes nothing over the files there.
TEST_F(WindowTest, ADataFolderOnAFrozenShareIsNeverWrittenOver) {
    ASSERT_EQ(TSlowShare::Unavailable(), "");
    QDir().mkpath(dir_ + "Home");
    const QByteArray vdb = "    1^^/FILMS/^^A^^.AVI^^^^^^^^^^1^^^^^^^^\r\n";
    const QByteArray ini = "[START]\r\nSoundLevel=3000\r\n";
    WriteFile(QStringLiteral("Home/视频登记库.vdb"), QString::fromUtf8(vdb));
    WriteFile(QStringLiteral("Home/系统参数.INI"), QString::fromUtf8(ini));
    const QString mount = dir_ + "Mnt";
    TSlowShare share((dir_ + "Home").toStdString(), mount.toStdString(), 0, 1);
    ASSERT_TRUE(share.Mounted());
    ShortDiskDeadline deadline(kShareDeadlineMs);
    share.Freeze();
    auto w = std::make_unique<TFrmMain>(QStringToGb(mount + "/"), &dialogs_);
    EXPECT_TRUE(w->mmHis->toPlainText().contains(
        QStringLiteral("数据文件夹无响应，登记库、参数和列表均未读入: ") + mount + "/"));
    EXPECT_EQ(w->Register().LastRow(), 1);
    EXPECT_FALSE(w->Register().UnreadDatabase().empty());
    w->edCont->setText("X");
    w->SoundLevel->setValue(9000);
    w->edFileType->setText("AVI");
    w->btnAddExt->click();
    w->close();
    share.Thaw();
    w.reset();
    EXPECT_EQ(ReadFile(QStringLiteral("Home/视频登记库.vdb")).toUtf8(), vdb);
    EXPECT_EQ(ReadFile(QStringLiteral("Home/系统参数.INI")).toUtf8(), ini);
}
