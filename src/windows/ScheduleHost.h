#pragma once
// What the schedule windows ask of the main window, which owns the tables' file and every
// window.
#include <optional>

#include "platform/files.h"

namespace pelmora {

class ScheduleHost {
  public:
    virtual ~ScheduleHost() = default;
    // Reorders the tables, refills the list window and shows it.
    virtual void mnuShowAllSch_Click() = 0;
    // Rewrites Alarm_List.txt from the tables; the old file stays whole on failure.
    virtual std::optional<WriteError> UpdateFile() = 0;
};

}  // namespace pelmora
