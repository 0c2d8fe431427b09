#include "framework/ExtCtrls.h"

#include <utility>

namespace fw {

// ---- TPanel ----

TPanel::TPanel(TComponent* AOwner) : TWinControl(AOwner) {}

void TPanel::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.Style |= WS_CLIPCHILDREN;
    params.ExStyle |= WS_EX_CONTROLPARENT;  // Tab walks into the children
}

void TPanel::SetBevelOuter(TBevelCut value) {
    if (FBevelOuter == value) return;
    FBevelOuter = value;
    Invalidate();
}

void TPanel::SetBevelInner(TBevelCut value) {
    if (FBevelInner == value) return;
    FBevelInner = value;
    Invalidate();
}

void TPanel::Paint(HDC dc) {
    auto edge = [](TBevelCut cut, UINT raised, UINT lowered) {
        return cut == TBevelCut::bvRaised ? raised : cut == TBevelCut::bvLowered ? lowered : 0u;
    };
    // The outer bevel takes the outermost pixels, the inner one those just inside it.
    const UINT flags = edge(FBevelOuter, BDR_RAISEDOUTER, BDR_SUNKENOUTER) |
                       edge(FBevelInner, BDR_RAISEDINNER, BDR_SUNKENINNER);
    if (flags == 0) return;
    RECT rc;
    ::GetClientRect(FHandle, &rc);
    ::DrawEdge(dc, &rc, flags, BF_RECT);
}

LRESULT TPanel::ControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(hwnd, &ps);
        Paint(dc);
        ::EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_PRINTCLIENT: {
        FillBackground(hwnd, reinterpret_cast<HDC>(wParam));
        Paint(reinterpret_cast<HDC>(wParam));
        return 0;
    }
    case WM_SIZE:
        Invalidate();  // the bevel runs along the edges
        break;
    default:
        break;
    }
    return TWinControl::ControlProc(hwnd, msg, wParam, lParam);
}

// ---- TImage ----

TImage::TImage(TComponent* AOwner) : TWinControl(AOwner) {}

void TImage::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.WinClassName = "STATIC";
    params.Style |= SS_OWNERDRAW;
}

void TImage::CreateWnd() {
    TWinControl::CreateWnd();
    LoadResourceIcon();  // now at the size the window has
}

void TImage::ScaleChanged() {
    TWinControl::ScaleChanged();
    LoadResourceIcon();
}

void TImage::SetIcon(HICON value) {
    if (FIcon == value) return;
    FResource.clear();
    FOwned.Reset();
    FIcon = value;
    Invalidate();
}

void TImage::SetIcon(THIcon value) {
    FResource.clear();
    FOwned = std::move(value);
    FIcon = FOwned.Get();
    Invalidate();
}

void TImage::SetIconResource(const std::string& name) {
    if (FResource == name) return;
    if (name.empty()) {
        SetIcon(nullptr);
        return;
    }
    FResource = name;
    LoadResourceIcon();
}

void TImage::LoadResourceIcon() {
    if (FResource.empty()) return;
    const RECT r = ScaledBounds();
    FOwned.Reset(static_cast<HICON>(::LoadImageA(::GetModuleHandleA(nullptr), FResource.c_str(),
                                                 IMAGE_ICON, r.right - r.left, r.bottom - r.top,
                                                 LR_DEFAULTCOLOR)));
    FIcon = FOwned.Get();
    Invalidate();
}

void TImage::CNDrawItem(const DRAWITEMSTRUCT& item) {
    const RECT& r = item.rcItem;
    ::FillRect(item.hDC, &r, BackgroundBrush());
    if (FIcon)
        ::DrawIconEx(item.hDC, r.left, r.top, FIcon, r.right - r.left, r.bottom - r.top, 0, nullptr,
                     DI_NORMAL);
}

}  // namespace fw
