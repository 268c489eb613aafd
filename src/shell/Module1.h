#pragma once
// Process-wide state, one instance for the whole run, owned by WinMain (or by a test).
#include "platform/ui.h"
#include "store/ScheduleTables.h"
#include "windows/FrmDaySch.h"

namespace pelmora {

struct Module1 {
    ScheduleTables Tables;
    // The schedules of today's window, rebuilt at each opening.
    TodayList Today;
    // True while the add-date dialog is open after being filled; its pick handlers do nothing
    // while it is false.
    bool AddTimeActive = false;
    // What the tray icon shows, set at start-up.
    ui::TrayIconData TrayIconData;
};

}  // namespace pelmora
