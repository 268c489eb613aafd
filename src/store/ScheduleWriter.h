#pragma once
// Writing the tables back to Alarm_List.txt.
//
// The file holds one line per date entry, in table order, then one per weekday entry, each
// ending in CR LF, in code page 932. Every number is written with one space in front of it
// (where a sign would stand) and without leading zeros:
//   Dentist, 2027, 1, 5, 14, 0
//   Garbage,MON, 7, 0
// A comma in a name is written as the full-width comma "，", so a name never adds fields, and
// a line break in a name is left out, so a name never splits its line. Where the bytes could be
// taken for UTF-8 (see DecodeCp932OrUtf8), a last line of one ideographic space follows.
#include <optional>
#include <string>
#include <string_view>

#include "platform/files.h"
#include "store/ScheduleTables.h"

namespace pelmora {

// What the user is told when a rewrite fails.
inline constexpr std::string_view WriteErrorText =
    "Alarm_List.txtの書込み時にエラーが発生しました。";
inline constexpr std::string_view WriteErrorTitle = "ディスク書込みエラー";

// A name as the file can hold it. The file has no escape for a comma, so every ASCII comma
// becomes the full-width "，" instead of splitting the line into more fields at the next start;
// it has none for a line break either, so CR and LF are left out. The writer applies it to
// every name; the add dialogs store their names in this form already, so the user sees what is
// kept.
std::string SafeName(std::string_view name);
// The name without its CRs and LFs (pasted text may bring them).
std::string WithoutLineBreaks(std::string_view name);

// The file's text (UTF-8, CR LF line ends).
std::string FormatScheduleFile(const ScheduleTables& tables);
// The file's bytes: that text in code page 932, and a blank last line where those bytes would
// read as UTF-8 otherwise.
std::string ScheduleFileBytes(const ScheduleTables& tables);

// Rewrites the file from the tables, atomically: on failure the old file stays as it was.
std::optional<WriteError> UpdateFile(const ScheduleTables& tables, Files& files, const Path& path);

// The copy of the file kept beside it before a rewrite would lose lines the start-up skipped.
inline constexpr std::string_view BackupFileName = "Alarm_List.bak";

// UpdateFile, with the start-up's file in `backup` when it had skipped lines: that is saved
// first, byte for byte, as Alarm_List.bak in the same folder, and then `backup` is emptied so
// that later rewrites leave it alone. If it cannot be saved, the file is not rewritten either.
std::optional<WriteError> UpdateFile(const ScheduleTables& tables, Files& files, const Path& path,
                                     std::optional<std::string>& backup);

}  // namespace pelmora
