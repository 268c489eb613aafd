#pragma once
// What the two schedule dialogs share: their messages, their number boxes, adding or changing,
// and the steps of "設定" that do not depend on the kind of entry.
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/ui.h"
#include "store/ScheduleReader.h"
#include "store/ScheduleTables.h"
#include "windows/ScheduleHost.h"

namespace pelmora {

inline constexpr std::string_view kCapacityText = "スケジュールは100件までです。";
inline constexpr std::string_view kNameText = "スケジュール名を入力してください。";
inline constexpr std::string_view kUnholdableNameText =
    "スケジュール名に使用できない文字が含まれています。";
inline constexpr std::string_view kInvalidNumberText =
    "入力された数値が不正です。確認してください。";
inline constexpr std::string_view kDuplicateText = "同じ時間に二重の予約はできません。";
inline constexpr std::string_view kWarningTitle = "警告";
inline constexpr std::string_view kAddedText = "スケジュールを追加しました。";
inline constexpr std::string_view kAddedTitle = "新規追加完了";
inline constexpr std::string_view kAddCaption = "   アラームスケジュールの追加";
inline constexpr std::string_view kChangeCaption = "   アラームスケジュールの変更";
inline constexpr std::string_view kChangedText = "スケジュールを変更しました。";
inline constexpr std::string_view kChangedTitle = "変更完了";
inline constexpr std::string_view kChangeGoneText = "変更するスケジュールが見つかりません。";

// What a dialog is open for: adding a schedule, or changing one entry. While a change is open the
// name box's text for adding is kept aside; it is back at the next addition unless the change
// was saved, whose name then stays in the box as an addition's does.
template <typename Entry>
class DialogPurpose {
  public:
    void ForAdding(ui::Window& dialog, ui::TextBox& name) {
        if (changing_) {
            name.SetText(addingName_);
            changing_.reset();
        }
        dialog.SetCaption(kAddCaption);
    }
    void ForChanging(ui::Window& dialog, ui::TextBox& name, const Entry& entry) {
        if (!changing_) {
            addingName_ = name.Text();
        }
        changing_ = entry;
        name.SetText(entry.Name);
        dialog.SetCaption(kChangeCaption);
    }
    void Saved() { changing_.reset(); }
    // What "設定" acts on: nothing while adding; while changing, the number of the entry being
    // changed in the tables as they now are (found by value), or 0 when it is gone.
    std::optional<std::int16_t> Target(const ScheduleTables& tables) const {
        if (!changing_) {
            return std::nullopt;
        }
        return tables.Find(*changing_).value_or(0);
    }
    // The entry being changed, as the dialog was opened with it; nothing while adding.
    const std::optional<Entry>& Changing() const { return changing_; }

  private:
    std::optional<Entry> changing_;
    std::string addingName_;
};

// A drop-down box of the dialogs' row of boxes.
ui::ControlSpec DropDownAt(std::string name, int left, int width, int tabIndex);

// The entry a drop-down box holds: the one its text equals, blanks ignored. That is the
// selected entry, or the one the user typed; -1 when the text is none of the box's entries.
int HeldEntry(const ui::ComboBox& box);
// The number of the entry a box holds; nothing when it holds none or the entry is not a signed
// 16-bit number.
std::optional<int> HeldNumber(const ui::ComboBox& box);
// The same for "設定": an entry that was typed is picked first, exactly as if the user had
// chosen it from the list.
std::optional<int> TakeNumber(ui::ComboBox& box);

// Fills a combo box with the numbers first to last and selects `selected` (raising its pick).
void FillNumbers(ui::ComboBox& box, int first, int last, int selected);

// A message box of the dialogs: an OK button and no icon (an empty title gives the program's).
void Warn(ui::Platform& platform, std::string_view text, std::string_view title);

// Whether Alarm_List.txt keeps the name as it is: every character is one of code page 932's.
bool FileCanHold(std::string_view name);

// The first checks of "設定": for an addition, room in both tables (either table full refuses
// an addition to either); then a name that is not blank once trimmed, then one the file can
// hold. `name` is the name the dialog would store. False after showing the refusal.
bool CheckRoomAndName(ui::Platform& platform, const ScheduleTables& tables, std::string_view name,
                      bool adding);

// A change whose entry is no longer there (the file was changed by another program and read
// again): the user is told, and the list window shows the tables as they now are.
void ChangedEntryGone(ui::Platform& platform, ScheduleHost& host, const ui::Window& dialog);

// The most characters a name box takes (pasted text is cut there): the longest name the reader
// keeps, whose written line stays within the 32,767 characters it takes.
inline constexpr int kNameMaxLength = static_cast<int>(MaxNameChars);

// The name box of a dialog at its place.
ui::ControlSpec NameBoxAt(std::string name, int tabIndex);

// What "設定" has done to the tables, and what the user is told of it.
struct Setting {
    bool changed = false;            // a change of an entry rather than an addition
    std::function<void()> takeBack;  // undoes it when the rewrite fails
    std::string name;                // the name stored
    std::string when;                // JapaneseWhen of the entry
    // Today's due second of the entry, unless the entry as it was was due then too (see
    // ScheduleHost::RingIfPassedOver).
    std::optional<std::chrono::local_seconds> ringAt;
    ScheduleSelection select;  // the lines the list window selects afterwards
};

// The last steps of "設定", once the tables hold the new or changed entry: the rewrite, a ring if
// the entry is due now, the confirmation (kAddedText or kChangedText, the name and `when` on
// lines of their own), then the list window refilled and shown and the dialog hidden; true then.
// When the rewrite fails, the tables are put back (`takeBack`) so that they match the file, the
// user is told, and the dialog stays open with its contents to try again: false. False as well
// when the program was ended while the confirmation was open: nothing is opened or hidden then.
bool FinishSetting(ui::Platform& platform, ScheduleHost& host, ui::Window& dialog,
                   const Setting& setting);

}  // namespace pelmora
