#include "shell/FrmOpening.h"

namespace pelmora {

ui::WindowSpec FrmOpening::Layout() {
    const ui::Font title{"ＭＳ Ｐゴシック", 12, true, 128};
    ui::ControlSpec pel = ui::LabelAt("Label1", "Pel", {840, 120, 825, 240});
    ui::ControlSpec mora = ui::LabelAt("Label3", "mora!", {1200, 360, 1020, 240});
    pel.font = mora.font = title;
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
            {.kind = ui::ControlKind::Image, .name = "Image1", .rect = {120, 120, 480, 480}},
            pel,
            mora,
            ui::LabelAt("Label2", "操作はタスクトレイからどうぞ", {120, 800, 2205, 180}),
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
