// A network share that stops answering (its server process stopped), through the real
// window with a short disk deadline: the window never waits on it past the deadline.
#include "WindowFixture.h"

#include "support/ShortDiskDeadline.h"
#include "support/SlowShare.h"

#include <QAction>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

TEST_F(WindowTest, AFrozenShareCostsOneDeadlineAndTheBreakStopsAtOnce) {
    if (const std::string why = TSlowShare::Unavailable(); !why.empty()) GTEST_SKIP() << why;
    QDir().mkpath(dir_ + "Nas/Films");
    QDir().mkpath(dir_ + "Local");
    for (const char* name : {"Nas/Films/A.AVI", "Nas/Films/B.AVI", "Local/C.AVI"})
        QFile(dir_ + name).open(QIODevice::WriteOnly);
    const QString mount = dir_ + "Mnt";
    const std::string films = QStringToGb(mount.toUpper() + "/FILMS/");
    const std::string local = QStringToGb(dir_.toUpper() + "LOCAL/");
    WriteFile(QStringLiteral("视频登记库.vdb"),
              QStringLiteral("1^^%1^^A^^.AVI^^^^^^^^右声道^^1^^^^^^^^\r\n"
                             "2^^%2^^C^^.AVI^^^^^^^^右声道^^1^^^^^^^^\r\n"
                             "3^^%1^^B^^.AVI^^^^^^^^右声道^^1^^^^^^^^\r\n"
                             "4^^%2^^GONE^^.AVI^^^^^^^^右声道^^1^^^^^^^^\r\n")
                  .arg(GbToQString(films), GbToQString(local)));
    TSlowShare share((dir_ + "Nas").toStdString(), mount.toStdString(), 0, 1);
    ASSERT_TRUE(share.Mounted());
    ShortDiskDeadline deadline(300);
    TFrmMain& w = Open();
    share.Freeze();
    const QString notSearched = QString::fromUtf8("文件夹无响应，未搜索: ") + mount.toUpper();

    // A search into it names the location once the deadline has passed, and goes on.
    w.lstDirs->addItem(mount.toUpper());
    w.lstDirs->addItem(GbToQString(local));
    w.lstExt->addItem("AVI");
    w.btnSearchAppend->click();
    EXPECT_TRUE(w.mmHis->toPlainText().contains(notSearched));
    EXPECT_EQ(w.Register().LastRow(), 5); // C.AVI found again on the local disk
    EXPECT_EQ(w.btnSearchAppend->text(), QStringLiteral("添加搜索>>"));

    // "中断搜索>>" ends a search that waits on the share, well before the deadline.
    w.mmHis->clear();
    w.lstDirs->takeItem(1);
    SetDiskDeadlineMs(60000);
    QTimer::singleShot(100, &w, [&] {
        EXPECT_EQ(w.btnSearchAppend->text(), QStringLiteral("中断搜索>>"));
        w.btnSearchAppend->click();
    });
    w.btnSearchAppend->click();
    EXPECT_EQ(w.btnSearchAppend->text(), QStringLiteral("添加搜索>>"));
    EXPECT_FALSE(w.mmHis->toPlainText().contains(notSearched));
    EXPECT_EQ(w.Register().LastRow(), 5);

    // The purge: the first row on the share costs one deadline, the mount is named once, and
    // every row on it goes as on an unplugged disk; the local file stays.
    SetDiskDeadlineMs(300);
    w.mnDelEmpty->trigger();
    const QString history = w.mmHis->toPlainText();
    EXPECT_EQ(history.count(QString::fromUtf8("位置无响应: ")), 1);
    EXPECT_TRUE(history.contains(QString::fromUtf8("位置无响应: ") + mount));
    ASSERT_EQ(w.Register().LastRow(), 2);
    EXPECT_EQ(w.Register().Cell(2, 1), "C");
    EXPECT_EQ(w.Register().Cell(2, 2), "C");
}
