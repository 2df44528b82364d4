// The search area driven through the main window: the folder tree, the two lists and their
// files, and the search buttons with their captions, status texts and selections.
#include "app/WindowFixture.h"

#include "app/FolderTreeModel.h"
#include "register/GridStore.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <fstream>

namespace {

QStringList Items(const QListWidget* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->item(i)->text();
    return items;
}

int Selected(const QListWidget* list) {
    const auto selected = list->selectedItems();
    return selected.isEmpty() ? -1 : list->row(selected.first());
}

class SearchWindowTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        tree_ = dir_ + QStringLiteral("Tree");
        QDir().mkpath(tree_);
    }
    void MakeFile(const QString& rel) {
        QString path = tree_ + QLatin1Char('/') + rel;
        QDir().mkpath(QFileInfo(path).path());
        std::ofstream(QFile::encodeName(path).toStdString()) << "x";
    }
    // The register form of a real path below the tree ("" for the tree itself).
    QString Upper(const QString& rel = {}) const {
        return (rel.isEmpty() ? tree_ : tree_ + QLatin1Char('/') + rel).toUpper();
    }
    void SelectInTree(const QString& path) {
        auto* model = static_cast<TFolderTreeModel*>(W().stDir->model());
        QModelIndex index = model->IndexOf(path);
        ASSERT_TRUE(index.isValid()) << path.toStdString();
        W().stDir->setCurrentIndex(index);
    }
    void AddDir(const QString& path) {
        SelectInTree(path);
        W().btnAddDir->click();
    }
    QString ListFile(const char* name) { return ReadFile(QString::fromUtf8(name)); }

    QString tree_;
};

} // namespace

TEST_F(SearchWindowTest, FolderTreeOffersThePlacesAndRealFoldersOnly) {
    MakeFile("Movies/a.avi");
    QDir().mkpath(tree_ + "/.hidden");
    TFrmMain& w = Open();
    auto* model = qobject_cast<TFolderTreeModel*>(w.stDir->model());
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(model->PathOf(model->index(0, 0)), QStringLiteral("/"));
    EXPECT_EQ(model->PathOf(model->index(1, 0)), QDir::homePath());
    // A folder is read on a worker: "正在读取…" stands for its folders until they come.
    const QModelIndex tree = model->IndexOf(tree_);
    ASSERT_TRUE(tree.isValid());
    model->fetchMore(tree);
    EXPECT_EQ(model->index(0, 0, tree).data().toString(), QStringLiteral("正在读取…"));
    EXPECT_EQ(model->PathOf(model->index(0, 0, tree)), QString());
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return model->PathOf(model->index(0, 0, tree)) == tree_ + "/Movies"; }));
    EXPECT_FALSE(model->IndexOf(tree_ + "/.hidden").isValid());
    EXPECT_FALSE(model->IndexOf(tree_ + "/Movies/a.avi").isValid());
    EXPECT_EQ(w.SelectedTreePath(), QString()); // nothing selected yet

    // A right click selects the node under the pointer (wide enough for the test folder's depth).
    w.stDir->setMinimumWidth(2000);
    w.show();
    QModelIndex movies = model->IndexOf(tree_ + "/Movies");
    for (QModelIndex i = movies.parent(); i.isValid(); i = i.parent())
        w.stDir->expand(i);
    w.stDir->scrollTo(movies);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.stDir->visualRect(movies).isValid(); }));
    QTest::mouseClick(w.stDir->viewport(), Qt::RightButton, {},
                      w.stDir->visualRect(movies).center());
    EXPECT_EQ(w.SelectedTreePath(), tree_ + "/Movies");
    // The selection keeps its look when the tree loses the focus.
    EXPECT_EQ(w.stDir->palette().color(QPalette::Inactive, QPalette::Highlight),
              w.stDir->palette().color(QPalette::Active, QPalette::Highlight));

    // Opening a node again reads its folder again: a folder made meanwhile comes in at its
    // place, and the folders that stay keep their nodes; one found empty may be opened again.
    w.stDir->expand(movies);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !model->hasChildren(movies); }));
    QDir().mkpath(tree_ + "/Films");
    QDir().mkpath(tree_ + "/Movies/Sub");
    const QPersistentModelIndex kept(movies);
    w.stDir->collapse(tree);
    w.stDir->expand(tree);
    ASSERT_TRUE(QTest::qWaitFor([&] { return model->rowCount(tree) == 2; }));
    EXPECT_EQ(model->PathOf(model->index(0, 0, tree)), tree_ + "/Films");
    EXPECT_EQ(QModelIndex(kept), model->index(1, 0, tree));
    EXPECT_TRUE(model->hasChildren(kept));
}

