#include "WindowFixture.h"

#include "app/RegisterGrid.h"
#include "controls/MyProgressBarNew.h"
#include "controls/MyRadionBtn.h"

#include "app/StatusPanels.h"
#include "app/WindowPlacement.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

TEST_F(WindowTest, FirstStartUsesDesignValuesAndWritesNothing) {
    TFrmMain& w = Open();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("影库通 V1.1.0.0"));
    EXPECT_EQ(w.StatusText(0), QStringLiteral(" 提 示"));
    EXPECT_EQ(w.StatusText(2), QStringLiteral(" 影库通 V1.1.0.0"));
    EXPECT_EQ(w.pos(), QPoint(0, 0));
    EXPECT_EQ(w.size(), QSize(844, 439));
    EXPECT_EQ(w.PC->currentWidget(), w.TabSheet1);
    EXPECT_EQ(w.mmHis->toPlainText(), QStringLiteral("操作记录"));
    EXPECT_EQ(w.edCont->text(), QStringLiteral("生化危机"));
    EXPECT_EQ(w.SoundLevel->value(), 6000);
    EXPECT_EQ(w.Register().RowCount(), 2);
    EXPECT_TRUE(w.lbCenter->Checked());
    EXPECT_FALSE(w.lbLeft->Checked());
    EXPECT_FALSE(HasFile(QStringLiteral("系统参数.INI")));
    EXPECT_TRUE(dialogs_.errors.isEmpty());
}

TEST_F(WindowTest, StartupLoadsListsRegisterAndSettings) {
    WriteFile(QStringLiteral("搜索路径.txt"), QStringLiteral("/MOVIES\r\n/ARCHIVE\r\n/B\r\n"));
    WriteFile(QStringLiteral("搜索类型.txt"), QStringLiteral("RMVB\r\nAVI\r\n"));
    WriteFile(QStringLiteral("视频登记库.vdb"),
              QStringLiteral("1^^/A/^^电影^^.AVI^^^^^^1920x1080^^右声道^^1^^^^^^^^\r\n"));
    WriteFile(QStringLiteral("系统参数.INI"),
              QStringLiteral("[start]\r\nWindowsL=30\r\nWindowsT=40\r\nWindowsW=900\r\n"
                             "WindowsH=500\r\nedCont=\r\nSoundLevel=abc\r\n"));
    TFrmMain& w = Open();
    ASSERT_EQ(w.lstDirs->count(), 3);
    EXPECT_EQ(w.lstDirs->item(0)->text(), QStringLiteral("/ARCHIVE"));
    EXPECT_EQ(w.lstDirs->item(2)->text(), QStringLiteral("/MOVIES"));
    ASSERT_EQ(w.lstExt->count(), 2);
    EXPECT_EQ(w.lstExt->item(0)->text(), QStringLiteral("RMVB"));
    EXPECT_EQ(w.Register().RowCount(), 2);
    EXPECT_EQ(GbToQString(w.Register().Cell(2, 1)), QStringLiteral("电影"));
    EXPECT_EQ(w.pos(), QPoint(30, 40));
    // At most the screen's width (the offscreen screen is 800 wide), at least the minimum.
    const int screenWidth = w.screen()->availableGeometry().width();
    EXPECT_EQ(w.size(), QSize(std::max(w.minimumWidth(), std::min(900, screenWidth)), 500));
    EXPECT_EQ(w.edCont->text(), QString()); // present but empty
    EXPECT_EQ(w.SoundLevel->value(), 6000); // not a number: the design position
    // The emptied query field was stored back; the volume did not change.
    EXPECT_TRUE(Ini().contains(QStringLiteral("edCont=\r\n")));
    EXPECT_TRUE(Ini().contains(QStringLiteral("SoundLevel=abc")));
}

TEST(WindowPlacement, KeptOnTheAvailableArea) {
    const QRect area(0, 30, 1366, 738);
    EXPECT_EQ(PlaceOnArea({100, 100}, {844, 439}, area), QRect(100, 100, 844, 439));
    EXPECT_EQ(PlaceOnArea({0, 0}, {2147483647, 30000}, area), QRect(0, 30, 1366, 738));
    EXPECT_EQ(PlaceOnArea({-2147483647 - 1, 2147483647}, {844, 439}, area),
              QRect(48 - 844, 768 - 48, 844, 439));
    EXPECT_EQ(PlaceOnArea({5000, -5}, {844, 439}, area), QRect(1366 - 48, 30, 844, 439));
}

