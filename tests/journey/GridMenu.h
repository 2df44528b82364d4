// Commands of the register grid's pop-up menu chosen the way a keyboard user does: the
// menu key opens the menu at the current cell, the item is selected and Return chosen.
#pragma once

#include "RealWindow.h"
#include "app/RegisterGrid.h"
#include "app/uFrmMain.h"

#include <QAction>
#include <QApplication>
#include <QMenu>

// Opens PopupMenu1 with Shift+F10 on the grid; true when it shows.
inline bool OpenGridMenuByKeyboard(TFrmMain& w) {
    w.sg->setFocus();
    QTest::keyClick(w.sg, Qt::Key_F10, Qt::ShiftModifier);
    return WaitFor([&] { return w.PopupMenu1->isVisible(); }, 10000);
}

// Chooses item (of PopupMenu1 or of one of its submenus) by keyboard.
inline bool ChooseFromGridMenu(TFrmMain& w, QAction* item) {
    if (!OpenGridMenuByKeyboard(w)) return false;
    QMenu* menu = w.PopupMenu1;
    // Down arrow to the item (through its submenu when it has one), then Return.
    auto moveTo = [](QMenu* m, QAction* target) {
        for (int i = 0; i < 60 && m->activeAction() != target; ++i)
            QTest::keyClick(m, Qt::Key_Down);
        return m->activeAction() == target;
    };
    if (!menu->actions().contains(item)) {
        for (QAction* a : menu->actions()) {
            if (a->menu() && a->menu()->actions().contains(item)) {
                if (!moveTo(menu, a)) return false;
                QTest::keyClick(menu, Qt::Key_Right);
                menu = a->menu();
                if (!WaitFor([&] { return menu->isVisible(); }, 10000)) return false;
                break;
            }
        }
    }
    if (!item->isEnabled() || !moveTo(menu, item)) {
        w.PopupMenu1->close();
        return false;
    }
    QTest::keyClick(menu, Qt::Key_Return);
    return true;
}
