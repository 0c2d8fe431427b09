#include "ui/Main.h"

#include "framework/Application.h"
#include "framework/WinText.h"
#include "ui/Messages.h"

using namespace fw;

TFormMain* FormMain = nullptr;

TFormMain::TFormMain(TComponent* AOwner)
    : TForm(AOwner), Launcher([this] { return HandleAllocated() ? Handle() : nullptr; }) {}

void TFormMain::ReadDescription() {
    SetName("FormMain");
    SetCaption("Tarvo2000 Version 1.2");
    SetBounds(190, 108, 486, 355);
    SetKeyPreview(true);
    SetIcon(::LoadIconA(::GetModuleHandleA(nullptr), "MAINICON"));
    ListView1 = Named<TListView>(this, "ListView1");
    TrayIcon1 = Named<TTrayIcon>(this, "TrayIcon1");
    popupTrayIcon = Named<TPopupMenu>(this, "popupTrayIcon");
    QmHK = Named<TQmHotKeys>(this, "QmHK");
    QmR = Named<TQmReg>(this, "QmR");
    QmR->SetApplication("Tarvo");
    QmR->SetAutoUser(true);
    QmR->SetCompany("Morvane");
    QmR->SetGroup("Software");
    QmHK->SetQmReg(QmR);
    // The company under which an earlier edition stored its bindings.
    FStore = std::make_unique<TBindingStore>(QmR, "morvane.example");
    ImageList1 = Named<TImageList>(this, "ImageList1", 16, 16);
    popupListView = Named<TPopupMenu>(this, "popupListView");
    BuildMenus();
    OneInstance1 = Named<TOneInstance>(this, "OneInstance1");
    VersionInfo1 = Named<TInfoExe>(this, "VersionInfo1");
    VersionInfo1->SetLangId("0409");
    OpenDialog1 = Named<TOpenDialog>(this, "OpenDialog1");
    OpenDialog1->SetTitle("Choose a file");
    OpenDialog1->SetFilter("*.*");
    OpenDialog1->SetOptions(ofHideReadOnly | ofPathMustExist | ofFileMustExist | ofEnableSizing);
    DescribeList();
    DescribeTray();
    OnCreate = Bind(this, &TFormMain::FormCreate);
    OnActivate = Bind(this, &TFormMain::FormActivate);
    OnCloseQuery = Bind(this, &TFormMain::FormCloseQuery);
    OnShow = Bind(this, &TFormMain::FormShow);
    OnHide = Bind(this, &TFormMain::FormHide);
    OnKeyDown = Bind(this, &TFormMain::FormKeyDown);
    // The session may always end: the window hides, storing its place, and says yes.
    OnQueryEndSession = [this](TObject*, bool&) {
        FEndingSession = true;
        if (Visible()) Hide();
    };
    OnEndSession = [this](TObject*, bool ending) {
        FEndingSession = ending;
        if (!ending) return;
        // Ends as Exit does: hotkeys released, tray icon removed, hidden windows back.
        ShowAllHiddenWindows();
        Application->Terminate();
    };
    OnDpiChanged = [this](TObject*) { FViews->DrawStateImages(Handle()); };
}

void TFormMain::DescribeList() {
    ListView1->SetParent(this);
    ListView1->SetAlign(TAlign::alClient);
    ListView1->SetBorder(false);
    ListView1->SetHint("Double click on the blank line to add tarvo");
    FViews = std::make_unique<TBindingViews>(FList, *ListView1, *ImageList1, *QmHK);
    FViews->DrawStateImages(Handle());
    ListView1->OnColumnClick = Bind(this, &TFormMain::ListView1ColumnClick);
    ListView1->OnKeyDown = Bind(this, &TFormMain::ListView1KeyDown);
    ListView1->OnSelectItem = Bind(this, &TFormMain::ListView1SelectItem);
    ListView1->OnContextPopup = [this](TObject*, POINT where) { popupListView->Popup(where.x, where.y); };
}

void TFormMain::DescribeTray() {
    TrayIcon1->SetCycleInterval(250);
    TrayIcon1->SetHint("Tarvo2000 v1.2");
    TrayIcon1->SetShowHint(true);
    TrayIcon1->SetIconResource("TRAYICON");
    TrayIcon1->SetIconIndex(0);
    TrayIcon1->SetPopupMenu(popupTrayIcon);
    TrayIcon1->SetStartMinimized(true);
    TrayIcon1->SetMinimizeToTray(true);
    TrayIcon1->OnClick = Bind(this, &TFormMain::TrayIcon1Click);
}

void TFormMain::FormCreate(TObject*) { StartupSequence(); }

void TFormMain::StartupSequence() {
    // A copy that found another one running, and a program told to end while a start-up
    // message was open, reads and writes nothing more.
    auto ending = [] { return Application->TerminateRequested(); };
    if (ending()) return;
    VersionInfo1->SetExeName(ModuleFileName());
    VersionInfo1->ReadVersionInfo();
    HiddenWindows.Clear();
    // The model starts sorted by the "Hotkey" column.
    LoadWindowPlacement();
    if (ending()) return;
    LoadBindings();
    if (ending()) return;
    if (IsFirstRun) {
        // A setting that cannot be written is told; the demo goes on all the same.
        for (void (TFormMain::*set)(bool) : {&TFormMain::SetRunAtStartup, &TFormMain::SetNewBrowser}) {
            try {
                (this->*set)(true);
            } catch (const std::exception& e) {
                Application->ShowError(e.what());
            }
            if (ending()) return;
        }
        Show();
        ShowMessageBox("Try pressing the F9 key now to see the demo...", "One-time Tarvo Demo",
                       MB_OK | MB_ICONINFORMATION);
        IsFirstRun = false;
        if (ending()) return;
    }
    LoadNewBrowser();
}

void TFormMain::FormActivate(TObject*) {
    ExitRequested = false;
    FViews->FocusBlankRow();
}

void TFormMain::FormCloseQuery(TObject*, bool& CanClose) {
    // Read first: a message shown while hiding must not turn an Exit into a hide.
    CanClose = ExitRequested || !Visible();
    if (Visible()) Hide();
}

void TFormMain::cmdExit1Click(TObject*) {
    ExitRequested = true;
    Close();
}

void TFormMain::QmHKHotKeys(TObject*, std::uint16_t HotKeyIndex) {
    // Item i is row i is binding i of the list.
    if (FList.IsBindingRow(HotKeyIndex)) Launcher.ExecuteAction(FList.At(HotKeyIndex).Action);
}
