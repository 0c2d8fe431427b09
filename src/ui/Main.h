// The main window: the binding list, its menus and the program's start-up and close rules.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/Binding.h"
#include "framework/Dialogs.h"
#include "framework/Form.h"
#include "framework/ListView.h"
#include "framework/Menus.h"
#include "hotkeys/QmHotKey.h"
#include "settings/BindingStore.h"
#include "settings/QmReg.h"
#include "shell/OneInstance.h"
#include "shell/TrayIcon.h"
#include "shell/VersionInfo.h"

// The column the binding rows stay sorted by: 0 "Action", 1 "Hotkey".
extern int SortColumn;

class TFormMain : public fw::TForm {
public:
    explicit TFormMain(fw::TComponent* AOwner);
    ~TFormMain() override;
    std::string ClassName() const override { return "TFormMain"; }

    // Components, in the order the description creates them.
    fw::TListView* ListView1 = nullptr;
    TTrayIcon* TrayIcon1 = nullptr;
    fw::TPopupMenu* popupTrayIcon = nullptr;
    TQmHotKeys* QmHK = nullptr;
    TQmReg* QmR = nullptr;
    fw::TImageList* ImageList1 = nullptr;
    fw::TPopupMenu* popupListView = nullptr;
    TOneInstance* OneInstance1 = nullptr;
    TInfoExe* VersionInfo1 = nullptr;
    fw::TOpenDialog* OpenDialog1 = nullptr;

    // List menu items.
    fw::TMenuItem* cmdAdd1 = nullptr;
    fw::TMenuItem* cmdEdit1 = nullptr;
    fw::TMenuItem* cmdDelete1 = nullptr;
    fw::TMenuItem* DisableSelected1 = nullptr;
    fw::TMenuItem* EnableSelected1 = nullptr;
    fw::TMenuItem* cmdDisableAll1 = nullptr;
    fw::TMenuItem* cmdEnableAll1 = nullptr;
    fw::TMenuItem* Hide1 = nullptr;
    fw::TMenuItem* cmdOption1 = nullptr;
    fw::TMenuItem* cmdAbout1 = nullptr;
    fw::TMenuItem* cmdExit1 = nullptr;
    // Tray menu items.
    fw::TMenuItem* cmdDisableAll2 = nullptr;
    fw::TMenuItem* cmdEnableAll2 = nullptr;
    fw::TMenuItem* Show2 = nullptr;
    fw::TMenuItem* Hide2 = nullptr;
    fw::TMenuItem* cmdOption2 = nullptr;
    fw::TMenuItem* cmdAbout2 = nullptr;
    fw::TMenuItem* cmdExit2 = nullptr;

    // Set by Exit, cleared by every activation; read by the close rule.
    bool ExitRequested = false;
    // True between seeding the default binding and the end of start-up.
    bool IsFirstRun = false;

    // Start-up and lifecycle.
    void FormCreate(fw::TObject* Sender);
    void StartupSequence();
    void FormActivate(fw::TObject* Sender);
    void FormCloseQuery(fw::TObject* Sender, bool& CanClose);
    void FormClose(fw::TObject* Sender, fw::TCloseAction& Action);
    void cmdExit1Click(fw::TObject* Sender);
    void QmHKHotKeys(fw::TObject* Sender, std::uint16_t HotKeyIndex);

    // The binding list: row i and hotkey item i are one binding; a blank row ends the list.
    // keyCode must be a code of the key table other than NONE: std::invalid_argument otherwise.
    void AddBinding(const std::string& action, std::uint16_t keyCode, bool ctrl, bool alt,
                    bool shift, bool enabled);
    void AddBinding(const TBinding& binding);
    void UpdateBinding(const std::string& action, std::uint16_t keyCode, bool ctrl, bool alt,
                       bool shift, bool enabled);
    void UpdateBinding(const TBinding& binding);
    void SwapRows(int i, int j);
    void SortList(int column);
    void ListView1ColumnClick(fw::TObject* Sender, int Column);
    void DeleteSelected();
    void EnableRow(int i);
    void DisableRow(int i);
    void cmdEnableSelected1Click(fw::TObject* Sender);
    void cmdDisableSelected1Click(fw::TObject* Sender);
    void cmdEnableAll1Click(fw::TObject* Sender);
    void cmdDisableAll1Click(fw::TObject* Sender);
    // The number of bindings; the blank row is the row at this index.
    int BindingCount() const;
    // Whether a row holds a binding: any row before the blank row, whatever its action.
    bool IsBindingRow(int row) const { return row >= 0 && row < BindingCount(); }
    // Binding i as row i and item i hold it.
    TBinding BindingAt(int i) const;
    std::vector<TBinding> Bindings() const;
    // The shortcut text of every binding row, in row order.
    std::vector<std::string> Shortcuts() const;
    // Every shortcut off while a binding is edited, and those of enabled rows on again after.
    void SuspendHotKeys();
    void ResumeHotKeys();

    // Stored bindings and settings.
    TBindingStore& Store();
    std::string SettingsKeyPath();
    std::string HotKeysKeyPath();
    void SaveBindings();
    void LoadBindings();
    void SetRunAtStartup(bool flag);
    void SaveWindowPlacement();
    void LoadWindowPlacement();
    void SetNewBrowser(bool flag);
    void LoadNewBrowser();

    // The binding editor for the selected row: a binding row is edited, the blank row adds.
    void OpenEditor();
    // True while the editor (and the recorder over it) is open.
    bool Editing() const { return FEditing; }

    // Showing, hiding and the menus.
    void TrayIcon1Click(fw::TObject* Sender);
    void Show2Click(fw::TObject* Sender);
    void Hide1Click(fw::TObject* Sender);
    void FormShow(fw::TObject* Sender);
    void FormHide(fw::TObject* Sender);
    void FormKeyDown(fw::TObject* Sender, std::uint16_t& Key, fw::TShiftState Shift);
    void popupListViewPopup(fw::TObject* Sender);
    void cmdAdd1Click(fw::TObject* Sender);
    void cmdEdit1Click(fw::TObject* Sender);
    void cmdDelete1Click(fw::TObject* Sender);
    void cmdOption1Click(fw::TObject* Sender);
    void cmdAbout1Click(fw::TObject* Sender);
    void ListView1DblClick(fw::TObject* Sender);
    void ListView1KeyPress(fw::TObject* Sender, char& Key);
    void ListView1KeyDown(fw::TObject* Sender, std::uint16_t& Key, fw::TShiftState Shift);
    void ListView1SelectItem(fw::TObject* Sender, int Item, bool Selected);

protected:
    void ReadDescription() override;
    LRESULT ControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void BuildMenus();
    void UpdateTrayItems();
    void ShowInFront();
    // Tells the user which of these rows' shortcuts another program holds, in one message.
    void ReportRefused(const std::vector<int>& rows);
    int RowOfShortcut(const std::string& text) const;
    // The text a row is sorted by: its action (0) or its shortcut text (1).
    const std::string& ColumnText(int row, int column) const;
    bool IsSorted(int column) const;
    // Whether a row sits in order between its neighbours.
    bool InOrderAround(int row, int column) const;
    void FillStateImages();
    void QmHKRegistrationChanged(fw::TObject* Sender, int Index);
    // Appends bindings and sorts once: the order sorting after every add would give, since
    // equal keys keep the order they came in.
    void AddBindings(const std::vector<TBinding>& bindings);
    bool FDeferSort = false;
    bool FEditing = false;
    std::unique_ptr<TBindingStore> FStore;
};

extern TFormMain* FormMain;
