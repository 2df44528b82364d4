// The standard dialogs in Chinese under any locale: Qt's own translations are installed
// at start-up.
#include "app/DialogLanguage.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <gtest/gtest.h>

TEST(DialogLanguage, StandardButtonsReadInChineseUnderAnEnglishLocale) {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QMessageBox before(QMessageBox::Question, QStringLiteral("t"), QStringLiteral("?"),
                       QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    ASSERT_EQ(before.button(QMessageBox::Cancel)->text(), QStringLiteral("Cancel"));

    ASSERT_TRUE(LoadDialogTranslations(*qApp));
    QMessageBox box(QMessageBox::Question, QStringLiteral("t"), QStringLiteral("?"),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    EXPECT_TRUE(box.button(QMessageBox::Yes)->text().startsWith(QStringLiteral("是")))
        << box.button(QMessageBox::Yes)->text().toStdString();
    EXPECT_TRUE(box.button(QMessageBox::No)->text().startsWith(QStringLiteral("否")));
    EXPECT_TRUE(box.button(QMessageBox::Cancel)->text().startsWith(QStringLiteral("取消")));

    // The input box and the file dialog (Qt's own widgets, as on a bare X session).
    QInputDialog input;
    auto* buttons = input.findChild<QDialogButtonBox*>();
    if (!buttons) input.show(); // the box builds its buttons lazily
    buttons = input.findChild<QDialogButtonBox*>();
    ASSERT_NE(buttons, nullptr);
    EXPECT_TRUE(buttons->button(QDialogButtonBox::Ok)->text().startsWith(QStringLiteral("确定")));
    input.hide();
    QFileDialog files(nullptr, QStringLiteral("t"));
    files.setOption(QFileDialog::DontUseNativeDialog);
    auto* fileButtons = files.findChild<QDialogButtonBox*>();
    ASSERT_NE(fileButtons, nullptr);
    EXPECT_TRUE(
        fileButtons->button(QDialogButtonBox::Cancel)->text().startsWith(QStringLiteral("取消")));
    QLocale::setDefault(QLocale::system());
}
