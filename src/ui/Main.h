// The main window: it shows the binding list, carries the menus and runs the program's
// start-up and close rules. The bindings themselves live in the model, FList; the list view
// and the hotkey items follow it, and the store saves from it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/Dialogs.h"
#include "framework/Form.h"
#include "framework/ListView.h"
#include "framework/Menus.h"
#include "hotkeys/QmHotKey.h"
#include "launch/Launch.h"
#include "settings/BindingStore.h"
#include "settings/QmReg.h"
#include "shell/OneInstance.h"
#include "shell/TrayIcon.h"
#include "shell/VersionInfo.h"
#include "ui/BindingList.h"
#include "ui/BindingViews.h"

class TFormAccelerator;
class TFormOption;
class TAboutBox;

class TFormMain : public fw::TForm {
public:
    explicit TFormMain(fw::TComponent* AOwner);
    std::string ClassName() const override { return "TFormMain"; }

    // Components, in the order the description creates them.
    fw::TListView* ListView1 = nullptr;
    TTrayIcon* TrayIcon1 = nullptr;
    fw::TPopupMenu *popupTrayIcon = nullptr, *popupListView = nullptr;
    TQmHotKeys* QmHK = nullptr;
    TQmReg* QmR = nullptr;
    fw::TImageList* ImageList1 = nullptr;
    TOneInstance* OneInstance1 = nullptr;
    TInfoExe* VersionInfo1 = nullptr;
    fw::TOpenDialog* OpenDialog1 = nullptr;
    // List menu items, then the tray menu's.
    fw::TMenuItem *cmdAdd1 = nullptr, *cmdEdit1 = nullptr, *cmdDelete1 = nullptr,
                  *DisableSelected1 = nullptr, *EnableSelected1 = nullptr, *cmdDisableAll1 = nullptr,
                  *cmdEnableAll1 = nullptr, *Hide1 = nullptr, *cmdOption1 = nullptr,
                  *cmdAbout1 = nullptr, *cmdExit1 = nullptr;
    fw::TMenuItem *cmdDisableAll2 = nullptr, *cmdEnableAll2 = nullptr, *Show2 = nullptr,
                  *Hide2 = nullptr, *cmdOption2 = nullptr, *cmdAbout2 = nullptr, *cmdExit2 = nullptr;

    // Runs the bindings' action commands; tests put a recorder in place of the shell.
    TLauncher Launcher;
    // Set by Exit, cleared by every activation; read by the close rule.
    bool ExitRequested = false;
    // True between seeding the default binding and the end of start-up.
    bool IsFirstRun = false;

    // The dialogs the commands open. Until the program hands them over, once every window
    // exists and start-up is over, no command that needs one is connected.
    struct TDialogs {
        TFormAccelerator& Editor;
        TFormOption& Options;
        TAboutBox& About;
    };
    void Connect(const TDialogs& dialogs);

    // Start-up and lifecycle.
    void FormCreate(fw::TObject* Sender);
    void StartupSequence();
    void FormActivate(fw::TObject* Sender);
    void FormCloseQuery(fw::TObject* Sender, bool& CanClose);
    void cmdExit1Click(fw::TObject* Sender);
    void QmHKHotKeys(fw::TObject* Sender, std::uint16_t HotKeyIndex);

    // The binding list's operations: the model changes, then the views follow it. keyCode must
    // be a code of the key table other than NONE: std::invalid_argument otherwise.
    void AddBinding(const std::string& action, std::uint16_t keyCode, bool ctrl, bool alt, bool shift, bool enabled);
    void UpdateBinding(const std::string& action, std::uint16_t keyCode, bool ctrl, bool alt, bool shift, bool enabled);
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
    const TBindingList& List() const { return FList; }
    int BindingCount() const { return FList.Count(); }  // the blank row's index
    // Every shortcut off while a binding is edited, and those of enabled bindings on after.
    void SetHotKeysSuspended(bool suspended);

    // Stored bindings and settings.
    std::string SettingsKeyPath();
    std::string HotKeysKeyPath();
    void SaveBindings();
    void LoadBindings();
    void SetRunAtStartup(bool flag);
    // The option as the user stores it: the Run entry and, for a tick, Windows' own switch.
    void ApplyRunAtStartup(bool flag);
    void SaveWindowPlacement();
    void LoadWindowPlacement();
    void SetNewBrowser(bool flag);
    void LoadNewBrowser();

    // The editor for the selected row: a binding row is edited, the blank row adds one.
    void OpenEditor(TFormAccelerator& editor);

    // Showing, hiding and the menus.
    void TrayIcon1Click(fw::TObject* Sender);
    void Show2Click(fw::TObject* Sender);
    void Hide1Click(fw::TObject* Sender);
    void FormShow(fw::TObject* Sender);
    void FormHide(fw::TObject* Sender);
    void FormKeyDown(fw::TObject* Sender, std::uint16_t& Key, fw::TShiftState Shift);
    void popupListViewPopup(fw::TObject* Sender);
    void cmdDelete1Click(fw::TObject* Sender);
    void ListView1KeyDown(fw::TObject* Sender, std::uint16_t& Key, fw::TShiftState Shift);
    void ListView1SelectItem(fw::TObject* Sender, int Item, bool Selected);

protected:
    void ReadDescription() override;

private:
    void DescribeList();
    void DescribeTray();
    void BuildMenus();
    void UpdateTrayItems(bool visible);
    void ShowInFront();
    // Brings the list view and the hotkey items in step with the model after a change.
    void Follow(const TListChange& change, bool retryRefused = false);
    // An enable or disable chosen from a menu: followed, saved, and what is refused told.
    void Switched(const TListChange& change);
    // Tells the user which of these rows' shortcuts another program holds, in one message.
    void ReportRefused(const std::vector<int>& rows);

    TBindingList FList;
    std::unique_ptr<TBindingStore> FStore;
    std::unique_ptr<TBindingViews> FViews;
    bool FEditing = false;
    bool FEndingSession = false;
};

extern TFormMain* FormMain;
