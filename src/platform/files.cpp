#include "platform/files.h"

namespace pelmora {

std::optional<std::string> MemoryFiles::ReadAll(const Path& path) {
    const auto it = contents.find(path);
    if (it == contents.end()) {
        return std::nullopt;
    }
    return it->second;
}

std::optional<WriteError> MemoryFiles::Replace(const Path& path, std::string_view bytes) {
    for (WriteStep step :
         {WriteStep::CreateTemp, WriteStep::Write, WriteStep::Flush, WriteStep::Replace}) {
        if (failAt && failAt(step)) {
            return WriteError{step, 0};
        }
    }
    contents[path] = std::string(bytes);
    return std::nullopt;
}

}  // namespace pelmora
