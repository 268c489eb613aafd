#include "shell/FrmOpening.h"

namespace pelmora {

ui::WindowSpec FrmOpening::Layout() {
    using ui::ControlKind;
    const ui::Font title{"ＭＳ Ｐゴシック", 12, true, 128};
    return ui::WindowSpec{
        .name = "FrmOpening",
        .caption = " ",
        .clientWidth = 2445,
        .clientHeight = 1020,
        .border = ui::Border::FixedSingle,
        .centred = true,
        .hasIcon = false,
        .inTaskbar = false,
        .controls = {
            {.kind = ControlKind::Image, .name = "Image1", .rect = {120, 120, 480, 480}},
            {.kind = ControlKind::Label,
             .name = "Label1",
             .caption = "Pel",
             .rect = {840, 120, 825, 240},
             .font = title},
            {.kind = ControlKind::Label,
             .name = "Label3",
             .caption = "mora!",
             .rect = {1200, 360, 1020, 240},
             .font = title},
            {.kind = ControlKind::Label,
             .name = "Label2",
             .caption = "操作はタスクトレイからどうぞ",
             .rect = {120, 800, 2205, 180}},
        }};
}

FrmOpening::FrmOpening(ui::Platform& platform)
    : Form(platform, Layout()), Timer1(window().AddTimer("Timer1", 2500, false)) {
    Timer1.Tick = [this] { Timer1_Timer(); };
}

void FrmOpening::Timer1_Timer() {
    window().Close();
}

}  // namespace pelmora
