#pragma once
// What the two add dialogs share: their messages, their number boxes, and the steps of "設定"
// that do not depend on the kind of entry.
#include <functional>
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

// The first checks of "設定": room in both tables (either table full refuses an addition to
// either), then a name that is not blank once trimmed, then one the file can hold. `name` is the
// name the dialog would store. False after showing the refusal.
bool CheckRoomAndName(ui::Platform& platform, const ScheduleTables& tables, std::string_view name);

// The most characters a name box takes (pasted text is cut there): the longest name the reader
// keeps, whose written line stays within the 32,767 characters it takes.
inline constexpr int kNameMaxLength = static_cast<int>(MaxNameChars);

// The name box of a dialog at its place.
ui::ControlSpec NameBoxAt(std::string name, int tabIndex);

// The last steps of "設定", once the new entry has been appended: the rewrite, a ring if the
// entry is due now (`dueToday`, see ScheduleHost::RingIfPassedOver), the confirmation
// (kAddedText, `name` and `when` on lines of their own), then the list window refilled and shown
// and the dialog hidden; true then. When the rewrite fails, the entry is taken out again
// (`takeBack`) so that the tables match the file, the user is told, and the dialog stays open
// with its contents to try again: false. False as well when the program was ended while the
// confirmation was open: nothing is opened or hidden then.
bool FinishAddition(ui::Platform& platform, ScheduleHost& host, ui::Window& dialog,
                    const std::function<void()>& takeBack, const std::string& name,
                    std::string_view when, std::optional<std::chrono::local_seconds> dueToday);

}  // namespace pelmora
