#pragma once
// The dialog that adds a weekly schedule on a weekday or group of weekdays.
#include "platform/ui.h"

namespace pelmora {

class AddNewYobi final : public ui::Form {
  public:
    static ui::WindowSpec Layout();

    explicit AddNewYobi(ui::Platform& platform);
};

}  // namespace pelmora
