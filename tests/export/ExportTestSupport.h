// Shared pieces of the export tests: a recording shell, registers to export, and the
// independent workbook reader (xlrd, through /usr/bin/python3).
#pragma once

#include "register/Shell.h"
#include "register/VideoRegister.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <string>
#include <vector>

struct FakeProgress : IProgress {
    int max = -1, position = -1, positionChanges = 0;
    bool visible = false, everShown = false;
    QString suffix;
    void SetMax(int m) override { max = m; }
    void SetPosition(int p) override { position = p, ++positionChanges; }
    void SetSuffix(const QString& s) override { suffix = s; }
    void SetVisible(bool v) override { visible = v, everShown = everShown || v; }
};

struct FakeShell : IShell {
    std::map<int, QString> status;
    bool breakButton = false, breakButtonShown = false;
    int processed = 0;
    std::function<void()> onProcessEvents;
    FakeProgress pb2, pb3;

    void SetStatusText(int panel, const QString& text) override { status[panel] = text; }
    void AddHistory(const QString&) override {}
    void ClearHistory() override {}
    void ShowHistoryPage() override {}
    void LockControls(bool) override {}
    void ShowBreakButton(bool v) override { breakButton = v, breakButtonShown |= v; }
    void ProcessEvents() override {
        ++processed;
        if (onProcessEvents) onProcessEvents();
    }
    void DelayMs(int) override {}
    IProgress& PB2() override { return pb2; }
    IProgress& PB3() override { return pb3; }
};

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
