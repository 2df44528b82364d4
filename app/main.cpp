#include "app/DataFiles.h"
#include "app/DialogLanguage.h"
#include "app/TavloraApplication.h"
#include "app/uFrmMain.h"
#include "platform/threads/Clock.h"
#include "platform/ui/Dialogs.h"

#include <QMessageBox>

int main(int argc, char** argv) {
    TavloraApplication app(argc, argv);
    LoadDialogTranslations(app);
    if (CounterFrequency() == 0) {
        QMessageBox::critical(nullptr, ApplicationTitle(),
                              QStringLiteral("对不起,发现该计算机没有高性能计数器.\r\n"
                                             "请升级您的计算机和操作系统.系统退出"));
        return 1;
    }
    const DataFolder data = ChooseDataFolderInTime();
    TFrmMain window(data.dir, nullptr, data.answering);
    for (const QString& line : data.notices)
        window.AddHistory(line);
    window.show();
    return app.exec();
}
