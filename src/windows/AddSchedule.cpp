#include "windows/AddSchedule.h"

#include <charconv>
#include <limits>

#include "platform/text.h"
#include "store/ScheduleWriter.h"
#include "store/TextMeasure.h"

namespace pelmora {

ui::ControlSpec DropDownAt(std::string name, int left, int width, int tabIndex) {
    return {.kind = ui::ControlKind::ComboBox,
            .name = std::move(name),
            .rect = {left, 795, width, 300},
            .tabIndex = tabIndex};
}

int HeldEntry(const ui::ComboBox& box) {
    const std::string text = TrimBlanks(box.Text());
    const int selected = box.ListIndex();
    if (selected >= 0 && box.Item(selected) == text) {
        return selected;
    }
    for (int i = 0; i < box.Count(); ++i) {
        if (box.Item(i) == text) {
            return i;
        }
    }
    return -1;
}

std::optional<int> HeldNumber(const ui::ComboBox& box) {
    const int index = HeldEntry(box);
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

std::optional<int> TakeNumber(ui::ComboBox& box) {
    const int index = HeldEntry(box);
    if (index >= 0 && index != box.ListIndex()) {
        box.SetListIndex(index);
    }
    return HeldNumber(box);
}

void FillNumbers(ui::ComboBox& box, int first, int last, int selected) {
    box.Clear();
    for (int n = first; n <= last; ++n) {
        box.AddItem(std::to_string(n));
    }
    box.SetListIndex(selected >= first && selected <= last ? selected - first : -1);
}

void Warn(ui::Platform& platform, std::string_view text, std::string_view title) {
    platform.MsgBox(text, title, ui::Buttons::Ok, ui::Icon::None);
}

bool FileCanHold(std::string_view name) {
    // The writer's own conversion, there and back. Each character the encoder cannot keep
    // exactly becomes one "?", which reads back as "?" and not as the character, so the text
    // differs exactly where something would be lost: a "?" the user typed is kept, and so is
    // "～" (U+FF5E), while "〜" (U+301C, which some converters write as the same bytes and
    // read back as "～"), U+FFFD and malformed text are not.
    return Cp932ToUtf8(Utf8ToCp932(name)) == name;
}

bool CheckRoomAndName(ui::Platform& platform, const ScheduleTables& tables, std::string_view name,
                      bool adding) {
    if (adding && (tables.DateFull() || tables.WeekdayFull())) {
        Warn(platform, kCapacityText, "");
        return false;
    }
    if (TrimBlanks(name).empty()) {
        Warn(platform, kNameText, kWarningTitle);
        return false;
    }
    if (!FileCanHold(name)) {
        Warn(platform, kUnholdableNameText, kWarningTitle);
        return false;
    }
    return true;
}

ui::ControlSpec NameBoxAt(std::string name, int tabIndex) {
    return {.kind = ui::ControlKind::TextBox,
            .name = std::move(name),
            .rect = {120, 315, 2295, 270},
            .tabIndex = tabIndex,
            .maxLength = kNameMaxLength};
}

void ChangedEntryGone(ui::Platform& platform, ScheduleHost& host, const ui::Window& dialog) {
    Warn(platform, kChangeGoneText, kWarningTitle);
    if (!dialog.Closed()) {
        host.mnuShowAllSch_Click();
    }
}

bool FinishSetting(ui::Platform& platform, ScheduleHost& host, ui::Window& dialog,
                   const Setting& setting) {
    if (host.UpdateFile()) {
        setting.takeBack();
        Warn(platform, WriteErrorText, WriteErrorTitle);
        return false;
    }
    if (setting.ringAt) {
        host.RingIfPassedOver(setting.name, *setting.ringAt);
    }
    Warn(platform,
         std::string(setting.changed ? kChangedText : kAddedText) + "\n\n" + setting.name + "\n" +
             setting.when,
         setting.changed ? kChangedTitle : kAddedTitle);
    if (dialog.Closed()) {
        return false;  // the program was ended while the confirmation was open
    }
    host.ShowListSelecting(setting.select);
    dialog.Hide();
    return true;
}

}  // namespace pelmora
