#include "windows/AddSchedule.h"

#include <charconv>
#include <limits>

#include "store/ScheduleWriter.h"

namespace pelmora {

ui::ControlSpec DropDownAt(std::string name, int left, int width, int tabIndex) {
    return {.kind = ui::ControlKind::ComboBox,
            .name = std::move(name),
            .rect = {left, 795, width, 300},
            .tabIndex = tabIndex};
}

std::optional<int> SelectedNumber(const ui::ComboBox& box) {
    const int index = box.ListIndex();
    if (index < 0) {
        return std::nullopt;
    }
    const std::string entry = box.Item(index);
    int value = 0;
    const auto [end, error] = std::from_chars(entry.data(), entry.data() + entry.size(), value);
    if (error != std::errc{} || end != entry.data() + entry.size() ||
        value < std::numeric_limits<std::int16_t>::min() ||
        value > std::numeric_limits<std::int16_t>::max()) {
        return std::nullopt;
    }
    return value;
}

void FillNumbers(ui::ComboBox& box, int first, int last, int selected) {
    box.Clear();
    for (int n = first; n <= last; ++n) {
        box.AddItem(std::to_string(n));
    }
    box.SetListIndex(selected >= first && selected <= last ? selected - first : -1);
}

bool SaveNewEntry(ui::Platform& platform, ScheduleHost& host,
                  const std::function<void()>& takeBack) {
    if (!host.UpdateFile()) {
        return true;
    }
    takeBack();
    platform.MsgBox(WriteErrorText, WriteErrorTitle, ui::Buttons::Ok, ui::Icon::None);
    return false;
}

bool TablesFull(const ScheduleTables& tables) {
    return tables.DateCount() >= ScheduleCapacity || tables.WeekdayCount() >= ScheduleCapacity;
}

}  // namespace pelmora
