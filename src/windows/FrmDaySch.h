#pragma once
// Today's schedules, with their times and whether each has passed.
#include "platform/ui.h"

namespace pelmora {

class FrmDaySch final : public ui::Form {
  public:
    static ui::WindowSpec Layout();

    explicit FrmDaySch(ui::Platform& platform);
};

}  // namespace pelmora
