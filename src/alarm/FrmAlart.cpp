#include "alarm/FrmAlart.h"

namespace pelmora {

ui::WindowSpec FrmAlart::Layout() {
    return ui::WindowSpec{.name = "FrmAlart",
                          .caption = "  時間です。",
                          .clientWidth = 3015,
                          .clientHeight = 765,
                          .border = ui::Border::FixedDialog};
}

FrmAlart::FrmAlart(ui::Platform& platform) : Form(platform, Layout()) {}

}  // namespace pelmora
