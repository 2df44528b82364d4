// Wires the controls to the window's handlers. Each area keeps its lines in its own block.
#include "app/uFrmMain.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>

void TFrmMain::ConnectHandlers() {
    // Start-up and shell
    Connect(btnBreak, &QPushButton::clicked, &TFrmMain::btnBreakClick);

    // Search locations, file types and folder search
    ConnectSearch();

    // Queries and register maintenance
    Connect(edCont, &QLineEdit::textChanged, &TFrmMain::edContChange);
    ConnectMaintenance();

    // Media engine and player
    ConnectPlayer();

    // File operations
    ConnectFileOps();

    // Export
    Connect(mnOutTxt, &QAction::triggered, &TFrmMain::mnOutTxtClick);
    Connect(N4, &QAction::triggered, &TFrmMain::N4Click);
}
