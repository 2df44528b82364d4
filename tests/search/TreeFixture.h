// Builds real folder trees for the search tests in the program's scratch folder.
#pragma once

#include "platform/fs/Paths.h"
#include "search/SearchLocations.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>

class TreeTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        root_ = std::filesystem::path(TAVLORA_TEST_DIR) /
                (std::string(info->test_suite_name()) + "_" + info->name());
        std::error_code ec;
        std::filesystem::permissions(root_, std::filesystem::perms::all, ec);
        for (auto& p : std::filesystem::recursive_directory_iterator(
                 root_, std::filesystem::directory_options::skip_permission_denied, ec))
            std::filesystem::permissions(p.path(), std::filesystem::perms::owner_all, ec);
        std::filesystem::remove_all(root_, ec);
        std::filesystem::create_directories(root_);
        ClearResolverCache();
    }

    // Creates the file (and its folders) below the root; `rel` is UTF-8 or raw bytes.
    std::string MakeFile(const std::string& rel) {
        auto path = root_ / rel;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path) << "x";
        return path.string();
    }
    std::string MakeDir(const std::string& rel) {
        std::filesystem::create_directories(root_ / rel);
        return (root_ / rel).string();
    }
    // The register form of a folder below the root ("" for the root itself).
    std::string Location(const std::string& rel = "") const {
        return RegisterFormOfPath(rel.empty() ? root_.string() : (root_ / rel).string());
    }

    std::filesystem::path root_;
};
