#include "windows/AddNewYobi.h"

namespace pelmora {

ui::WindowSpec AddNewYobi::Layout() {
    return ui::WindowSpec{.name = "AddNewYobi",
                          .caption = "   アラームスケジュールの追加",
                          .clientWidth = 4065,
                          .clientHeight = 1770,
                          .border = ui::Border::FixedSingle};
}

AddNewYobi::AddNewYobi(ui::Platform& platform) : Form(platform, Layout()) {}

}  // namespace pelmora
