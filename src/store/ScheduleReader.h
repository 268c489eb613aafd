#pragma once
// Reading Alarm_List.txt into the tables.
//
// Format: code page 932 text, one schedule per line. A line ends at CR LF or a lone CR (a lone
// LF stays inside its line). Spaces, ideographic spaces and tabs are removed from the whole
// line, then it is split at ASCII commas (a comma at the very end opens no field):
//   name,code,hour,minute                   weekday line: field 2 one of the codes, any case
//   name,year,month,day,hour,minute         date line: any other line with a comma
// Lines without a comma are ignored. Fields beyond those are ignored, up to ten fields.
// The file may be UTF-8 as well (DecodeCp932OrUtf8 tells which); it is always written back in
// code page 932.
#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "platform/files.h"
#include "store/ScheduleTables.h"

namespace pelmora {

inline constexpr std::string_view ScheduleFileName = "Alarm_List.txt";

// The longest name a line may hold, in characters (the add dialogs' limit too): written back as
// "name, 2027, 12, 31, 23, 59" its line stays well within the 32,767 characters a line may have.
inline constexpr std::size_t MaxNameChars = 32000;

// Why a single line was dropped. Each is shown in a box titled LineMessageTitle.
enum class LineMessage {
    None,
    ListError,      // weekday line with a non-numeric hour or minute, or a name too long
    ScheduleError,  // date line with a non-numeric field, or a name too long
    NumberError,    // a number out of its range
    PastError,      // a date line earlier than now
};

inline constexpr std::string_view LineMessageTitle = "エラー";
std::string_view LineMessageText(LineMessage m);

// The read failure that ends the start-up.
inline constexpr std::string_view ReadErrorText =
    "Alarm_List.txtの読込み時にエラーが発生しました。"
    "アプリケーションと同じディレクトリに位置することを確認してください。";
inline constexpr std::string_view ReadErrorTitle = "ディスク読込みエラー";

enum class LineOutcome {
    Ignored,      // no comma, or a date line while the date table is full: no message
    Added,        // one entry appended
    Dropped,      // rejected with `message`
    ReadFailure,  // the load must stop: too long, eleven fields, or a 101st weekday entry
};

struct LineResult {
    LineOutcome outcome = LineOutcome::Ignored;
    LineMessage message = LineMessage::None;
    std::string strippedLine;          // the line without its blanks, as the message shows it
    std::optional<DateSchedule> past;  // a date line dropped as past: its entry

    // "message\nstripped line", the text of the box for a dropped line.
    std::string MessageBoxText() const;
};

// Parses one line (UTF-8, without its line end) and appends at most one entry. A date line is
// past when it is earlier than `now`.
LineResult Conv_LineText_to_Date(ScheduleTables& tables, std::string_view line,
                                 std::chrono::local_seconds now);

// Called for each dropped line, in file order.
using LineMessageSink = std::function<void(const LineResult&)>;

// The file as the start-up read it, for a backup before anything the user wrote is lost.
struct ReadFile {
    std::string bytes;  // exactly as read
    // The next rewrite would lose something the user wrote: a line was not loaded that was
    // more than a blank line or a past date line (a note, a line with a mistake, a date line
    // beyond a full table), or bytes were not Shift_JIS (a file saved in another encoding, or
    // read as UTF-8).
    bool needsBackup = false;
};

// Reads the file into `tables` (expected empty). False on a read failure: the file cannot be
// read or held in memory, or a line fails as above. Entries appended before a failure stay in
// the tables. The clock is read for each date line. With `read` given, it receives the file's
// bytes and whether they need a backup. With `held` given (the tables of a running program read
// again), a past date line equal to one of its date entries (rung, waiting for Exit's purge) is
// kept as it is there, without a message.
bool LoadScheduleFile(ScheduleTables& tables, Files& files, const Path& path, const Clock& clock,
                      const LineMessageSink& onMessage, ReadFile* read = nullptr,
                      const ScheduleTables* held = nullptr);
// The file's bytes, or nothing when it cannot be read or is too large to hold in memory.
std::optional<std::string> ReadScheduleBytes(Files& files, const Path& path);
// The same as LoadScheduleFile, from bytes already read.
bool LoadScheduleBytes(ScheduleTables& tables, const std::string& bytes, const Clock& clock,
                       const LineMessageSink& onMessage, ReadFile* read = nullptr,
                       const ScheduleTables* held = nullptr);

// Building blocks, exposed for tests.

// Splits decoded file text into lines: CR LF or lone CR end a line; LF is kept in the line;
// a last line without an end counts; nothing follows a final line end.
std::vector<std::string> SplitScheduleLines(std::string_view text);

// A numeric field: optional sign, digits with an optional fraction, optional exponent.
// Empty or anything else: nothing.
std::optional<double> ParseNumber(std::string_view field);

// Rounds to the nearest whole number, halves to the even neighbour.
double RoundHalfEven(double v);

}  // namespace pelmora
