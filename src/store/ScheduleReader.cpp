#include "store/ScheduleReader.h"

#include <cmath>
#include <cstdlib>

#include "platform/text.h"
#include "store/WeekdayCode.h"

namespace pelmora {
namespace {

// Lines are measured in characters with 16-bit signed positions: a longer line, or one of
// exactly the limit that holds a comma, cannot be taken apart and ends the load.
constexpr std::size_t kMaxLineChars = 32767;
constexpr std::size_t kMaxFields = 10;

std::size_t CountChars(std::string_view utf8) {
    std::size_t chars = 0;
    for (std::size_t i = 0; i < utf8.size(); i += Utf8CharLength(utf8, i)) {
        ++chars;
    }
    return chars;
}

// Removes spaces, ideographic spaces and tabs wherever they stand.
std::string RemoveBlanks(std::string_view line) {
    constexpr std::string_view kIdeographicSpace = "\u3000";
    std::string out;
    out.reserve(line.size());
    for (std::size_t i = 0; i < line.size();) {
        if (line[i] == ' ' || line[i] == '\t') {
            ++i;
        } else if (line.substr(i).starts_with(kIdeographicSpace)) {
            i += kIdeographicSpace.size();
        } else {
            out += line[i++];
        }
    }
    return out;
}

// Splits at ASCII commas; a comma at the very end opens no field.
std::vector<std::string_view> SplitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = line.find(',', start);
        if (comma == std::string_view::npos) {
            if (start < line.size() || fields.empty()) {
                fields.push_back(line.substr(start));
            }
            return fields;
        }
        fields.push_back(line.substr(start, comma - start));
        start = comma + 1;
        if (start == line.size()) {
            return fields;
        }
    }
}

std::string UpperAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return out;
}

// A field's number: an absent field counts as 0, a present one must be numeric.
std::optional<double> FieldNumber(const std::vector<std::string_view>& fields, std::size_t n) {
    if (n > fields.size()) {
        return 0.0;
    }
    return ParseNumber(fields[n - 1]);
}

struct Range {
    double low;
    double high;
    bool Contains(double v) const { return v >= low && v <= high; }
};

constexpr Range kYear{2002, 2100};
constexpr Range kMonth{1, 12};
constexpr Range kDay{1, 31};
constexpr Range kHour{0, 23};
constexpr Range kMinute{0, 59};

int Whole(double v) {
    return static_cast<int>(RoundHalfEven(v));
}

LineResult Dropped(LineResult r, LineMessage m) {
    r.outcome = LineOutcome::Dropped;
    r.message = m;
    return r;
}

}  // namespace

std::string_view LineMessageText(LineMessage m) {
    switch (m) {
        case LineMessage::ListError:
            return "スケジュールリストにエラーがあります。";
        case LineMessage::ScheduleError:
            return "スケジュールにエラーがあります。";
        case LineMessage::NumberError:
            return "スケジュールの数値にミスがあります。";
        case LineMessage::PastError:
            return "過去のスケジュールは登録できません。";
        case LineMessage::None:
            break;
    }
    return {};
}

std::string LineResult::MessageBoxText() const {
    return std::string(LineMessageText(message)) + "\n" + strippedLine;
}

std::vector<std::string> SplitScheduleLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            lines.emplace_back(text.substr(start, i - start));
            if (i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
            start = i + 1;
        }
    }
    if (start < text.size()) {
        lines.emplace_back(text.substr(start));
    }
    return lines;
}

std::optional<double> ParseNumber(std::string_view field) {
    std::size_t i = 0;
    const auto digits = [&] {
        const std::size_t from = i;
        while (i < field.size() && field[i] >= '0' && field[i] <= '9') {
            ++i;
        }
        return i - from;
    };
    if (i < field.size() && (field[i] == '+' || field[i] == '-')) {
        ++i;
    }
    std::size_t mantissa = digits();
    if (i < field.size() && field[i] == '.') {
        ++i;
        mantissa += digits();
    }
    if (mantissa == 0) {
        return std::nullopt;
    }
    if (i < field.size() && (field[i] == 'e' || field[i] == 'E')) {
        ++i;
        if (i < field.size() && (field[i] == '+' || field[i] == '-')) {
            ++i;
        }
        if (digits() == 0) {
            return std::nullopt;
        }
    }
    if (i != field.size()) {
        return std::nullopt;
    }
    // The text is plain ASCII decimal by now, which strtod reads the same in the "C" locale the
    // program never leaves. Overflow gives infinity, which no range contains.
    const std::string copy(field);
    return std::strtod(copy.c_str(), nullptr);
}

double RoundHalfEven(double v) {
    const double below = std::floor(v);
    const double fraction = v - below;
    if (fraction > 0.5) {
        return below + 1;
    }
    if (fraction < 0.5) {
        return below;
    }
    return std::fmod(below, 2.0) == 0 ? below : below + 1;
}

