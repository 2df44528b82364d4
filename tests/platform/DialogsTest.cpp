// The real dialogs, as the user meets them: looked at while they are open, then closed.
#include "platform/Dialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>
#include <gtest/gtest.h>

namespace {
// Runs look on the modal dialog of type T once it is open, then closes it.
template <typename T> void WhenOpen(std::function<void(T*)> look) {
    QTimer::singleShot(0, [look] {
        auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        look(dialog);
        dialog->reject();
    });
}
} // namespace

TEST(QtDialogs, PlainMessageBoxWithWindowsLineBreaksAndFolderPickerFromHome) {
    QtDialogs dialogs(nullptr);
    WhenOpen<QMessageBox>([](QMessageBox* box) {
        EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
        EXPECT_EQ(box->text(),
                  QStringLiteral("磁盘空间不够：\n复制文件字节数：9\n目标磁盘字节数：5"));
    });
    dialogs.Information(QStringLiteral("星澜影库通"),
                        QStringLiteral("磁盘空间不够：\n\r复制文件字节数：9\n\r目标磁盘字节数：5"));
    EXPECT_EQ(MessageBoxText(QStringLiteral("a\r\n\r\nb\rc\n\n")), QStringLiteral("a\n\nb\nc\n\n"));

    QString opened;
    WhenOpen<QFileDialog>(
        [&](QFileDialog* picker) { opened = picker->directory().absolutePath(); });
    EXPECT_EQ(dialogs.SelectFolder(QStringLiteral("选择一个目的文件夹")), QString());
    EXPECT_EQ(opened, QDir::homePath());
}
