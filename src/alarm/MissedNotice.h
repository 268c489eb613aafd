#pragma once
// The one message box that tells the user which alarms fell due while the computer slept or the
// clock was set forward: no alarm window rings for them.
#include <string>
#include <string_view>
#include <vector>

#include "alarm/AlarmTick.h"

namespace pelmora {

inline constexpr std::string_view kMissedNoticeTitle = "Pelmora";
// At most this many alarms are listed one by one; a last line counts the others.
inline constexpr std::size_t kMissedNoticeLines = 10;

// The box's text, lines joined by CR LF: the heading, then "yyyy/mm/dd hh:nn name" per alarm in
// the order given (the full name, line breaks left out), and "ほか N 件" for those not shown.
std::string MissedNoticeText(const std::vector<MissedAlarm>& missed);

}  // namespace pelmora
