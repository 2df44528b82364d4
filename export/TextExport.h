// The text export: the whole register as tab-separated text beside the program, for use in
// other programs.
#pragma once

#include "platform/ui/Shell.h"
#include "register/VideoRegister.h"

#include <string>
#include <string_view>

// programDir (with its final separator) + "视频文件登记列表.txt"
std::string TextExportPath(std::string_view programDir);

// One line per data row (rows 1 to last), every cell followed by a tab, lines ended by CR LF;
// cells as the register holds them (GB18030 bytes, nothing quoted or trimmed).
std::string RegisterText(const VideoRegister& reg);

// The command: writes the text file through a safe write (throws EFileError, leaving any
// previous file as it was) and reports the path on the status line.
void ExportTextCommand(const VideoRegister& reg, std::string_view programDir, IShell& shell);
