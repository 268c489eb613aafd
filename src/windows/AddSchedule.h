#pragma once
// What the two add dialogs share: their messages, and the checks and saving of a new entry.
#include <functional>
#include <string>
#include <string_view>

#include "platform/ui.h"
#include "store/ScheduleTables.h"
#include "windows/ScheduleHost.h"

namespace pelmora {

inline constexpr std::string_view kCapacityText = "スケジュールは100件までです。";
inline constexpr std::string_view kNameText = "スケジュール名を入力してください。";
inline constexpr std::string_view kInvalidNumberText =
    "入力された数値が不正です。確認してください。";
inline constexpr std::string_view kDuplicateText = "同じ時間に二重の予約はできません。";
inline constexpr std::string_view kWarningTitle = "警告";
inline constexpr std::string_view kAddedText = "スケジュールを追加しました。";
inline constexpr std::string_view kAddedTitle = "新規追加完了";

// A drop-down box of the dialogs' row of boxes.
ui::ControlSpec DropDownAt(std::string name, int left, int width, int tabIndex);

// The number of a combo box's selected entry; nothing when no entry is selected or the entry
// is not a signed 16-bit number.
std::optional<int> SelectedNumber(const ui::ComboBox& box);

// Fills a combo box with the numbers first to last and selects `selected` (raising its pick).
void FillNumbers(ui::ComboBox& box, int first, int last, int selected);

// Saves the tables after an entry was appended. On failure the entry is taken out again
// (`takeBack`), so the tables match the file, and the user is told; false then.
bool SaveNewEntry(ui::Platform& platform, ScheduleHost& host,
                  const std::function<void()>& takeBack);

// Either table full: no addition to either.
bool TablesFull(const ScheduleTables& tables);

}  // namespace pelmora
