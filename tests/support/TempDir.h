// A fresh scratch folder under the test program's data folder, removed afterwards.
#pragma once

#include "platform/text/GbText.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtGlobal>
#include <fstream>
#include <string>
#include <string_view>

class TempDir {
public:
    TempDir() : dir_(QString(TAVLORA_TEST_DIR) + "/tmp-XXXXXX") {
        QDir().mkpath(TAVLORA_TEST_DIR);
        path_ = dir_.path().toStdString() + "/";
    }
    // The folder with its trailing "/" (UTF-8, as on disk; also valid GB18030 for ASCII).
    const std::string& Path() const { return path_; }
    // A GB18030 path below the folder for a UTF-8 relative name.
    std::string Gb(std::string_view utf8Name) const {
        return Utf8ToGb(path_ + std::string(utf8Name));
    }
    // Writes raw bytes to a file below the folder (relative UTF-8 name).
    void Write(std::string_view utf8Name, std::string_view bytes) const {
        std::ofstream out(path_ + std::string(utf8Name), std::ios::binary);
        out.write(bytes.data(), std::streamsize(bytes.size()));
    }
    std::string Read(std::string_view utf8Name) const {
        std::ifstream in(path_ + std::string(utf8Name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void MakeDir(std::string_view utf8Name) const {
        QDir().mkpath(QString::fromStdString(path_ + std::string(utf8Name)));
    }

private:
    QTemporaryDir dir_;
    std::string path_;
};