TEST_F(SearchWindowTest, AddAndRemoveLocations) {
    QDir().mkpath(tree_ + "/Movies/Sub");
    QDir().mkpath(tree_ + "/Movies2");
    QDir().mkpath(tree_ + "/电影");
    TFrmMain& w = Open();
    AddDir(tree_ + "/电影");
    AddDir(tree_ + "/Movies2");
    AddDir(tree_ + "/Movies");
    const QStringList three = {Upper("Movies"), Upper("Movies2"), Upper("电影")};
    EXPECT_EQ(Items(w.lstDirs), three);
    EXPECT_EQ(Selected(w.lstDirs), -1); // adding does not select
    EXPECT_EQ(ListFile("搜索路径.txt"), three.join("\r\n") + "\r\n");

    // Inside a listed folder: refused on the status line, list and file unchanged.
    AddDir(tree_ + "/Movies/Sub");
    EXPECT_EQ(w.StatusText(1), " 路径" + Upper("Movies/Sub") + " : 为子文件夹，无需再加入！");
    EXPECT_EQ(Items(w.lstDirs), three);
    // Again, and no selection at all: ignored.
    AddDir(tree_ + "/Movies");
    w.stDir->clearSelection();
    w.btnAddDir->click();
    EXPECT_EQ(Items(w.lstDirs), three);

    // Remove with nothing selected does nothing; removing the first selects the last.
    w.btnDelDir->click();
    EXPECT_EQ(Items(w.lstDirs), three);
    w.lstDirs->setCurrentRow(0);
    w.btnDelDir->click();
    EXPECT_EQ(Items(w.lstDirs), QStringList({Upper("Movies2"), Upper("电影")}));
    EXPECT_EQ(Selected(w.lstDirs), 1);
    EXPECT_EQ(ListFile("搜索路径.txt"), Upper("Movies2") + "\r\n" + Upper("电影") + "\r\n");
    w.btnDelDir->click();
    w.btnDelDir->click();
    EXPECT_EQ(w.lstDirs->count(), 0);
    EXPECT_EQ(Selected(w.lstDirs), -1);
    EXPECT_TRUE(HasFile("搜索路径.txt"));
    EXPECT_EQ(ListFile("搜索路径.txt"), QString());
}

TEST_F(SearchWindowTest, AddAndRemoveFileTypes) {
    TFrmMain& w = Open();
    EXPECT_EQ(w.edFileType->text(), "rmvb");
    EXPECT_EQ(w.edFileType->maxLength(), 4);
    w.btnAddExt->click();
    w.edFileType->setText(" avi");
    w.btnAddExt->click();
    EXPECT_EQ(w.edFileType->text(), " avi"); // the field keeps its text
    w.edFileType->setText("AVI");
    w.btnAddExt->click();
    w.edFileType->setText("  ");
    w.btnAddExt->click();
    w.btnAddExt->click();
    EXPECT_EQ(Items(w.lstExt), QStringList({"RMVB", "AVI", ""}));
    EXPECT_EQ(Selected(w.lstExt), 2);
    EXPECT_EQ(ListFile("搜索类型.txt"), "RMVB\r\nAVI\r\n\r\n");

    w.lstExt->setCurrentRow(0);
    w.dtnDelExt->click();
    EXPECT_EQ(Items(w.lstExt), QStringList({"AVI", ""}));
    EXPECT_EQ(Selected(w.lstExt), 1);
    EXPECT_EQ(ListFile("搜索类型.txt"), "AVI\r\n\r\n");
}

TEST_F(SearchWindowTest, NewSearchPrunesFillsTheRegisterAndSelectsAll) {
    MakeFile("Films/Movie.Part1.rmvb");
    MakeFile("Films/.hidden.avi");
    MakeFile("Films/.secret/x.avi");
    MakeFile("电影/片.AVI");
    MakeFile("README");
    WriteFile("搜索路径.txt", Upper() + "\r\n" + Upper("Films") + "\r\n");
    WriteFile("搜索类型.txt", "RMVB\r\nAVI\r\n");
    TFrmMain& w = Open();
    w.btnSearchNew->click();

    EXPECT_EQ(Items(w.lstDirs), QStringList({Upper()})); // the contained location went
    EXPECT_EQ(ListFile("搜索路径.txt"), Upper() + "\r\n" + Upper("Films") + "\r\n");
    EXPECT_EQ(w.StatusText(1), " 搜索完毕！共有文件夹：3个，文件：3个。");
    VideoRegister& reg = w.Register();
    ASSERT_EQ(reg.LastRow(), 3);
    QStringList rows;
    for (int r = 1; r <= 3; ++r)
        rows << GbToQString(reg.Cell(colPath, r)) + "|" + GbToQString(reg.Cell(colName, r)) + "|" +
                    GbToQString(reg.Cell(colType, r)) + "|" + GbToQString(reg.Cell(colChannel, r)) +
                    "|" + GbToQString(reg.Cell(colTrack, r));
    rows.sort();
    EXPECT_EQ(rows, QStringList({Upper("Films") + "/|.HIDDEN|.AVI|右声道|1",
                                 Upper("Films") + "/|MOVIE.PART1|.RMVB|右声道|1",
                                 Upper("电影") + "/|片|.AVI|右声道|1"}));
    EXPECT_EQ(reg.Cell(colNumber, 3), "    3");
    EXPECT_EQ(reg.Cursor().Selection(), (GridRect{1, 1, 11, 3}));
    EXPECT_EQ(w.btnSearchNew->text(), "重新搜索>>");
    EXPECT_TRUE(w.btnSearchAppend->isEnabled());
    EXPECT_TRUE(w.stDir->isEnabled());
    EXPECT_FALSE(SearchRunning);
}

