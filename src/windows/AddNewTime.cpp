#include "windows/AddNewTime.h"

namespace pelmora {

ui::WindowSpec AddNewTime::Layout() {
    return ui::WindowSpec{.name = "AddNewTime",
                          .caption = "   アラームスケジュールの追加",
                          .clientWidth = 5025,
                          .clientHeight = 1770,
                          .border = ui::Border::FixedSingle};
}

AddNewTime::AddNewTime(ui::Platform& platform) : Form(platform, Layout()) {}

}  // namespace pelmora
