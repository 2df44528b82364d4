// Without the mouse: the menu key and Shift+F10 open the grid's menu at the current cell
// (its rename items enabled by that cell's column), Tab reaches every control, and every
// control and menu item has a name for assistive technology.
#include "GridMenu.h"
#include "controls/MyProgressBarNew.h"
#include "platform/text/GbText.h"
#include "register/GridStore.h"
#include "support/FakeDialogs.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAccessible>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QTabBar>
#include <QTabWidget>
#include <QTreeView>

namespace {

class KeyboardTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = QStringLiteral(TAVLORA_TEST_DIR "/keyboard-%1/")
                   .arg(QLatin1String(
                       ::testing::UnitTest::GetInstance()->current_test_info()->name()));
        QDir(dir_).removeRecursively();
        QDir().mkpath(dir_);
        window_ = std::make_unique<TFrmMain>(QStringToGb(dir_), &dialogs_);
        window_->show();
        QApplication::setActiveWindow(window_.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    }
    QString dir_;
    FakeDialogs dialogs_;
    std::unique_ptr<TFrmMain> window_;
};

} // namespace

TEST_F(KeyboardTest, MenuKeyAndShiftF10OpenTheGridMenuForTheCurrentCell) {
    TFrmMain& w = *window_;
    w.SelectGridRange(colName, 1, colName, 1);
    ASSERT_TRUE(OpenGridMenuByKeyboard(w));
    EXPECT_TRUE(w.mnRename->isEnabled());
    EXPECT_FALSE(w.mnRenameDir->isEnabled());
    // The menu opens at the current cell, not wherever the mouse pointer happens to be.
    QRect cell = w.sg->visualRect(w.sg->currentIndex());
    QPoint at = w.sg->viewport()->mapToGlobal(cell.center());
    EXPECT_LE((w.PopupMenu1->pos() - at).manhattanLength(), cell.width() + cell.height());
    QTest::keyClick(w.PopupMenu1, Qt::Key_Escape);
    ASSERT_TRUE(WaitFor([&] { return !w.PopupMenu1->isVisible(); }, 10000));

    w.SelectGridRange(colPath, 1, colPath, 1);
    w.sg->setFocus();
    QTest::keyClick(w.sg, Qt::Key_Menu);
    ASSERT_TRUE(WaitFor([&] { return w.PopupMenu1->isVisible(); }, 10000));
    EXPECT_FALSE(w.mnRename->isEnabled());
    EXPECT_TRUE(w.mnRenameDir->isEnabled());
    // Items are chosen with the arrow keys and Return.
    QTest::keyClick(w.PopupMenu1, Qt::Key_Down);
    EXPECT_NE(w.PopupMenu1->activeAction(), nullptr);
    QTest::keyClick(w.PopupMenu1, Qt::Key_Escape);
}

TEST_F(KeyboardTest, TabReachesEveryControl) {
    TFrmMain& w = *window_;
    w.PC->setCurrentWidget(w.TabSheet4); // the history takes no Tab of its own
    QSet<QWidget*> wanted;
    for (QWidget* c : w.findChildren<QWidget*>()) {
        bool control = qobject_cast<QAbstractButton*>(c) || qobject_cast<QLineEdit*>(c) ||
                       qobject_cast<QAbstractItemView*>(c) || qobject_cast<QAbstractSlider*>(c) ||
                       qobject_cast<QTabBar*>(c);
        if (control && !c->objectName().isEmpty() && c->isVisible() && c->isEnabled() &&
            c->window() == &w)
            wanted.insert(c);
    }
    ASSERT_GE(wanted.size(), 20);
    QSet<QWidget*> reached;
    w.sg->setFocus();
    for (int i = 0; i < 200; ++i) {
        QWidget* f = QApplication::focusWidget();
        if (!f) break;
        reached.insert(f);
        QTest::keyClick(f, Qt::Key_Tab);
    }
    for (QWidget* c : wanted)
        EXPECT_TRUE(reached.contains(c))
            << c->objectName().toStdString() << " cannot be reached with Tab";
}

TEST_F(KeyboardTest, EveryControlAndMenuItemHasAnAccessibleName) {
    TFrmMain& w = *window_;
    for (QWidget* c : w.findChildren<QWidget*>()) {
        if (c->objectName().isEmpty() || c->objectName().startsWith(QLatin1String("qt_"))) continue;
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(c);
        ASSERT_NE(a, nullptr) << c->objectName().toStdString();
        const QString name = a->text(QAccessible::Name).trimmed();
        EXPECT_NE(name, c->objectName()) << "read by its code name";
        if (c->focusPolicy() != Qt::NoFocus && !c->focusProxy() && !c->isHidden()) {
            EXPECT_FALSE(name.isEmpty()) << c->objectName().toStdString();
        }
    }
    QList<QAction*> items = w.PopupMenu1->actions();
    for (int i = 0; i < items.size(); ++i) {
        if (items[i]->isSeparator()) continue;
        EXPECT_FALSE(items[i]->text().trimmed().isEmpty()) << items[i]->objectName().toStdString();
        if (items[i]->menu()) items += items[i]->menu()->actions();
    }
    auto nameOf = [](QObject* c) {
        return QAccessible::queryAccessibleInterface(c)->text(QAccessible::Name);
    };
    EXPECT_EQ(nameOf(w.btnSearchNew), QStringLiteral("重新搜索>>"));
    EXPECT_EQ(nameOf(w.stDir), QStringLiteral("选择磁盘或网络路径"));
    // The bars read as progress bars with their value, range and text.
    QAccessibleInterface* bar = QAccessible::queryAccessibleInterface(w.PB2Bar);
    EXPECT_EQ(bar->role(), QAccessible::ProgressBar);
    w.PB2Bar->SetPosition(50);
    w.PB2Bar->SetPosTextSuffix(QStringLiteral("%  正在拷贝... /A.MKV"));
    EXPECT_EQ(bar->text(QAccessible::Name), QStringLiteral("25%  正在拷贝... /A.MKV"));
    ASSERT_NE(bar->valueInterface(), nullptr);
    EXPECT_EQ(bar->valueInterface()->currentValue().toInt(), 50);
    EXPECT_EQ(bar->valueInterface()->maximumValue().toInt(), 200);
}
