// The standard controls of the program's dialogs: labels, check boxes, combo boxes, group
// boxes and edits, each a system control driven through the framework's properties.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "framework/Controls.h"

namespace fw {

// Static text drawn on its parent. Never takes the focus.
class TLabel : public TWinControl {
public:
    explicit TLabel(TComponent* AOwner);
    std::string ClassName() const override { return "TLabel"; }

    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment value);
    // Without word wrap the caption stays on one line, cut with an ellipsis when too long.
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool value);
    // Only the letters are drawn, as if on the parent: its background shows around them, and
    // so does a neighbour whose rectangle this one overlaps. Otherwise the label fills its
    // rectangle with its colour.
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool value);

    HBRUSH CtlColor(UINT msg, HDC dc) override;
    // A transparent label has its parent draw the place under it again first.
    void Invalidate() override;

protected:
    void CreateParams(TCreateParams& params) override;
    LRESULT ControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    DWORD TextStyle() const;
    void UpdateStyle();
    void RedrawParentUnder();

    TAlignment FAlignment = TAlignment::taLeftJustify;
    bool FWordWrap = false;
    bool FTransparent = true;
};

class TCheckBox : public TWinControl {
public:
    explicit TCheckBox(TComponent* AOwner);
    std::string ClassName() const override { return "TCheckBox"; }

    bool Checked() const;
    // Sets the state; no OnClick, that is for the user's toggles.
    void SetChecked(bool value);
    // taLeftJustify puts the caption left of the box (the box on the right).
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment value);

    // The user toggled the box: a click, Space or its mnemonic.
    TNotifyEvent OnClick;

    void CNCommand(WORD code) override;
    bool DialogChar(char key) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;

private:
    bool FChecked = false;
    TAlignment FAlignment = TAlignment::taRightJustify;
};

class TComboBox;

// The lines of a combo box's list, kept here and mirrored into the control.
class TComboItems {
public:
    int Count() const { return static_cast<int>(FItems.size()); }
    const std::string& operator[](int index) const { return FItems.at(static_cast<size_t>(index)); }
    // Appends a line and returns its index.
    int Add(const std::string& text);
    // Removes every line, and with them the selection and the text.
    void Clear();
    // Index of the first line exactly equal to text, -1 when none is.
    int IndexOf(const std::string& text) const;

private:
    friend class TComboBox;
    explicit TComboItems(TComboBox* owner) : FOwner(owner) {}
    TComboBox* FOwner;
    std::vector<std::string> FItems;
};

// Editable drop-down combo box: a text field with a list of lines to choose from.
class TComboBox : public TWinControl {
public:
    explicit TComboBox(TComponent* AOwner);
    std::string ClassName() const override { return "TComboBox"; }

    TComboItems& Items() { return FItems; }
    const TComboItems& Items() const { return FItems; }
    // The selected line, -1 for none. Setting -1 also empties the text; setting a line shows
    // its text. No user events.
    int ItemIndex() const;
    void SetItemIndex(int value);
    // The text in the field, of any length. Setting text that differs from the selected line
    // clears the selection. No user events.
    std::string Text() const;
    void SetText(const std::string& value);
    // Lines the open list shows at once.
    int DropDownCount() const { return FDropDownCount; }
    void SetDropDownCount(int value);
    bool DroppedDown() const;
    // Selects the whole text of the field, so that typing replaces it.
    void SelectAll();

    // The user changed the text: typing, or a line of the list (also while arrowing through
    // the open list).
    TNotifyEvent OnChange;
    // The user chose a line: an arrow key on the closed box, or Enter or a click that closes
    // the open list on a line.
    TNotifyEvent OnSelect;

    void CNCommand(WORD code) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void ApplyFont() override;
    RECT ScaledBounds() override;

private:
    friend class TComboItems;
    // Programmatic changes make the control notify too; those are not the user's.
    struct TQuiet {
        explicit TQuiet(TComboBox* c) : C(c) { ++C->FQuiet; }
        ~TQuiet() { --C->FQuiet; }
        TQuiet(const TQuiet&) = delete;
        TQuiet& operator=(const TQuiet&) = delete;
        TComboBox* C;
    };
    void Change();
    void Select();
    void Remember() { FLastText = Text(); }

    TComboItems FItems{this};
    int FItemIndex = -1;  // kept while there is no window
    std::string FText;    // likewise
    int FDropDownCount = 8;
    int FQuiet = 0;
    bool FInSelChange = false;
    bool FDropped = false;  // between the list's opening and closing notifications
    bool FChosen = false;   // the open list is closing on a line
    std::string FLastText;
};

// A framed caption around a group of controls; Tab walks into its children.
class TGroupBox : public TWinControl {
public:
    explicit TGroupBox(TComponent* AOwner);
    std::string ClassName() const override { return "TGroupBox"; }

protected:
    void CreateParams(TCreateParams& params) override;
    LRESULT ControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
};

enum class TBorderStyle { bsNone, bsSingle };

// A one-line text field.
class TEdit : public TWinControl {
public:
    explicit TEdit(TComponent* AOwner);
    std::string ClassName() const override { return "TEdit"; }

    std::string Text() const;
    void SetText(const std::string& value);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool value);
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle value);
    // The look of a link: read-only, no border, no margins, button-face background, blue
    // underlined text, a hand over it, and out of the tab order.
    void MakeLink();
    // With margins the system keeps space left and right of the text, by the font; without,
    // the text starts at the field's edge.
    bool Margins() const { return FMargins; }
    void SetMargins(bool value);

    // A mouse click on the field.
    TNotifyEvent OnClick;

protected:
    void CreateParams(TCreateParams& params) override;
    void ApplyFont() override;
    LRESULT ControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void ApplyMargins();

    bool FMargins = true;
    bool FReadOnly = false;
    TBorderStyle FBorderStyle = TBorderStyle::bsSingle;
    bool FPressed = false;
};

}  // namespace fw
