#pragma once
// One owner type for every kind of Win32 handle the program holds: the handle is released when
// its owner goes, and an owner can be moved but not copied.
#include <windows.h>

#include <utility>

namespace pelmora::win32 {

template <typename Traits>
class Owned {
  public:
    using Handle = typename Traits::Handle;

    Owned() = default;
    explicit Owned(Handle h) : h_(h) {}
    ~Owned() { Close(); }
    Owned(Owned&& other) noexcept : h_(other.Release()) {}
    Owned& operator=(Owned&& other) noexcept {
        if (this != &other) {
            Reset(other.Release());
        }
        return *this;
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;

    Handle get() const { return h_; }
    bool valid() const { return h_ != Traits::Invalid(); }
    explicit operator bool() const { return valid(); }

    void Reset(Handle h = Traits::Invalid()) {
        Close();
        h_ = h;
    }
    // Lets go of the handle without releasing it.
    Handle Release() { return std::exchange(h_, Traits::Invalid()); }
    // Releases the handle now; false when the system reports a failure (a file's last writes).
    bool Close() {
        const Handle h = Release();
        return h == Traits::Invalid() || Traits::Close(h);
    }

  private:
    Handle h_ = Traits::Invalid();
};

struct WindowTraits {
    using Handle = HWND;
    static HWND Invalid() { return nullptr; }
    static bool Close(HWND h) { return DestroyWindow(h) != 0; }
};
struct FontTraits {
    using Handle = HFONT;
    static HFONT Invalid() { return nullptr; }
    static bool Close(HFONT h) { return DeleteObject(h) != 0; }
};
struct MenuTraits {
    using Handle = HMENU;
    static HMENU Invalid() { return nullptr; }
    static bool Close(HMENU h) { return DestroyMenu(h) != 0; }
};
// Files: CreateFileW reports failure as INVALID_HANDLE_VALUE.
struct FileTraits {
    using Handle = HANDLE;
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static bool Close(HANDLE h) { return CloseHandle(h) != 0; }
};
// Kernel objects other than files (the single-instance mutex): failure is a null handle.
struct KernelTraits {
    using Handle = HANDLE;
    static HANDLE Invalid() { return nullptr; }
    static bool Close(HANDLE h) { return CloseHandle(h) != 0; }
};

using WindowHandle = Owned<WindowTraits>;
using FontHandle = Owned<FontTraits>;
using MenuHandle = Owned<MenuTraits>;
using FileHandle = Owned<FileTraits>;
using KernelHandle = Owned<KernelTraits>;

}  // namespace pelmora::win32
