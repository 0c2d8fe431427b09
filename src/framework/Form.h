// Top-level windows built from their description, shown modelessly or modally.
#pragma once

#include <array>

#include "framework/Controls.h"
#include "framework/Handles.h"

namespace fw {

enum class TPosition { poDesigned, poScreenCenter, poMainFormCenter };
enum class TFormBorderStyle { bsSizeable, bsDialog, bsNone };

class TForm : public TWinControl {
public:
    explicit TForm(TComponent* AOwner);
    ~TForm() override;
    std::string ClassName() const override { return "TForm"; }

    // Builds the description, then Loaded on every component, then OnCreate.
    // Called once by TApplication::CreateForm, after the form's reference is set.
    void Initialize();

    void Show();
    void Hide();
    // Raises the window above the program's others and makes it the foreground window.
    void BringToFront();
    // Runs OnDestroy while the whole form still exists; its owner calls it before deleting
    // the form (the destructor calls it too, for a form deleted directly).
    void BeforeDestruction();
    void SetVisible(bool value) override;
    int ShowModal();
    void Close();
    bool CloseQuery();
    bool Modal() const { return FModal; }
    int ModalResult() const { return FModalResult; }
    void SetModalResult(int value) { FModalResult = value; }

    TPosition Position() const { return FPosition; }
    void SetPosition(TPosition value) { FPosition = value; }
    TFormBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TFormBorderStyle value) { FBorderStyle = value; }
    bool KeyPreview() const { return FKeyPreview; }
    void SetKeyPreview(bool value) { FKeyPreview = value; }
    bool StayOnTop() const { return FStayOnTop; }
    void SetStayOnTop(bool value) { FStayOnTop = value; }
    void SetClientSize(int width, int height);
    void SetIcon(HICON icon) { FIcon = icon; }

    // The window's rectangle in screen pixels.
    RECT BoundsRect();
    void SetBoundsRect(const RECT& r);

    // The form's font in a style, made once per style and DPI; it stays the form's.
    HFONT FontHandle(TFontStyles style = 0);
    // The control that holds the focus while the form is active.
    TWinControl* ActiveControl() const;
    // Gives a control the focus now when the form is active, else when it next becomes so.
    void SetActiveControl(TWinControl* control);
    // Gives the focus back to the control that had it last, or to the first one.
    void RestoreFocus();

    // Keys seen before the focused control: key preview, Tab, Enter and Esc.
    bool PreProcessMessage(MSG& msg);

    TNotifyEvent OnCreate;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDestroy;
    TCloseQueryEvent OnCloseQuery;
    TCloseEvent OnClose;
    TKeyEvent OnKeyDown;
    TKeyPressEvent OnKeyPress;
    // The session asks whether it may end. When set, this answers (yes unless it says no; yes
    // when it fails) and CloseQuery is not asked.
    TCloseQueryEvent OnQueryEndSession;
    // Whether the session ends after all, once every program has answered.
    TEndSessionEvent OnEndSession;
    // After the window moved to a screen of another DPI and its controls were scaled.
    TNotifyEvent OnDpiChanged;

protected:
    // The form's stored description: components and controls in their stored order.
    virtual void ReadDescription() {}
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    LRESULT ControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
    virtual void DoShow() { Fire(OnShow, this); }
    virtual void DoHide() { Fire(OnHide, this); }

private:
    void PlaceWindow();
    TButton* FindButton(bool isDefault);

    TPosition FPosition = TPosition::poDesigned;
    TFormBorderStyle FBorderStyle = TFormBorderStyle::bsSizeable;
    bool FKeyPreview = false;
    bool FStayOnTop = false;
    bool FModal = false;
    bool FDestroying = false;
    bool FClientSized = false;
    int FModalResult = mrNone;
    HICON FIcon = nullptr;
    HWND FLastFocus = nullptr;
    std::array<THFont, 4> FFonts;  // by style: normal, bold, underlined, both
    UINT FFontDpi = 0;
};

// A control of a form's description: its name, caption, design bounds and tab order (-1 for
// none), then its place in the parent.
void PlaceControl(TWinControl* control, TWinControl* parent, const char* name, const char* caption,
                  const TBounds& bounds, int tabOrder = -1);

}  // namespace fw