TEST_F(SearchWindowTest, AppendSelectsTheAddedRowsOrTheOldLastRow) {
    MakeFile("a.avi");
    MakeFile("b.avi");
    WriteFile("视频登记库.vdb", "^^/OLD/^^X^^.AVI^^^^^^^^^^^^^^^^^^\r\n");
    WriteFile("搜索路径.txt", Upper() + "\r\n");
    WriteFile("搜索类型.txt", "AVI\r\n");
    TFrmMain& w = Open();
    ASSERT_EQ(w.Register().LastRow(), 1);
    w.btnSearchAppend->click();
    EXPECT_EQ(w.Register().LastRow(), 3);
    EXPECT_EQ(w.Register().Cell(colPath, 1), "/OLD/");
    EXPECT_EQ(w.Register().Cursor().Selection(), (GridRect{1, 2, 11, 3}));
    EXPECT_EQ(w.Register().Cursor().CurRow(), 3);
    EXPECT_EQ(w.btnSearchAppend->text(), "添加搜索>>");
    EXPECT_EQ(w.btnSearchNew->text(), "重新搜索>>");

    w.edFileType->setText("mkv");
    w.btnAddExt->click();
    w.lstExt->setCurrentRow(0);
    w.dtnDelExt->click(); // only MKV is left: nothing is found
    w.btnSearchAppend->click();
    EXPECT_EQ(w.Register().LastRow(), 3);
    EXPECT_EQ(w.Register().Cursor().Selection(), (GridRect{1, 3, 11, 3}));
    EXPECT_EQ(w.StatusText(1), " 搜索完毕！共有文件夹：1个，文件：0个。");
}

TEST_F(SearchWindowTest, BreakDuringTheWalkKeepsTheRegisterAndTheLock) {
    for (const char* f : {"A/1.avi", "B/2.avi", "C/3.avi", "D/4.avi"})
        MakeFile(f);
    WriteFile("视频登记库.vdb", "^^/KEEP/^^X^^.AVI^^^^^^^^^^^^^^^^^^\r\n");
    WriteFile("搜索路径.txt", Upper() + "\r\n");
    WriteFile("搜索类型.txt", "AVI\r\n");
    TFrmMain& w = Open();
    bool lockedAfterBreak = false, secondStarted = false;
    QString statusAfterBreak;
    // The press arrives while the walk processes events: it breaks the search.
    QTimer::singleShot(0, &w, [&] {
        EXPECT_EQ(w.btnSearchNew->text(), "中断搜索>>");
        EXPECT_TRUE(w.btnSearchNew->isEnabled());
        EXPECT_FALSE(w.btnSearchAppend->isEnabled());
        w.btnSearchNew->click();
        statusAfterBreak = w.StatusText(1);
        // Pressed again before the walk has returned: no second search starts.
        w.btnSearchNew->click();
        secondStarted = SearchRunning;
        lockedAfterBreak = !w.btnSearchNew->isEnabled() && !w.stDir->isEnabled();
        EXPECT_EQ(w.btnSearchNew->text(), "重新搜索>>");
    });
    w.btnSearchNew->click();
    EXPECT_EQ(statusAfterBreak, " 中断搜索！");
    EXPECT_TRUE(lockedAfterBreak);
    EXPECT_FALSE(secondStarted);
    EXPECT_TRUE(BreakFlag);
    EXPECT_TRUE(w.StatusText(1).startsWith(" 搜索完毕！共有文件夹："))
        << w.StatusText(1).toStdString();
    EXPECT_TRUE(w.StatusText(1).endsWith("个，文件：0个。")) << w.StatusText(1).toStdString();
    EXPECT_EQ(w.Register().LastRow(), 1);
    EXPECT_EQ(w.Register().Cell(colPath, 1), "/KEEP/");
    EXPECT_TRUE(w.btnSearchNew->isEnabled());
    EXPECT_TRUE(w.stDir->isEnabled());
    EXPECT_EQ(w.btnSearchNew->text(), "重新搜索>>");
}

TEST_F(SearchWindowTest, ClosingTheWindowDuringTheWalkEndsTheSearchFirst) {
    for (const char* f : {"A/1.avi", "B/2.avi", "C/3.avi"})
        MakeFile(f);
    WriteFile("视频登记库.vdb", "^^/KEEP/^^X^^.AVI^^^^^^^^^^^^^^^^^^\r\n");
    WriteFile("搜索路径.txt", Upper() + "\r\n");
    WriteFile("搜索类型.txt", "AVI\r\n");
    TFrmMain& w = Open();
    w.show();
    QTimer::singleShot(0, &w, [&] { w.close(); });
    w.btnSearchNew->click();
    // The search ended through its break check and left the register alone; then the
    // window closes.
    EXPECT_EQ(w.Register().Cell(colPath, 1), "/KEEP/");
    EXPECT_EQ(w.Register().LastRow(), 1);
    EXPECT_FALSE(SearchRunning);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !w.isVisible(); }));
}