LineResult Conv_LineText_to_Date(ScheduleTables& tables, std::string_view line,
                                 std::chrono::local_seconds now) {
    LineResult r;
    const std::size_t length = CountChars(line);
    const bool hasComma = line.find(',') != std::string_view::npos;
    if (length > kMaxLineChars || (length == kMaxLineChars && hasComma)) {
        r.outcome = LineOutcome::ReadFailure;
        return r;
    }
    if (!hasComma) {
        return r;
    }
    r.strippedLine = RemoveBlanks(line);
    const std::vector<std::string_view> fields = SplitFields(r.strippedLine);
    if (fields.size() > kMaxFields) {
        r.outcome = LineOutcome::ReadFailure;
        return r;
    }
    const std::string code = fields.size() >= 2 ? UpperAscii(fields[1]) : std::string{};
    const std::string name(fields[0]);

    // A longer name would not fit its line once written back with its numbers' blanks.
    const bool nameTooLong = CountChars(name) > MaxNameChars;

    if (WeekDayString(code) != NotACodeNumber) {
        if (nameTooLong) {
            return Dropped(std::move(r), LineMessage::ListError);
        }
        const auto hour = FieldNumber(fields, 3);
        const auto minute = FieldNumber(fields, 4);
        if (!hour || !minute) {
            return Dropped(std::move(r), LineMessage::ListError);
        }
        if (!kHour.Contains(*hour) || !kMinute.Contains(*minute)) {
            return Dropped(std::move(r), LineMessage::NumberError);
        }
        const WeekdaySchedule entry{
            name, code, std::chrono::hours{Whole(*hour)} + std::chrono::minutes{Whole(*minute)}};
        // A 101st weekday entry cannot be kept and cannot be dropped silently either: it ends the
        // load, and the file stays as it is for the user to mend.
        r.outcome = tables.AppendWeekday(entry) ? LineOutcome::Added : LineOutcome::ReadFailure;
        return r;
    }

    // Once the date table is full, later date lines are passed over without a word, whatever
    // they hold; weekday lines further down are still read.
    if (tables.DateFull()) {
        return r;
    }
    if (nameTooLong) {
        return Dropped(std::move(r), LineMessage::ScheduleError);
    }
    std::optional<double> parts[5];
    for (std::size_t n = 2; n <= 6; ++n) {
        parts[n - 2] = FieldNumber(fields, n);
        if (!parts[n - 2]) {
            return Dropped(std::move(r), LineMessage::ScheduleError);
        }
    }
    const double year = *parts[0], month = *parts[1], day = *parts[2], hour = *parts[3],
                 minute = *parts[4];
    if (!kYear.Contains(year) || !kMonth.Contains(month) || !kDay.Contains(day) ||
        !kHour.Contains(hour) || !kMinute.Contains(minute)) {
        return Dropped(std::move(r), LineMessage::NumberError);
    }
    const auto when =
        MakeLocalTime(Whole(year), Whole(month), Whole(day), Whole(hour), Whole(minute));
    if (when < now) {
        r.past = DateSchedule{name, when};
        return Dropped(std::move(r), LineMessage::PastError);
    }
    tables.AppendDate(DateSchedule{name, when});
    r.outcome = LineOutcome::Added;
    return r;
}

std::optional<std::string> ReadScheduleBytes(Files& files, const Path& path) {
    // A file too large to hold is a read failure like any other.
    try {
        return files.ReadAll(path);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    } catch (const std::length_error&) {
        return std::nullopt;
    }
}

bool LoadScheduleFile(ScheduleTables& tables, Files& files, const Path& path, const Clock& clock,
                      const LineMessageSink& onMessage, ReadFile* read,
                      const ScheduleTables* held) {
    const std::optional<std::string> bytes = ReadScheduleBytes(files, path);
    return bytes && LoadScheduleBytes(tables, *bytes, clock, onMessage, read, held);
}

bool LoadScheduleBytes(ScheduleTables& tables, const std::string& bytes, const Clock& clock,
                       const LineMessageSink& onMessage, ReadFile* read,
                       const ScheduleTables* held) {
    const auto isHeld = [held](const DateSchedule& e) {
        for (std::int16_t i = 1; held && i <= held->DateCount(); ++i) {
            if (held->Date(i) == e) {
                return true;
            }
        }
        return false;
    };
    // A file too large to decode is a read failure like any other.
    try {
        // A file in UTF-8 is written back in code page 932, where its names may lose characters.
        const DecodedText decoded = DecodeCp932OrUtf8(bytes);
        bool skipped =
            decoded.utf8 || decoded.text.find(kReplacementCharacter) != std::string::npos;
        for (const std::string& line : SplitScheduleLines(decoded.text)) {
            const LineResult r = Conv_LineText_to_Date(tables, line, clock.Now());
            if (r.outcome == LineOutcome::ReadFailure) {
                return false;
            }
            if (r.outcome == LineOutcome::Dropped && r.past && isHeld(*r.past)) {
                tables.AppendDate(*r.past);  // rung already, it waits for Exit's purge
                continue;
            }
            if (r.outcome == LineOutcome::Dropped) {
                skipped = skipped || r.message != LineMessage::PastError;
                if (onMessage) {
                    onMessage(r);
                }
            } else if (r.outcome == LineOutcome::Ignored) {
                skipped = skipped || !RemoveBlanks(line).empty();
            }
        }
        if (read) {
            *read = ReadFile{bytes, skipped};
        }
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
}

}  // namespace pelmora
