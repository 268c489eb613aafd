// Code page 932 through glibc's iconv.
#include <errno.h>
#include <iconv.h>

#include "platform/text.h"

namespace pelmora::backend {
namespace {

// A conversion descriptor, opened once per thread and direction: opening one costs far more than
// converting a line, and the damaged-text path converts character by character.
class Iconv {
  public:
    Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Iconv() {
        if (valid()) {
            iconv_close(cd_);
        }
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;

    bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    bool Convert(std::string_view in, std::string& out) {
        out.clear();
        if (!valid()) {
            return false;
        }
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
        char* src = const_cast<char*>(in.data());
        std::size_t srcLeft = in.size();
        char buffer[4096];
        while (srcLeft > 0) {
            char* dst = buffer;
            std::size_t dstLeft = sizeof buffer;
            const std::size_t r = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            out.append(buffer, dst);
            if (r == static_cast<std::size_t>(-1) && errno != E2BIG) {
                return false;  // EILSEQ or EINVAL: invalid or incomplete input
            }
            if (r != static_cast<std::size_t>(-1) && r != 0) {
                return false;  // irreversible conversions: something was approximated
            }
        }
        char* dst = buffer;
        std::size_t dstLeft = sizeof buffer;
        if (iconv(cd_, nullptr, nullptr, &dst, &dstLeft) == static_cast<std::size_t>(-1)) {
            return false;
        }
        out.append(buffer, dst);
        return true;
    }

  private:
    iconv_t cd_;
};

}  // namespace

bool DecodeCp932Strict(std::string_view bytes, std::string& out) {
    thread_local Iconv decoder("UTF-8", "CP932");
    return decoder.Convert(bytes, out);
}

bool EncodeCp932Strict(std::string_view utf8, std::string& out) {
    thread_local Iconv encoder("CP932", "UTF-8");
    return encoder.Convert(utf8, out);
}

}  // namespace pelmora::backend
