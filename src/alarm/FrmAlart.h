#pragma once
// The alarm window: the name of the schedule that is due, topmost in the screen's corner.
#include "platform/ui.h"

namespace pelmora {

class FrmAlart final : public ui::Form {
  public:
    static ui::WindowSpec Layout();

    explicit FrmAlart(ui::Platform& platform);
};

}  // namespace pelmora
