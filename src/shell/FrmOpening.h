#pragma once
// The splash window: the product's name and a hint that the program lives in the task tray.
// It closes itself 2.5 seconds after the start-up enables its timer.
#include "platform/ui.h"

namespace pelmora {

class FrmOpening final : public ui::Form {
  public:
    static ui::WindowSpec Layout();

    explicit FrmOpening(ui::Platform& platform);

    ui::Timer& Timer1;

  private:
    void Timer1_Timer();
};

}  // namespace pelmora
