#include "store/TextMeasure.h"

#include <limits>

#include "platform/text.h"

namespace pelmora {

std::int16_t LenByte(std::string_view s) {
    // Unrepresentable characters become one "?" in the conversion, so the byte count of the
    // converted text is the measure.
    const std::size_t n = Utf8ToCp932(s).size();
    constexpr std::size_t kMax = std::numeric_limits<std::int16_t>::max();
    return static_cast<std::int16_t>(n > kMax ? kMax : n);
}

std::string TrimBlanks(std::string_view s) {
    constexpr std::string_view kIdeographicSpace = "\u3000";
    for (;;) {
        if (s.starts_with(' ')) {
            s.remove_prefix(1);
        } else if (s.starts_with(kIdeographicSpace)) {
            s.remove_prefix(kIdeographicSpace.size());
        } else {
            break;
        }
    }
    for (;;) {
        if (s.ends_with(' ')) {
            s.remove_suffix(1);
        } else if (s.ends_with(kIdeographicSpace)) {
            s.remove_suffix(kIdeographicSpace.size());
        } else {
            break;
        }
    }
    return std::string(s);
}

}  // namespace pelmora
