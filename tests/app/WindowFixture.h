// A main window over a fresh program folder in the test's scratch directory, with scripted
// dialogs.
#pragma once

#include "app/uFrmMain.h"
#include "platform/text/GbText.h"
#include "support/FakeDialogs.h"

#include <QDir>
#include <QFile>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = QStringLiteral(TAVLORA_TEST_DIR "/") + QString::fromLatin1(info->test_suite_name()) +
               QLatin1Char('_') + QString::fromLatin1(info->name()) + QLatin1Char('/');
        QDir(dir_).removeRecursively();
        QDir().mkpath(dir_);
        BreakFlag = false;
    }
    void TearDown() override {
        window_.reset();
        BreakFlag = false;
    }

    // Writes a file of the program folder (text given as UTF-8, stored as GB18030).
    void WriteFile(const QString& name, const QString& text) {
        QFile f(dir_ + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray::fromStdString(QStringToGb(text)));
    }
    QString ReadFile(const QString& name) {
        QFile f(dir_ + name);
        if (!f.open(QIODevice::ReadOnly)) return QString();
        return GbToQString(f.readAll().toStdString());
    }
    bool HasFile(const QString& name) { return QFile::exists(dir_ + name); }
    QString Ini() { return ReadFile(QStringLiteral("系统参数.INI")); }

    TFrmMain& Open() {
        window_ = std::make_unique<TFrmMain>(QStringToGb(dir_), &dialogs_);
        return *window_;
    }
    TFrmMain& W() { return *window_; }

    QString dir_;
    FakeDialogs dialogs_;
    std::unique_ptr<TFrmMain> window_;
};
