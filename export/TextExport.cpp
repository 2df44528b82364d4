#include "export/TextExport.h"

#include "platform/fs/SafeFile.h"
#include "platform/text/GbText.h"
#include "platform/ui/ShellDiskCalls.h"

std::string TextExportPath(std::string_view programDir) {
    return std::string(programDir) + Utf8ToGb("视频文件登记列表.txt");
}

std::string RegisterText(const VideoRegister& reg) {
    std::string text;
    for (int r = 1; r <= reg.LastRow(); ++r) {
        for (int c = 0; c < reg.ColCount(); ++c) {
            text += reg.Cell(c, r);
            text += '\t';
        }
        text += "\r\n";
    }
    return text;
}

void ExportTextCommand(const VideoRegister& reg, std::string_view programDir, IShell& shell) {
    const std::string path = TextExportPath(programDir);
    // The data folder may lie on a share: the write waits there with the window answering.
    const std::string text = RegisterText(reg);
    ShellDiskWork(shell, path)([&] { SafeWriteFile(RealPath::OfGb(path), text); });
    shell.SetStatusText(1, QStringLiteral(u"输出登记库文本文件完成：") + GbToQString(path));
}
