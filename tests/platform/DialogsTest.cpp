// The real dialogs, as the user meets them: looked at while open, then closed.
#include "platform/ui/Dialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>
#include <gtest/gtest.h>

TEST(QtDialogs, PlainMessageBoxWithWindowsLineBreaksAndFolderPickerFromHome) {
    QtDialogs dialogs(nullptr);
    QString shown;
    auto look = [&] {
        QWidget* open = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(open))
            shown = QString::number(box->icon()) + box->text(); // 0: no icon
        else if (auto* picker = qobject_cast<QFileDialog*>(open))
            shown = picker->directory().absolutePath();
        if (open) static_cast<QDialog*>(open)->reject();
    };
    QTimer::singleShot(0, look);
    dialogs.Information({},
                        QStringLiteral("磁盘空间不够：\n\r复制文件字节数：9\n\r目标磁盘字节数：5"));
    EXPECT_EQ(shown, QStringLiteral("0磁盘空间不够：\n复制文件字节数：9\n目标磁盘字节数：5"));
    EXPECT_EQ(MessageBoxText(QStringLiteral("a\r\n\r\nb\rc\n\n")), QStringLiteral("a\n\nb\nc\n\n"));
    QTimer::singleShot(0, look);
    EXPECT_EQ(dialogs.SelectFolder(QStringLiteral("选择一个目的文件夹")), QString());
    EXPECT_EQ(shown, QDir::homePath());
}
