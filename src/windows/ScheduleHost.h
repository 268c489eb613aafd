#pragma once
// What the schedule windows ask of the main window, which owns the file and every window.
#include <chrono>
#include <optional>
#include <string>

#include "platform/files.h"
#include "platform/ui.h"
#include "store/ScheduleTables.h"

namespace pelmora {

class AddNewTime;
class AddNewYobi;

// The entries whose lines the list window selects: one of each list at most.
struct ScheduleSelection {
    std::optional<DateSchedule> date;
    std::optional<WeekdaySchedule> weekday;
};

class ScheduleHost {
  public:
    virtual ~ScheduleHost() = default;
    // Reorders the tables, refills the list window and shows it; hides both add dialogs and
    // today's window.
    virtual void mnuShowAllSch_Click() = 0;
    // The same, with the lines of these entries selected afterwards.
    virtual void ShowListSelecting(const ScheduleSelection& select) = 0;
    // Rewrites Alarm_List.txt from the tables; the old file stays whole on failure.
    virtual std::optional<WriteError> UpdateFile() = 0;
    // Reads Alarm_List.txt again, with its boxes, when another program has changed it since it
    // was last read or written: called before a change of the user's is checked and saved, so
    // that the change applies to the file as it now is.
    virtual void ReadChangedFile() = 0;
    // A schedule was just added, or changed, that falls due today at `due`. The dialogs accept
    // the current minute in its first second, which the one-second tick may already have
    // examined: then the schedule rings now, so that it rings exactly once. (A change that kept
    // the due second does not call it: the entry as it was has rung then, or will.)
    virtual void RingIfPassedOver(const std::string& name, std::chrono::local_seconds due) = 0;
    // The windows, created when they do not exist.
    virtual ui::Window& ListWindow() = 0;
    virtual AddNewTime& AddNewTimeForm() = 0;
    virtual AddNewYobi& AddNewYobiForm() = 0;
};

}  // namespace pelmora
