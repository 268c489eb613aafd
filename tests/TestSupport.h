#pragma once
// Helpers shared by the store tests: expected date-times built without the code under test,
// byte-exact file access and a throw-away folder.
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "platform/path.h"

namespace pelmora::support {

// A local date-time from a valid calendar date.
inline std::chrono::local_seconds At(int y, unsigned m, unsigned d, int h, int mi, int s = 0) {
    using namespace std::chrono;
    return local_days{year{y} / month{m} / day{d}} + hours{h} + minutes{mi} + seconds{s};
}

inline std::chrono::seconds Hm(int h, int mi) {
    return std::chrono::hours{h} + std::chrono::minutes{mi};
}

// The program's paths are UTF-8 text; the tests reach the same files through the library.
inline std::filesystem::path Native(const pelmora::Path& p) {
    const std::string& utf8 = p.Utf8();
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}
inline pelmora::Path FromNative(const std::filesystem::path& p) {
    const std::u8string utf8 = p.u8string();
    return pelmora::Path(std::string(utf8.begin(), utf8.end()));
}

inline std::string ReadBytes(const pelmora::Path& p) {
    std::ifstream in(Native(p), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const pelmora::Path& p, const std::string& bytes) {
    std::ofstream(Native(p), std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
}

inline std::string TestData(const std::string& name) {
    return ReadBytes(pelmora::Path(PELMORA_TEST_DATA) / name);
}

// A fresh folder under the system's temporary directory, removed with its content.
class TempDir {
  public:
    TempDir() {
        std::mt19937_64 gen(std::random_device{}());
        do {
            path_ = std::filesystem::temp_directory_path() /
                    ("pelmora-test-" + std::to_string(gen() % 1000000000000ULL));
        } while (!std::filesystem::create_directory(path_));
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    pelmora::Path Path() const { return FromNative(path_); }

    // The names of the files in the folder, sorted.
    std::vector<std::string> Listing() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(path_)) {
            names.push_back(e.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

  private:
    std::filesystem::path path_;
};

}  // namespace pelmora::support
