// Windowed controls: a component that owns one system window inside a parent control.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/Component.h"
#include "framework/Events.h"
#include "framework/Handles.h"
#include "framework/Window.h"

namespace fw {

class TForm;

enum class TAlign { alNone, alClient };
enum class TAlignment { taLeftJustify, taRightJustify, taCenter };
enum class TCursor { crDefault, crHandPoint };

// Font style bits; a control draws with the form's font in the style it asks for.
enum TFontStyle : std::uint8_t { fsBold = 1 << 0, fsUnderline = 1 << 1 };
using TFontStyles = std::uint8_t;

// Colours are RGB values, or a system colour with the high bit set, or clDefault.
constexpr COLORREF clDefault = CLR_INVALID;
constexpr COLORREF clSystemColor = 0x80000000;
constexpr COLORREF clBtnFace = clSystemColor | COLOR_BTNFACE;
constexpr COLORREF clWindow = clSystemColor | COLOR_WINDOW;
constexpr COLORREF clWindowText = clSystemColor | COLOR_WINDOWTEXT;
constexpr COLORREF clBlue = RGB(0, 0, 255);
constexpr COLORREF clWhite = RGB(255, 255, 255);
// The RGB value of a colour; clDefault gives the system's window text colour.
COLORREF ColorToRGB(COLORREF color);

// True when the caption marks key as its mnemonic ("&Save" for s or S).
bool IsAccel(char key, const std::string& caption);

// Bounds are design pixels at 96 DPI; the window gets them scaled to its own DPI.
struct TBounds {
    int Left = 0, Top = 0, Width = 0, Height = 0;
};

class TWinControl : public TComponent, public TWndTarget {
public:
    explicit TWinControl(TComponent* AOwner);
    ~TWinControl() override;
    std::string ClassName() const override { return "TWinControl"; }

    TWinControl* Parent() const { return FParent; }
    void SetParent(TWinControl* value);
    TForm* ParentForm();

    HWND Handle();  // creates the window when it does not exist yet
    bool HandleAllocated() const { return FHandle != nullptr; }
    void HandleNeeded() { Handle(); }
    void DestroyHandle();

    const TBounds& Bounds() const { return FBounds; }
    void SetBounds(int left, int top, int width, int height);
    int Left() const { return FBounds.Left; }
    int Top() const { return FBounds.Top; }
    int Width() const { return FBounds.Width; }
    int Height() const { return FBounds.Height; }
    TAlign Align() const { return FAlign; }
    void SetAlign(TAlign value);

    bool Visible() const { return FVisible; }
    virtual void SetVisible(bool value);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool value);
    const std::string& Caption() const { return FCaption; }
    void SetCaption(const std::string& value);
    bool TabStop() const { return FTabStop; }
    void SetTabStop(bool value);
    // Siblings take the focus by Tab in ascending TabOrder; -1 (the default) and ties follow
    // in creation order. The window order among siblings follows it.
    int TabOrder() const { return FTabOrder; }
    void SetTabOrder(int value);

    TFontStyles FontStyle() const { return FFontStyle; }
    void SetFontStyle(TFontStyles value);
    bool FontBold() const { return (FFontStyle & fsBold) != 0; }
    void SetFontBold(bool value);
    // Text colour; clDefault leaves it to the system.
    COLORREF FontColor() const { return FFontColor; }
    void SetFontColor(COLORREF value);
    // Background colour; clDefault shows the parent's.
    COLORREF Color() const { return FColor; }
    void SetColor(COLORREF value);
    // The colour and brush the background shows: the control's own or its parent's.
    COLORREF BackgroundColor() const;
    HBRUSH BackgroundBrush() const;
    TCursor Cursor() const { return FCursor; }
    void SetCursor(TCursor value);

    void SetFocus();
    bool Focused() const;
    // Has the control drawn again, background and all.
    virtual void Invalidate();

    const std::vector<TWinControl*>& Controls() const { return FControls; }

    // Reflected from the parent window.
    virtual void CNCommand(WORD code) { (void)code; }
    virtual LRESULT CNNotify(NMHDR* header) { (void)header; return 0; }
    virtual void CNDrawItem(const DRAWITEMSTRUCT& item) { (void)item; }
    // Sets the colours of dc for a WM_CTLCOLOR* message; nullptr leaves them to the system.
    virtual HBRUSH CtlColor(UINT msg, HDC dc);
    // A mnemonic key typed in the form: the control it names acts and answers true.
    virtual bool DialogChar(char key);

    // Own-class windows (forms, panels) are served here.
    LRESULT WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

protected:
    struct TCreateParams {
        const char* WinClassName = nullptr;  // a system class, or nullptr for the framework's own
        DWORD Style = WS_CHILD | WS_CLIPSIBLINGS;
        DWORD ExStyle = 0;
        HWND Parent = nullptr;
        int X = 0, Y = 0, Width = 0, Height = 0;
    };
    virtual void CreateParams(TCreateParams& params);
    // Runs once the window exists: apply the state kept while it did not.
    virtual void CreateWnd();
    // Messages of system-class controls pass here before the control's own procedure.
    virtual LRESULT ControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT DefaultProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    // Paints a window's whole client area with BackgroundBrush.
    void FillBackground(HWND hwnd, HDC dc) const;

    // Scaled rectangle of the design bounds, within the parent.
    virtual RECT ScaledBounds();
    void ApplyBounds();
    virtual void ApplyFont();
    // The window's DPI changed: font, bounds and children follow.
    virtual void ScaleChanged();
    void ScaleChildren();
    void Realign();
    // Puts the children's windows in tab order.
    void UpdateTabOrder();
    void WindowDestroyed();
    // Records visibility that the window already has.
    void SetVisibleFlag(bool value) { FVisible = value; }

    HWND FHandle = nullptr;
    std::string FCaption;

private:
    // Serves a system-class window through the hook in front of its own procedure.
    LRESULT SystemClassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    TWinControl* FParent = nullptr;
    std::vector<TWinControl*> FControls;
    TBounds FBounds;
    TAlign FAlign = TAlign::alNone;
    bool FVisible = true;
    bool FEnabled = true;
    bool FTabStop = false;
    bool FSystemClass = false;
    bool FCreatingChildren = false;
    int FTabOrder = -1;
    TFontStyles FFontStyle = 0;
    COLORREF FFontColor = clDefault;
    COLORREF FColor = clDefault;
    THBrush FBrush;  // the solid brush of an RGB Color; system colours use the system's
    TCursor FCursor = TCursor::crDefault;
    TWindowHook FHook{[this](HWND h, UINT m, WPARAM w, LPARAM l) {
        return SystemClassProc(h, m, w, l);
    }};
};

// Modal results.
constexpr int mrNone = 0, mrOk = IDOK, mrCancel = IDCANCEL, mrYes = IDYES, mrNo = IDNO;

class TButton : public TWinControl {
public:
    explicit TButton(TComponent* AOwner);
    std::string ClassName() const override { return "TButton"; }
    bool Default() const { return FDefault; }
    void SetDefault(bool value);
    bool Cancel() const { return FCancel; }
    void SetCancel(bool value) { FCancel = value; }
    int ModalResult() const { return FModalResult; }
    void SetModalResult(int value) { FModalResult = value; }
    TNotifyEvent OnClick;

    void Click();
    void CNCommand(WORD code) override;
    bool DialogChar(char key) override;

protected:
    void CreateParams(TCreateParams& params) override;

private:
    bool FDefault = false;
    bool FCancel = false;
    int FModalResult = mrNone;
};

}  // namespace fw