TEST_F(WindowTest, AHugeOrFarPlacementStartsOnTheScreen) {
    WriteFile(QStringLiteral("系统参数.INI"),
              QStringLiteral("[START]\r\nWindowsL=-2147483648\r\nWindowsT=99999\r\n"
                             "WindowsW=2147483647\r\nWindowsH=2147483647\r\n"));
    TFrmMain& w = Open();
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    const QRect area = w.screen()->availableGeometry();
    EXPECT_TRUE(area.intersects(w.geometry()));
    EXPECT_LE(w.height(), area.height());
    EXPECT_LE(w.width(), std::max(area.width(), w.minimumWidth()));
}

TEST_F(WindowTest, SaveAndReloadTheRegister) {
    TFrmMain& w = Open();
    w.Register().SetCell(2, 1, Utf8ToGb("片名"));
    w.mnSaveVDB->trigger();
    EXPECT_EQ(w.StatusText(1), QStringLiteral(" 登记库已经保存！"));
    EXPECT_TRUE(ReadFile(QStringLiteral("视频登记库.vdb")).contains(QStringLiteral("片名")));
    w.Register().SetCell(2, 1, "CHANGED");
    w.mnReloadVDB->trigger();
    EXPECT_EQ(GbToQString(w.Register().Cell(2, 1)), QStringLiteral("片名"));
    EXPECT_TRUE(dialogs_.errors.isEmpty());
}

TEST_F(WindowTest, FailedSaveGoesToTheErrorReportAndKeepsRunning) {
    TFrmMain& w = Open();
    QDir().mkpath(dir_ + QStringLiteral("视频登记库.vdb")); // a folder where the file should be
    w.SetStatusText(1, QStringLiteral("before"));
    w.mnSaveVDB->trigger();
    ASSERT_EQ(dialogs_.errors.size(), 1);
    EXPECT_EQ(w.StatusText(1), QStringLiteral(" before"));
    w.mnReloadVDB->trigger(); // the window still answers
    EXPECT_EQ(w.Register().RowCount(), 2);
}

TEST_F(WindowTest, EveryControlIsPresentWithItsName) {
    TFrmMain& w = Open();
    const char* names[] = {"Panel1",
                           "GroupBox2",
                           "stDir",
                           "btnAddDir",
                           "btnDelDir",
                           "btnSearchNew",
                           "btnSearchAppend",
                           "lstDirs",
                           "Panel3",
                           "gbType",
                           "edFileType",
                           "btnAddExt",
                           "dtnDelExt",
                           "lstExt",
                           "Panel2",
                           "gbPlay",
                           "Panel4",
                           "PC",
                           "TabSheet1",
                           "VW",
                           "TabSheet2",
                           "lbFilters",
                           "TabSheet4",
                           "mmHis",
                           "Image1",
                           "plTool",
                           "Label2",
                           "edCont",
                           "btnQryFileName",
                           "btnQryFilePath",
                           "btnPlay",
                           "btnPause",
                           "btnStop",
                           "lbLeft",
                           "lbCenter",
                           "lbRight",
                           "btnSelAudioChl",
                           "cbAudioChl",
                           "Label3",
                           "PB",
                           "lbPos",
                           "lbLen",
                           "Label4",
                           "SoundLevel",
                           "sg",
                           "SB",
                           "PB2",
                           "PB3",
                           "btnBreak",
                           "lstDirectory",
                           "lstFiles"};
    for (const char* name : names) {
        auto* c = w.findChild<QWidget*>(QString::fromLatin1(name));
        ASSERT_NE(c, nullptr) << name;
    }
    auto nameOf = [](QWidget* c) {
        return QAccessible::queryAccessibleInterface(c)->text(QAccessible::Name);
    };
    EXPECT_EQ(nameOf(w.btnPlay), QStringLiteral("播放"));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(w.btnPlay)->text(QAccessible::Description),
              QStringLiteral("强行从节目播出表的当前行开始播放"));
    EXPECT_EQ(nameOf(w.btnPause), QStringLiteral("暂停"));
    EXPECT_EQ(w.GroupBox2->title(), QStringLiteral(" 选择磁盘或网络路径 "));
    EXPECT_EQ(w.gbType->title(), QStringLiteral(" 搜索文件类型 "));
    EXPECT_EQ(w.gbPlay->title(), QStringLiteral(" 视频显示 "));
    EXPECT_EQ(w.PC->tabText(0), QStringLiteral("视频区"));
    EXPECT_EQ(w.PC->tabText(1), QStringLiteral("解码器"));
    EXPECT_EQ(w.PC->tabText(2), QStringLiteral("操作记录"));
    EXPECT_EQ(w.edFileType->text(), QStringLiteral("rmvb"));
    EXPECT_EQ(w.edFileType->maxLength(), 4);
    EXPECT_EQ(w.lbPos->text(), QStringLiteral("00:00:00"));
    EXPECT_EQ(w.SoundLevel->maximum(), 10000);
    EXPECT_NE(w.SoundLevel->tickPosition(), QSlider::NoTicks) << "ticks every 1000 drawn";
    EXPECT_FALSE(w.btnBreak->isVisibleTo(&w));
    EXPECT_FALSE(w.lstFiles->isVisibleTo(&w));
}

