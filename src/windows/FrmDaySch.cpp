#include "windows/FrmDaySch.h"

namespace pelmora {

ui::WindowSpec FrmDaySch::Layout() {
    return ui::WindowSpec{.name = "FrmDaySch",
                          .caption = "  今日のアラームスケジュール",
                          .clientWidth = 3615,
                          .clientHeight = 4965,
                          .border = ui::Border::FixedSingle};
}

FrmDaySch::FrmDaySch(ui::Platform& platform) : Form(platform, Layout()) {}

}  // namespace pelmora
