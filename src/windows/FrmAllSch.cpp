#include "windows/FrmAllSch.h"

namespace pelmora {

ui::WindowSpec FrmAllSch::Layout() {
    return ui::WindowSpec{.name = "FrmAllSch",
                          .caption = "  アラームスケジュールの一覧",
                          .clientWidth = 5385,
                          .clientHeight = 4665,
                          .border = ui::Border::FixedSingle};
}

FrmAllSch::FrmAllSch(ui::Platform& platform) : Form(platform, Layout()) {}

}  // namespace pelmora