TEST_F(WindowTest, PopupMenuHoldsEveryItemInOrder) {
    TFrmMain& w = Open();
    QStringList seen;
    for (QAction* a : w.PopupMenu1->actions())
        seen << (a->isSeparator() ? QStringLiteral("-") : a->objectName() + '=' + a->text());
    QStringList expected = {"mnCal=计算时长等参数",
                            "-",
                            "mnSort=视频文件排序",
                            "-",
                            "mnOutTxt=输出为文本文件",
                            "N4=输出为Excel 表格",
                            "-",
                            "mnDelRow=删除选择行记录",
                            "mnDelEmpty=清除文件不存在的记录",
                            "mnDelteFile=删除选择行视频文件【慎重】",
                            "mnDelLeft=删除相同主文件名的多余记录",
                            "-",
                            "mnSaveVDB=保存登记库",
                            "mnReloadVDB=重新装入登记库",
                            "-",
                            "mnOpenDir=打开所在文件夹",
                            "mnInsert=插入视频文件记录",
                            "mnRename=文件名改名",
                            "mnRenameDir=文件夹改名",
                            "-",
                            "mnCopy=文件复制到其他文件夹",
                            "mnMove=文件移动到其他文件夹"};
    EXPECT_EQ(seen, expected);
    QStringList sorts;
    for (QAction* a : w.mnSort->actions())
        sorts << a->objectName() + '=' + a->text();
    EXPECT_EQ(sorts, QStringList({"mnSortDir=按文件夹排列", "mnSortResolution=按分辨率排序",
                                  "mnSortFileName=按主文件名排列", "mnSortSize=按文件大小排序",
                                  "mnSortTime=按文件时长排序", "mnSortType=按视频类型排序"}));
    for (QAction* a : w.PopupMenu1->actions()) {
        if (!a->isSeparator()) {
            EXPECT_FALSE(a->icon().isNull()) << a->text().toStdString();
        }
    }
}

TEST_F(WindowTest, ProgressBarsLieOverStatusPanels) {
    TFrmMain& w = Open();
    EXPECT_EQ(w.PB2Bar->parentWidget(), static_cast<QWidget*>(w.SB));
    EXPECT_EQ(w.PB2Bar->geometry(), QRect(43, 3, 476, 17));
    EXPECT_EQ(w.PB3Bar->geometry(), QRect(523, 3, 164, 17));
    EXPECT_FALSE(w.PB2Bar->isVisibleTo(&w));
    EXPECT_EQ(w.PB2Bar->Max(), 200);
    EXPECT_EQ(w.PB3Bar->Max(), 100);
    EXPECT_EQ(w.PB2Bar->BarColor1(), QColor(255, 214, 193));
    EXPECT_EQ(w.PB2Bar->BarColorStyle(), TMyProgressBarNew::cs2Colors);
    EXPECT_TRUE(w.PB3Bar->Percentage());
    w.PB2().SetVisible(true);
    w.PB2().SetPosition(100);
    w.PB2().SetSuffix(QStringLiteral(" %"));
    EXPECT_EQ(w.PB2Bar->PosText(), QStringLiteral("50 %"));
}
