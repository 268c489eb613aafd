#pragma once
// The alarm window: the name of the schedule that is due, topmost in the screen's top-left
// corner, until its 15-second timer or "了解" hides it.
#include <functional>
#include <string>
#include <string_view>

#include "platform/ui.h"

namespace pelmora {

// The name as the alarm window shows it: names under 25 bytes (code page 932) keep their
// first 12 characters; longer ones their first 11 and "...".
std::string ShortAlarmName(std::string_view name);

class FrmAlart final : public ui::Form {
  public:
    static ui::WindowSpec Layout();

    explicit FrmAlart(ui::Platform& platform);

    ui::Label& Label1;
    ui::Timer& Timer1;
    // Shows the alarm waiting after the one shown, if any (true), when the user or the timer is
    // done with this one; otherwise the window hides.
    std::function<bool()> Next;

  private:
    void Command1_Click();
    void Timer1_Timer();
    void CloseAlarm();
};

}  // namespace pelmora
