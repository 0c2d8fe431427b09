#include "ui/Main.h"

#include "framework/Application.h"
#include "framework/WinText.h"
#include "launch/Launch.h"
#include "ui/StateImagePixels.h"

using namespace fw;

TFormMain* FormMain = nullptr;

TFormMain::TFormMain(TComponent* AOwner) : TForm(AOwner) {}

TFormMain::~TFormMain() {
    // The launcher must not reach into a window that is gone.
    LaunchContext.OwnerWindow = nullptr;
    LaunchContext.SetTrayEnabled = nullptr;
}

void TFormMain::ReadDescription() {
    SetName("FormMain");
    SetCaption("Tarvo2000 Version 1.2");
    SetBounds(190, 108, 486, 355);
    SetKeyPreview(true);
    SetIcon(::LoadIconA(::GetModuleHandleA(nullptr), "MAINICON"));

    ListView1 = new TListView(this);
    ListView1->SetName("ListView1");
    ListView1->SetParent(this);
    ListView1->SetAlign(TAlign::alClient);
    ListView1->SetBorder(false);
    ListView1->SetReadOnly(true);
    ListView1->SetRowSelect(true);
    ListView1->SetHint("Double click on the blank line to add tarvo");
    ListView1->AddColumn("Action", 350);
    ListView1->AddColumn("Hotkey", 125);

    TrayIcon1 = new TTrayIcon(this);
    TrayIcon1->SetName("TrayIcon1");
    popupTrayIcon = new TPopupMenu(this);
    popupTrayIcon->SetName("popupTrayIcon");

    QmHK = new TQmHotKeys(this);
    QmHK->SetName("QmHK");
    QmR = new TQmReg(this);
    QmR->SetName("QmR");
    QmR->SetApplication("Tarvo");
    QmR->SetAutoUser(true);
    QmR->SetCompany("Morvane");
    QmR->SetGroup("Software");
    QmHK->SetQmReg(QmR);

    ImageList1 = new TImageList(this, 16, 16);
    ImageList1->SetName("ImageList1");
    popupListView = new TPopupMenu(this);
    popupListView->SetName("popupListView");
    BuildMenus();
    OneInstance1 = new TOneInstance(this);
    OneInstance1->SetName("OneInstance1");
    VersionInfo1 = new TInfoExe(this);
    VersionInfo1->SetName("VersionInfo1");
    VersionInfo1->SetLangId("0409");
    OpenDialog1 = new TOpenDialog(this);
    OpenDialog1->SetName("OpenDialog1");
    OpenDialog1->SetTitle("Choose a file");
    OpenDialog1->SetFilter("*.*");
    OpenDialog1->SetOptions(ofHideReadOnly | ofPathMustExist | ofFileMustExist | ofEnableSizing);

    TrayIcon1->SetCycleInterval(250);
    TrayIcon1->SetHint("Tarvo2000 v1.2");
    TrayIcon1->SetShowHint(true);
    TrayIcon1->SetIcon(static_cast<HICON>(::LoadImageA(::GetModuleHandleA(nullptr), "TRAYICON",
                                                       IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                                                       ::GetSystemMetrics(SM_CYSMICON), LR_SHARED)));
    TrayIcon1->SetIconIndex(0);
    TrayIcon1->SetPopupMenu(popupTrayIcon);
    TrayIcon1->SetStartMinimized(true);
    TrayIcon1->SetMinimizeToTray(true);
    TrayIcon1->OnClick = Bind(this, &TFormMain::TrayIcon1Click);

    FillStateImages();
    ListView1->SetStateImages(ImageList1);
    ListView1->OnColumnClick = Bind(this, &TFormMain::ListView1ColumnClick);
    ListView1->OnKeyDown = Bind(this, &TFormMain::ListView1KeyDown);
    ListView1->OnKeyPress = Bind(this, &TFormMain::ListView1KeyPress);
    ListView1->OnDblClick = Bind(this, &TFormMain::ListView1DblClick);
    ListView1->OnSelectItem = Bind(this, &TFormMain::ListView1SelectItem);
    ListView1->OnContextPopup = [this](TObject*, POINT where) { popupListView->Popup(where.x, where.y); };
    QmHK->OnRegistrationChanged = Bind(this, &TFormMain::QmHKRegistrationChanged);

    OnCreate = Bind(this, &TFormMain::FormCreate);
    OnActivate = Bind(this, &TFormMain::FormActivate);
    OnCloseQuery = Bind(this, &TFormMain::FormCloseQuery);
    OnClose = Bind(this, &TFormMain::FormClose);
    OnShow = Bind(this, &TFormMain::FormShow);
    OnHide = Bind(this, &TFormMain::FormHide);
    OnKeyDown = Bind(this, &TFormMain::FormKeyDown);

    LaunchContext.OwnerWindow = [this] { return Handle(); };
    LaunchContext.SetTrayEnabled = [this](bool on) { TrayIcon1->SetEnabled(on); };
}

