#pragma once
// The dialog that adds a one-off schedule at a date and time.
#include "platform/ui.h"

namespace pelmora {

class AddNewTime final : public ui::Form {
  public:
    static ui::WindowSpec Layout();

    explicit AddNewTime(ui::Platform& platform);
};

}  // namespace pelmora
