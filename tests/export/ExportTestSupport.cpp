#include "ExportTestSupport.h"

#include "platform/text/GbText.h"
#include "register/GridStore.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

void FillRegister(VideoRegister& reg, int rows,
                  const std::function<std::string(int c, int r)>& cell) {
    reg.SetRowCount(rows + 1);
    SetHeaderRow(reg, ColumnTitles());
    for (int r = 1; r <= rows; ++r)
        for (int c = 0; c < reg.ColCount(); ++c)
            reg.SetCell(c, r,
                        cell             ? cell(c, r)
                        : c == colNumber ? PadLeft(std::to_string(r), ' ', 5)
                                         : std::to_string(c) + "-" + std::to_string(r));
}

std::vector<QStringList> RegisterRows(const VideoRegister& reg, int first, int last) {
    std::vector<QStringList> rows;
    for (int r = first; r <= last; ++r) {
        QStringList row;
        for (int c = 0; c < reg.ColCount(); ++c)
            row << GbToQString(reg.Cell(c, r));
        rows.push_back(row);
    }
    return rows;
}

QString RowsDigest(const std::vector<QStringList>& rows) {
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (const QStringList& row : rows)
        hash.addData((row.join('\t') + '\n').toUtf8());
    return QString::fromLatin1(hash.result().toHex());
}

namespace {
const char* const kReadXls =
    R"py("""Reads a .xls workbook with xlrd (an independent reader) and prints it as JSON.

Per sheet: name, row and column counts, how many cells are not text, how many carry the
quote prefix, a SHA-1 over its rows (cells joined by tabs, rows ended by newlines, UTF-8),
and with the argument "cells" every cell value.
"""
import hashlib
import json
import sys

import xlrd

book = xlrd.open_workbook(sys.argv[1], formatting_info=True)
with_cells = len(sys.argv) > 2 and sys.argv[2] == "cells"
sheets = []
for sheet in book.sheets():
    digest = hashlib.sha1()
    rows = []
    not_text = prefixed = 0
    for r in range(sheet.nrows):
        values = []
        for c in range(sheet.ncols):
            cell = sheet.cell(r, c)
            if cell.ctype != xlrd.XL_CELL_TEXT:
                not_text += 1
            elif book.xf_list[cell.xf_index].lotus_123_prefix:
                prefixed += 1
            values.append(cell.value)
        digest.update(("\t".join(values) + "\n").encode("utf-8"))
        if with_cells:
            rows.append(values)
    sheets.append({"name": sheet.name, "nrows": sheet.nrows, "ncols": sheet.ncols,
                   "notText": not_text, "prefixed": prefixed, "sha1": digest.hexdigest(),
                   "rows": rows})
json.dump({"sheets": sheets}, sys.stdout)
)py";
} // namespace

std::vector<XlsSheet> ReadXls(const std::string& utf8Path, bool cells) {
    QProcess python;
    QStringList args{"-c", kReadXls, QString::fromStdString(utf8Path)};
    if (cells) args << "cells";
    python.start("/usr/bin/python3", args);
    if (!python.waitForFinished(120000) || python.exitCode() != 0) {
        ADD_FAILURE() << "xlrd could not read " << utf8Path << ":\n"
                      << python.readAllStandardError().toStdString();
        return {};
    }
    std::vector<XlsSheet> sheets;
    const QJsonArray list =
        QJsonDocument::fromJson(python.readAllStandardOutput()).object().value("sheets").toArray();
    for (const QJsonValue& v : list) {
        const QJsonObject o = v.toObject();
        XlsSheet s{o["name"].toString(),
                   o["nrows"].toInt(),
                   o["ncols"].toInt(),
                   o["notText"].toInt(),
                   o["prefixed"].toInt(),
                   o["sha1"].toString(),
                   {}};
        for (const QJsonValue& row : o["rows"].toArray()) {
            QStringList values;
            for (const QJsonValue& cell : row.toArray())
                values << cell.toString();
            s.rows.push_back(values);
        }
        sheets.push_back(s);
    }
    return sheets;
}

std::string ReadBytes(const std::string& utf8Path) {
    std::ifstream in(utf8Path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::string ScratchDir(const std::string& name) {
    const std::filesystem::path dir = std::filesystem::path(TAVLORA_TEST_DIR) / name;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir.string() + "/";
}