void TFormMain::FillStateImages() {
    // Drawn by the program at the window's DPI: 16 x 16 at 96 DPI.
    const int size = ScaleForWindow(Handle(), 16);
    ImageList1->Resize(size, size);
    for (int image : {0, 1}) {
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
        bi.bmiHeader.biWidth = size;
        bi.bmiHeader.biHeight = -size;  // top-down
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        bi.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        THBitmap bitmap(::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (!bitmap || !bits) throw std::runtime_error("Cannot create the list's state images");
        const std::vector<std::uint32_t> pixels = StateImagePixels(image, size);
        std::copy(pixels.begin(), pixels.end(), static_cast<std::uint32_t*>(bits));
        ImageList1->AddBitmap(bitmap.Get());
    }
}

void TFormMain::FormCreate(TObject* Sender) {
    (void)Sender;
    StartupSequence();
}

void TFormMain::StartupSequence() {
    // A copy that found another one running has asked to end: it reads and writes nothing.
    if (Application->TerminateRequested()) return;
    VersionInfo1->SetExeName(ModuleFileName());
    VersionInfo1->ReadVersionInfo();
    HiddenWindows.Clear();
    SortColumn = 1;
    LoadWindowPlacement();
    LoadBindings();
    if (IsFirstRun) {
        // A setting that cannot be written is told; the demo goes on all the same.
        for (void (TFormMain::*set)(bool) : {&TFormMain::SetRunAtStartup, &TFormMain::SetNewBrowser}) {
            try {
                (this->*set)(true);
            } catch (const std::exception& e) {
                Application->ShowError(e.what());
            }
        }
        Show();
        ShowMessageBox("Try pressing the F9 key now to see the demo...", "One-time Tarvo Demo",
                       MB_OK | MB_ICONINFORMATION);
        IsFirstRun = false;
    }
    LoadNewBrowser();
}

void TFormMain::FormActivate(TObject* Sender) {
    (void)Sender;
    ExitRequested = false;
    // The blank row is always the last one.
    if (ListView1->Count() > 0) ListView1->SetItemFocused(ListView1->Count() - 1);
}

void TFormMain::FormCloseQuery(TObject* Sender, bool& CanClose) {
    (void)Sender;
    if (Visible()) {
        Hide();
        CanClose = ExitRequested;
    } else {
        CanClose = true;
    }
}

void TFormMain::FormClose(TObject* Sender, TCloseAction& Action) {
    (void)Sender;
    (void)Action;
}

void TFormMain::cmdExit1Click(TObject* Sender) {
    (void)Sender;
    ExitRequested = true;
    Close();
}

void TFormMain::QmHKHotKeys(TObject* Sender, std::uint16_t HotKeyIndex) {
    (void)Sender;
    if (HotKeyIndex >= BindingCount()) return;
    ExecuteAction(ListView1->ItemCaption(HotKeyIndex));
}

LRESULT TFormMain::ControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_ENDSESSION && wParam) ShowAllHiddenWindows();
    const LRESULT result = TForm::ControlProc(hwnd, msg, wParam, lParam);
    if (msg == WM_DPICHANGED) {
        // The state images are drawn for the new DPI, not stretched.
        FillStateImages();
        ListView1->SetStateImages(ImageList1);
    }
    return result;
}
