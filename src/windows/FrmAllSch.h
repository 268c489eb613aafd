#pragma once
// Every schedule in two lists, one-off and weekly; deleting, and the way to the add dialogs.
#include "platform/ui.h"

namespace pelmora {

class FrmAllSch final : public ui::Form {
  public:
    static ui::WindowSpec Layout();

    explicit FrmAllSch(ui::Platform& platform);
};

}  // namespace pelmora
