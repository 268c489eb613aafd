#include "alarm/FrmAlart.h"

#include "platform/text.h"
#include "store/TextMeasure.h"

namespace pelmora {
namespace {

// The first n characters of a UTF-8 text.
std::string_view FirstChars(std::string_view s, std::size_t n) {
    std::size_t i = 0;
    for (std::size_t chars = 0; i < s.size() && chars < n; ++chars) {
        i += Utf8CharLength(s, i);
    }
    return s.substr(0, i);
}

}  // namespace

std::string ShortAlarmName(std::string_view name) {
    // The test counts bytes, the cut counts characters.
    if (LenByte(name) < 25) {
        return std::string(FirstChars(name, 12));
    }
    return std::string(FirstChars(name, 11)) + "...";
}

ui::WindowSpec FrmAlart::Layout() {
    // Wide enough for the twelve double-byte characters of the longest name shown whole (144
    // pixels of a 9 pt font at 96 DPI), up to the button's left edge.
    ui::ControlSpec name = ui::LabelAt("Label1", "", {120, 120, 2160, 180});
    name.centred = true;
    return ui::WindowSpec{
        .name = "FrmAlart",
        .caption = "  時間です。",
        .clientWidth = 3015,
        .clientHeight = 765,
        .border = ui::Border::FixedDialog,
        .controls =
            {
                ui::ButtonAt("Command1", "了解", {2280, 240, 615, 375}, 0),
                name,
                ui::LabelAt("Label2", "の時間になりました。", {360, 480, 1590, 180}),
            },
        .escapeButton = "Command1"};
}

FrmAlart::FrmAlart(ui::Platform& platform)
    : Form(platform, Layout()),
      Label1(window().GetLabel("Label1")),
      Timer1(window().AddTimer("Timer1", 15000, false)) {
    window().GetButton("Command1").Click = [this] { Command1_Click(); };
    Timer1.Tick = [this] { Timer1_Timer(); };
}

void FrmAlart::Command1_Click() {
    CloseAlarm();
}

void FrmAlart::Timer1_Timer() {
    CloseAlarm();
}

// The window is only hidden and keeps its text; the sound plays on to its end.
void FrmAlart::CloseAlarm() {
    if (Next && Next()) {
        return;
    }
    window().Hide();
    Timer1.SetEnabled(false);
}

}  // namespace pelmora
