// The binding editor: one binding's action, key, modifiers and enabled flag, checked on Save.
// While it is open every global shortcut of the program is off.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/Binding.h"

#include "framework/Form.h"
#include "framework/StdCtrls.h"
#include "ui/BindingList.h"

// What the editor is asked to edit, and what it checks a shortcut against.
struct TEditRequest {
    std::optional<TBinding> Binding;  // the binding edited; nothing when one is added
    int EditIndex = -1;               // its row; the blank row's index when adding
    std::vector<std::string> Shortcuts;  // every binding row's shortcut text, in row order
    // The subkey of a stored binding the program could not read that holds this binding's
    // subkey, if any: such a shortcut is refused.
    std::function<std::optional<std::string>(const TBinding&)> HeldBy;
    // true while the editor is active: every shortcut is off; false once it has closed.
    std::function<void(bool suspended)> SuspendHotKeys;
};

// The request for a row of the list: a binding row's binding is edited, whatever its action;
// the blank row adds one. HeldBy and SuspendHotKeys are left for the caller.
TEditRequest EditRequestFor(const TBindingList& list, int row);

class TFormAccelerator : public fw::TForm {
public:
    explicit TFormAccelerator(fw::TComponent* AOwner);
    std::string ClassName() const override { return "TFormAccelerator"; }

    fw::TCheckBox* chkEnabled = nullptr;
    fw::TLabel* Label1 = nullptr;
    fw::TComboBox* cbAction = nullptr;
    fw::TButton* cmdBrowse = nullptr;
    fw::TGroupBox* GroupBox1 = nullptr;
    fw::TCheckBox* chkCtrl = nullptr;
    fw::TCheckBox* chkAlt = nullptr;
    fw::TCheckBox* chkShift = nullptr;
    fw::TLabel* Label2 = nullptr;
    fw::TComboBox* cbKey = nullptr;
    fw::TButton* cmdNextKey = nullptr;
    fw::TButton* cmdSave = nullptr;
    fw::TButton* cmdCancel = nullptr;

    // The result, read once the dialog has closed with OK.
    bool Saved = false;
    std::uint16_t KeyCode = 0;  // the chosen key's virtual-key code
    std::string ActionText;     // the action without blanks around it
    // The row being edited (the blank row's index when adding); the duplicate check skips it.
    int EditIndex = -1;
    // The user changed something since the dialog was filled; closing by the close box asks.
    bool Modified = false;

    // Fills the dialog from the request, shows it modally and gives the binding saved, or
    // nothing when the user cancelled or closed it.
    std::optional<TBinding> Edit(const TEditRequest& request);

    void FormActivate(fw::TObject* Sender);
    void FormClose(fw::TObject* Sender, fw::TCloseAction& Action);
    void FormCloseQuery(fw::TObject* Sender, bool& CanClose);
    void FormKeyDown(fw::TObject* Sender, std::uint16_t& Key, fw::TShiftState Shift);
    void cbActionChange(fw::TObject* Sender);
    void cbActionSelect(fw::TObject* Sender);
    void cmdBrowseClick(fw::TObject* Sender);
    void cmdNextKeyClick(fw::TObject* Sender);
    void cmdSaveClick(fw::TObject* Sender);
    void cmdCancelClick(fw::TObject* Sender);

protected:
    void ReadDescription() override;

private:
    TEditRequest FRequest;
    void Edited(fw::TObject* Sender) { (void)Sender, Modified = true; }
};

extern TFormAccelerator* FormAccelerator;
