#include "store/ScheduleWriter.h"

#include "platform/text.h"

namespace pelmora {

std::string WithoutLineBreaks(std::string_view name) {
    std::string out;
    out.reserve(name.size());
    for (char c : name) {
        if (c != '\r' && c != '\n') {
            out += c;
        }
    }
    return out;
}

std::string SafeName(std::string_view name) {
    std::string out;
    for (char c : WithoutLineBreaks(name)) {
        if (c == ',') {
            out += "，";
        } else {
            out += c;
        }
    }
    return out;
}

namespace {

// A number with the space where its sign would stand: " 2027", " 5", " 0".
std::string Number(long long v) {
    std::string s(1, ' ');
    s += std::to_string(v);
    return s;
}

}  // namespace

std::string FormatScheduleFile(const ScheduleTables& tables) {
    using namespace std::chrono;
    std::string text;
    for (std::int16_t k = 1; k <= tables.DateCount(); ++k) {
        const DateSchedule& e = tables.Date(k);
        const local_days day = floor<days>(e.DateTime);
        const year_month_day ymd{day};
        const hh_mm_ss time{e.DateTime - day};
        text += SafeName(e.Name) + "," + Number(static_cast<int>(ymd.year())) + "," +
                Number(static_cast<unsigned>(ymd.month())) + "," +
                Number(static_cast<unsigned>(ymd.day())) + "," + Number(time.hours().count()) +
                "," + Number(time.minutes().count()) + "\r\n";
    }
    for (std::int16_t k = 1; k <= tables.WeekdayCount(); ++k) {
        const WeekdaySchedule& e = tables.Weekday(k);
        const hh_mm_ss time{e.TimeOfDay};
        text += SafeName(e.Name) + "," + e.Code + "," + Number(time.hours().count()) + "," +
                Number(time.minutes().count()) + "\r\n";
    }
    return text;
}

std::string ScheduleFileBytes(const ScheduleTables& tables) {
    std::string bytes = Utf8ToCp932(FormatScheduleFile(tables));
    // Code page 932 can happen to be well-formed UTF-8 with kanji ("遉ｺ", E7 A4 BA, is "示"),
    // which the reader would take for UTF-8. A last line of one ideographic space (81 40), blank
    // to the reader, keeps such a file code page 932: 0x81 never begins a UTF-8 character.
    if (DecodeCp932OrUtf8(bytes).utf8) {
        bytes += "\x81\x40\r\n";
    }
    return bytes;
}

std::optional<WriteError> UpdateFile(const ScheduleTables& tables, Files& files, const Path& path) {
    return files.Replace(path, ScheduleFileBytes(tables));
}

std::optional<WriteError> UpdateFile(const ScheduleTables& tables, Files& files, const Path& path,
                                     std::optional<std::string>& backup) {
    if (backup) {
        if (auto error = files.Replace(path.Folder() / BackupFileName, *backup)) {
            return error;
        }
        backup.reset();
    }
    return UpdateFile(tables, files, path);
}

}  // namespace pelmora
