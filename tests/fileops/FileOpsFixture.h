// A scratch folder with a register, the fake shell and dialogs, for the file command tests.
#pragma once

#include "fileops/FileOpsContext.h"
#include "platform/text/GbText.h"
#include "register/GridStore.h"
#include "support/FakeDialogs.h"
#include "support/FakeShell.h"

#include <QString>
#include <QStringList>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace fs = std::filesystem;

// A scratch folder per test, a register and the context of the commands over them.
class FileOpsTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Creates the file with `size` bytes of a pattern that depends on the offset and seed.
    static void MakeFile(const fs::path& path, uint64_t size, unsigned seed = 1);
    static std::string ReadAll(const fs::path& path);
    // Register form of a real folder: GB18030, upper case, with the trailing separator.
    static std::string RegDir(const fs::path& dir);
    // Appends a data row (the blank first row is used first); returns its index.
    int AddRow(const fs::path& dir, std::string_view name, std::string_view type,
               std::string_view resolution = {});
    void SelectRows(int top, int bottom);
    // The saved database file's lines, or empty when it was never saved.
    std::vector<std::string> SavedLines() const;

    fs::path root;
    VideoRegister reg;
    FakeShell shell;
    FakeDialogs dialogs;
    FileOpsContext ctx{reg, shell, dialogs, {}};
};
