// Shared pieces of the export tests: the fake shell, registers to export, and the independent
// workbook reader (xlrd, through /usr/bin/python3).
#pragma once

#include "register/VideoRegister.h"
#include "support/FakeShell.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <string>
#include <vector>

// A register with the header row and `rows` data rows; cell (c, r) is made by `cell`, or
// is the row number padded to 5 (column 0) and "<c>-<r>" elsewhere.
void FillRegister(VideoRegister& reg, int rows,
                  const std::function<std::string(int c, int r)>& cell = {});

// The register's rows first..last as the reader reports them: UTF-16 text.
std::vector<QStringList> RegisterRows(const VideoRegister& reg, int first, int last);
// SHA-1 of rows as the reader computes it.
QString RowsDigest(const std::vector<QStringList>& rows);

struct XlsSheet {
    QString name;
    int nrows = 0, ncols = 0, notText = 0, prefixed = 0;
    QString sha1;
    std::vector<QStringList> rows; // only when read with cells
};
// Reads the workbook with xlrd; fails the current test (and returns nothing) when it cannot.
std::vector<XlsSheet> ReadXls(const std::string& utf8Path, bool cells);

std::string ReadBytes(const std::string& utf8Path);
// A fresh, empty scratch folder (UTF-8 path with its final "/").
std::string ScratchDir(const std::string& name);
