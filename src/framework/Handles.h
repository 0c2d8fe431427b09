// One move-only owner per kind of system handle.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <utility>

namespace fw {

template <class H, class Traits>
class TUniqueHandle {
public:
    TUniqueHandle() = default;
    explicit TUniqueHandle(H h) : FHandle(h) {}
    ~TUniqueHandle() { Reset(); }
    TUniqueHandle(TUniqueHandle&& other) noexcept : FHandle(other.Release()) {}
    TUniqueHandle& operator=(TUniqueHandle&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    TUniqueHandle(const TUniqueHandle&) = delete;
    TUniqueHandle& operator=(const TUniqueHandle&) = delete;

    H Get() const { return FHandle; }
    explicit operator bool() const { return Traits::Valid(FHandle); }
    H Release() { return std::exchange(FHandle, Traits::Invalid()); }
    void Reset(H h = Traits::Invalid()) {
        if (Traits::Valid(FHandle)) Traits::Close(FHandle);
        FHandle = h;
    }
    // For APIs that return a handle through an out parameter.
    H* Put() { Reset(); return &FHandle; }

private:
    H FHandle = Traits::Invalid();
};

template <class H, auto CloseFn>
struct TNullTraits {
    static H Invalid() { return nullptr; }
    static bool Valid(H h) { return h != nullptr; }
    static void Close(H h) { CloseFn(h); }
};

struct TKernelTraits {
    static HANDLE Invalid() { return nullptr; }
    static bool Valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { ::CloseHandle(h); }
};

inline void CloseKey(HKEY h) { ::RegCloseKey(h); }
inline void DestroyIconHandle(HICON h) { ::DestroyIcon(h); }
inline void DeleteGdiObject(HGDIOBJ h) { ::DeleteObject(h); }
inline void DestroyMenuHandle(HMENU h) { ::DestroyMenu(h); }
inline void DestroyImageListHandle(HIMAGELIST h) { ::ImageList_Destroy(h); }
inline void DestroyWindowHandle(HWND h) { ::DestroyWindow(h); }

using THKey = TUniqueHandle<HKEY, TNullTraits<HKEY, CloseKey>>;
using THIcon = TUniqueHandle<HICON, TNullTraits<HICON, DestroyIconHandle>>;
using THFont = TUniqueHandle<HFONT, TNullTraits<HFONT, DeleteGdiObject>>;
using THBrush = TUniqueHandle<HBRUSH, TNullTraits<HBRUSH, DeleteGdiObject>>;
using THBitmap = TUniqueHandle<HBITMAP, TNullTraits<HBITMAP, DeleteGdiObject>>;
using THMenu = TUniqueHandle<HMENU, TNullTraits<HMENU, DestroyMenuHandle>>;
using THImageList = TUniqueHandle<HIMAGELIST, TNullTraits<HIMAGELIST, DestroyImageListHandle>>;
using THWnd = TUniqueHandle<HWND, TNullTraits<HWND, DestroyWindowHandle>>;
using THandle = TUniqueHandle<HANDLE, TKernelTraits>;

}  // namespace fw
