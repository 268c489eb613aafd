#pragma once
// A file's path as UTF-8 text. The Windows backend hands it to the wide API as UTF-16; elsewhere
// its bytes are the name. The program only ever joins its own folder with a file name, so that
// is all a path does; it needs none of the C++ locale machinery that std::filesystem::path
// brings into a Windows program.
#include <compare>
#include <string>
#include <string_view>

namespace pelmora {

class Path {
  public:
#ifdef _WIN32
    static constexpr char Separator = '\\';
#else
    static constexpr char Separator = '/';
#endif

    Path() = default;
    Path(std::string utf8) : text_(std::move(utf8)) {}
    Path(std::string_view utf8) : text_(utf8) {}
    Path(const char* utf8) : text_(utf8) {}

    const std::string& Utf8() const {
        return text_;
    }

    // `name` inside this folder: one separator between them.
    friend Path operator/(const Path& folder, std::string_view name) {
        std::string joined = folder.text_;
        if (!joined.empty() && !IsSeparator(joined.back())) {
            joined += Separator;
        }
        joined += name;
        return Path(std::move(joined));
    }

    // The last component: the text after the last separator.
    std::string_view FileName() const {
        const std::size_t cut = LastSeparator();
        return std::string_view(text_).substr(cut == std::string::npos ? 0 : cut + 1);
    }
    // The folder that holds this path: the text before the last separator.
    Path Folder() const {
        const std::size_t cut = LastSeparator();
        return cut == std::string::npos ? Path() : Path(text_.substr(0, cut));
    }
    // With forward slashes only, for logs that read the same on every platform.
    std::string Generic() const {
        std::string generic = text_;
        for (char& c : generic) {
            if (IsSeparator(c)) {
                c = '/';
            }
        }
        return generic;
    }

    friend bool operator==(const Path&, const Path&) = default;
    friend std::strong_ordering operator<=>(const Path&, const Path&) = default;

  private:
    static constexpr bool IsSeparator(char c) {
        return c == '/' || c == Separator;
    }
    std::size_t LastSeparator() const {
        for (std::size_t i = text_.size(); i-- > 0;) {
            if (IsSeparator(text_[i])) {
                return i;
            }
        }
        return std::string::npos;
    }

    std::string text_;
};

}  // namespace pelmora
