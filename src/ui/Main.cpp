#include "ui/Main.h"

using namespace fw;

TFormMain* FormMain = nullptr;

TFormMain::TFormMain(TComponent* AOwner) : TForm(AOwner) {}

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

    OnCreate = Bind(this, &TFormMain::FormCreate);
    OnActivate = Bind(this, &TFormMain::FormActivate);
    OnCloseQuery = Bind(this, &TFormMain::FormCloseQuery);
    OnClose = Bind(this, &TFormMain::FormClose);
}

void TFormMain::FormCreate(TObject* Sender) {
    (void)Sender;
    StartupSequence();
}

void TFormMain::StartupSequence() {
    // Each step below runs in this order; an exception ends the sequence and is shown
    // in the standard error box by the form's creation.
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
