// A screenshot of the main window filling the screen over a small film collection: coloured
// rows, two of them selected, the history page, and the folder tree opened and scrolled to a
// folder at least five levels down. Prints what it checked, so that the picture can be trusted: the
// contrast of each row colour on the grid's highlight, whether Tab from the tree reaches the
// grid, whether that folder's name lies whole inside the tree's view. tools/shots runs it.
//   window_shots <png file>
#include "app/FolderTreeModel.h"
#include "app/RegisterGrid.h"
#include "app/RowColours.h"
#include "app/uFrmMain.h"
#include "platform/text/GbText.h"
#include "register/GridStore.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QScreen>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>
#include <QTreeView>
#include <cstdio>

namespace {

// path, main name, type, size, duration, resolution, channel, year, category, stars (UTF-8)
const char* const kRows[][10] = {
    {"/MEDIA/影视/纪录片/江南水乡/", "第02集_超清", ".MKV", "2147483648", "00:48:12", "1920x1080",
     "立体声", "2019", "纪录片", ""},
    {"/MEDIA/影视/纪录片/江南水乡/", "JIANGNAN 第03集_超清", ".MKV", "2013265920", "00:47:55",
     "1920x1080", "立体声", "2019", "纪录片", ""},
    {"/MEDIA/影视/电影/", "生化危机", ".RMVB", "0734003200", "01:40:31", "1024x768", "右声道",
     "2002", "科幻", "米拉"},
    {"/MEDIA/影视/电影/", "英雄", ".AVI", "0700000000", "01:39:02", "0720x576", "左声道", "2002",
     "武侠", "李连杰"},
    {"/MEDIA/影视/动画/", "大闹天宫", ".RM", "0321456789", "01:54:00", "0640x480", "右声道", "1961",
     "动画", ""},
    {"/MEDIA/影视/电影/", "卧虎藏龙_JIANGHU", ".MP4", "1610612736", "02:00:05", "1280x720",
     "立体声", "2000", "武侠", "周润发"},
};

void WriteRegister(const QString& folder) {
    std::string text;
    int number = 0;
    for (const auto& row : kRows) {
        std::string line = std::to_string(++number);
        line.insert(0, 5 - line.size(), ' ');
        line += "^^";
        for (int col = 0; col < 6; ++col)
            line += Utf8ToGb(row[col]) + "^^";
        line += Utf8ToGb(row[6]) + "^^1^^";
        for (int col = 7; col < 10; ++col)
            line += Utf8ToGb(row[col]) + "^^";
        text += line + "\r\n";
    }
    QFile file(folder + QStringLiteral("视频登记库.vdb"));
    if (file.open(QIODevice::WriteOnly)) file.write(text.data(), qint64(text.size()));
}

// Presses Tab from the tree until the grid has the focus; the presses it took, 0 when never.
int TabsFromTreeToGrid(TFrmMain& w) {
    w.stDir->setFocus();
    for (int presses = 1; presses <= 100; ++presses) {
        QWidget* focus = QApplication::focusWidget();
        if (!focus) return 0;
        QTest::keyClick(focus, Qt::Key_Tab);
        if (QApplication::focusWidget() == w.sg) return presses;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: window_shots <png file>\n");
        return 2;
    }
    const QString work = QDir::temp().filePath(
        QStringLiteral("tavlora-shots-%1/").arg(QCoreApplication::applicationPid()));
    const QString program = work + QStringLiteral("program/");
    const QString deep = work + QStringLiteral("影视/纪录片/江南水乡/第02集_超清/幕后花絮");
    QDir().mkpath(program);
    QDir().mkpath(deep);
    WriteRegister(program);

    int status = 0;
    {
        TFrmMain w(QStringToGb(program));
        w.setGeometry(w.screen()->availableGeometry());
        w.show();
        QApplication::setActiveWindow(&w);
        if (!QTest::qWaitForWindowActive(&w)) std::printf("the window did not become active\n");
        w.AddHistory(QStringLiteral("复制完成：/MEDIA/影视/纪录片/江南水乡/第02集_超清.MKV"));
        w.ShowHistoryPage();

        auto* tree = static_cast<TFolderTreeModel*>(w.stDir->model());
        const QModelIndex node = tree->IndexOf(deep);
        for (QModelIndex up = node.parent(); up.isValid(); up = up.parent())
            w.stDir->expand(up);
        w.stDir->setCurrentIndex(node);
        QTest::qWait(300); // the column takes its contents' width, the scroll bar shows
        w.stDir->scrollTo(node);
        QScrollBar* across = w.stDir->horizontalScrollBar();
        across->setValue(across->value() + w.stDir->visualRect(node).left() - 2);

        const int tabs = TabsFromTreeToGrid(w);
        std::printf("Tab from the tree reaches the grid: %s (%d presses)\n", tabs ? "yes" : "no",
                    tabs);
        w.SelectGridRange(1, 1, 11, 2);

        const QPalette palette = w.sg->palette();
        for (const char* resolution : {"1920x1080", "1024x768", "0720x576"})
            std::printf(
                "contrast of the %s row colour on the highlight: %.2f:1\n", resolution,
                ContrastRatio(*RowTextColour(resolution), palette.color(QPalette::Highlight)));
        std::printf("contrast of the normal text on the highlight: %.2f:1\n",
                    ContrastRatio(palette.color(QPalette::HighlightedText),
                                  palette.color(QPalette::Highlight)));
        const QRect place = w.stDir->visualRect(node);
        const bool whole =
            node.isValid() && place.left() >= 0 &&
            place.left() + w.stDir->sizeHintForIndex(node).width() <= w.stDir->viewport()->width();
        int depth = 0;
        for (QModelIndex up = node.parent(); up.isValid(); up = up.parent())
            ++depth;
        std::printf("the name of a folder %d levels below its place shows whole: %s\n", depth,
                    whole ? "yes" : "no");
        std::printf("row height %d, resolution column %d pixels\n", w.sg->rowHeight(0),
                    w.sg->columnWidth(colResolution));

        QTest::qWait(300);
        const QImage shot = w.screen()->grabWindow(w.winId()).toImage();
        if (!shot.save(QString::fromLocal8Bit(argv[1]))) status = 1;
        std::printf("%s: %dx%d\n", argv[1], shot.width(), shot.height());
        if (!tabs || !whole) status = 1;
    }
    QDir(work).removeRecursively();
    return status;
}
