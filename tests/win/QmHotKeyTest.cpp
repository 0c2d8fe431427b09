// The hotkey component against the real RegisterHotKey: registration states, the message
// hook on the owner form, positions after deletions, and release when the window goes.
#include <gtest/gtest.h>

#include <windows.h>

#include <iterator>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "app/Keys.h"
#include "framework/Application.h"
#include "framework/Form.h"
#include "hotkeys/QmHotKey.h"

using namespace fw;

namespace {

constexpr UINT CtrlShift = MOD_CONTROL | MOD_SHIFT;

class TOwnerForm : public TForm {
public:
    using TForm::TForm;
};

// Another window of this thread: the system refuses it a combination exactly while
// someone holds that combination.
class TProbe : public TWndTarget {
public:
    TProbe() : FHandle(AllocateHWnd(this)) {}
    ~TProbe() override { ::DestroyWindow(FHandle); }
    LRESULT WndProc(HWND h, UINT m, WPARAM w, LPARAM l) override { return ::DefWindowProcA(h, m, w, l); }
    bool Held(UINT flags, UINT vk) const {
        if (!::RegisterHotKey(FHandle, 0xB000, flags, vk)) return true;
        ::UnregisterHotKey(FHandle, 0xB000);
        return false;
    }
    HWND FHandle;
};

// What reaches the owner window's procedure behind the component.
struct TRecorderHook {
    std::vector<std::string> Log;
    TWindowHook Hook{[this](HWND h, UINT m, WPARAM w, LPARAM l) {
        if (m == WM_HOTKEY) Log.push_back("previous " + std::to_string(LOWORD(w)));
        return TWindowHook::CallPrevious(h, m, w, l);
    }};
};

// Presses the keys in order and releases them in reverse, as a person would.
void PressKeys(std::initializer_list<WORD> keys) {
    std::vector<INPUT> inputs;
    auto add = [&](WORD vk, DWORD flags) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = vk;
        in.ki.wScan = static_cast<WORD>(::MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
        in.ki.dwFlags = flags;
        inputs.push_back(in);
    };
    for (WORD k : keys) add(k, 0);
    for (auto it = std::rbegin(keys); it != std::rend(keys); ++it) add(*it, KEYEVENTF_KEYUP);
    ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

class QmHotKeyTest : public ::testing::Test {
protected:
    void SetUp() override {
        app = new TApplication();
        app->Initialize();
        app->OnException = [this](TObject*, const std::string& m) { errors.push_back(m); };
        app->CreateForm(form);
        hk = new TQmHotKeys(form);
        hk->OnHotKeys = [this](TObject* sender, std::uint16_t index) {
            EXPECT_EQ(sender, hk);
            pressed.push_back(index);
        };
    }
    void TearDown() override { delete app; }  // the form owns the component

    // Made the way the binding list makes its items: key, then modifiers, then Enabled.
    THotKeyItem* AddItem(TVirtKey key, TModifiers mods, bool enabled) {
        THotKeyItem* item = hk->HotKeys()->Add();
        item->SetVirtKey(key);
        item->SetModifiers(mods);
        item->SetEnabled(enabled);
        return item;
    }
    // Real registration, with every call recorded; refuseUnregister simulates a stuck item.
    void RecordApi(bool refuseUnregister = false) {
        THotKeyApi api;
        api.Register = [this](HWND w, int id, UINT flags, UINT vk) {
            registers.push_back({w, id, flags, vk});
            return ::RegisterHotKey(w, id, flags, vk);
        };
        if (refuseUnregister) api.Unregister = [](HWND, int) { return FALSE; };
        hk->SetHotKeyApi(api);
    }
    void PostHotKey(int identifier) {
        ::PostMessageA(form->Handle(), WM_HOTKEY, static_cast<WPARAM>(identifier), 0);
        app->ProcessMessages();
    }
    bool WaitForPresses(size_t count) {
        for (DWORD start = ::GetTickCount(); pressed.size() < count; app->ProcessMessages()) {
            if (::GetTickCount() - start > 5000) return false;
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        }
        return true;
    }

    struct TCall { HWND Window; int Id; UINT Flags; UINT Vk; };
    TApplication* app = nullptr;
    TOwnerForm* form = nullptr;
    TQmHotKeys* hk = nullptr;
    TProbe probe;
    std::vector<TCall> registers;
    std::vector<std::uint16_t> pressed;
    std::vector<std::string> errors;
};

}  // namespace

TEST_F(QmHotKeyTest, CreationChecksItsOwnerAndHooksTheFormWindow) {
    auto expectRefused = [](TComponent* owner, const char* message) {
        try {
            new TQmHotKeys(owner);
            ADD_FAILURE() << "accepted: " << message;
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), message);
        }
    };
    expectRefused(form, "No more than one TQmHotKeys-component on a form");
    EXPECT_EQ(form->ComponentCount(), 1);  // the refused one never joined
    TComponent plain(nullptr);
    TButton button(nullptr);
    for (TComponent* owner : {static_cast<TComponent*>(nullptr), &plain, static_cast<TComponent*>(&button)})
        expectRefused(owner, "The owner of TQmHotKeys must be a form");

    auto* bare = new TOwnerForm(nullptr);
    auto* other = new TQmHotKeys(bare);  // makes the window it hooks into
    EXPECT_TRUE(bare->HandleAllocated());
    EXPECT_EQ(other->OwnerWindow(), bare->Handle());
    EXPECT_EQ(other->SaveLoadFrom(), slRegister);
    delete bare;
}

TEST_F(QmHotKeyTest, ModifiersNeedAKeyAndAKeyIndexMustBeInTheTable) {
    THotKeyItem* item = hk->HotKeys()->Add();
    item->SetModifiers({modControl});
    EXPECT_TRUE(item->Modifiers().Empty());
    item->SetVirtKey(vkF9);
    item->SetModifiers({modControl, modAlt});
    EXPECT_EQ(item->Modifiers(), (TModifiers{modControl, modAlt}));
    EXPECT_EQ(item->DisplayName(), "ControlAlt_F9");
    EXPECT_THROW(item->SetVirtKey(static_cast<TVirtKey>(103)), std::out_of_range);
    EXPECT_EQ(item->VirtKey(), vkF9);
}

TEST_F(QmHotKeyTest, ALiveItemKeepsItsOldCombinationUntilDisabledAndEnabledAgain) {
    THotKeyItem* item = AddItem(vkF9, {modControl, modShift}, true);
    ASSERT_TRUE(item->Registered());
    item->SetVirtKey(vkF10);
    item->SetModifiers({modAlt});
    EXPECT_TRUE(probe.Held(CtrlShift, VK_F9));
    EXPECT_FALSE(probe.Held(MOD_ALT, VK_F10));
    item->SetEnabled(false);
    EXPECT_FALSE(probe.Held(CtrlShift, VK_F9));
    item->SetEnabled(true);
    EXPECT_TRUE(probe.Held(MOD_ALT, VK_F10));
}

TEST_F(QmHotKeyTest, NoKeyMeansNoRegistrationAndNoSystemCall) {
    RecordApi();
    THotKeyItem* live = AddItem(vkF11, {modControl, modShift}, true);
    live->SetVirtKey(vkNone);
    EXPECT_FALSE(live->Enabled());
    EXPECT_FALSE(live->Registered());
    EXPECT_TRUE(live->Modifiers().Empty());
    EXPECT_FALSE(probe.Held(CtrlShift, VK_F11));

    THotKeyItem* keyless = AddItem(vkNone, {}, true);
    EXPECT_TRUE(keyless->Enabled());
    EXPECT_FALSE(keyless->Registered());
    EXPECT_FALSE(keyless->Refused());  // silent by design, not refused
    EXPECT_EQ(registers.size(), 1u);
}

TEST_F(QmHotKeyTest, RegistrationAsksForNoRepeatWithTheSystemsModifierFlags) {
    RecordApi();
    hk->HotKeys()->Add();  // identifier 0 stays unused
    THotKeyItem* a = AddItem(vkF9, {modControl, modAlt}, true);
    AddItem(vkApps, {modShift, modWin}, true);
    ASSERT_EQ(registers.size(), 2u);
    EXPECT_EQ(registers[0].Window, form->Handle());
    EXPECT_EQ(registers[0].Id, a->Identifier());
    EXPECT_EQ(registers[0].Flags, static_cast<UINT>(MOD_CONTROL | MOD_ALT | MOD_NOREPEAT));
    EXPECT_EQ(registers[0].Vk, 120u);
    EXPECT_EQ(registers[1].Flags, static_cast<UINT>(MOD_SHIFT | MOD_WIN | MOD_NOREPEAT));
    EXPECT_EQ(registers[1].Vk, 93u);
}

TEST_F(QmHotKeyTest, ARefusedRegistrationIsVisibleAndKeepsTheItemEnabled) {
    std::vector<int> changes;
    hk->OnRegistrationChanged = [&](TObject*, int index) { changes.push_back(index); };
    THotKeyItem* first = AddItem(vkF8, {modControl, modShift}, true);
    THotKeyItem* second = AddItem(vkF8, {modControl, modShift}, true);
    EXPECT_TRUE(first->Registered());
    EXPECT_TRUE(second->Enabled());
    EXPECT_FALSE(second->Registered());
    EXPECT_TRUE(second->Refused());

    first->SetEnabled(false);
    second->SetEnabled(true);  // no new attempt: still refused though the key is free now
    EXPECT_TRUE(second->Refused());
    second->SetEnabled(false);  // disabling clears the mark
    EXPECT_FALSE(second->Refused());
    second->SetEnabled(true);
    EXPECT_TRUE(second->Registered());
    EXPECT_EQ(changes, (std::vector<int>{0, 1, 0, 1, 1}));
}

TEST_F(QmHotKeyTest, ARefusedUnregistrationLeavesTheItemStuckUntilItCanLetGo) {
    THotKeyItem* item = AddItem(vkF7, {modControl, modShift}, true);
    RecordApi(true);
    item->SetEnabled(false);
    EXPECT_TRUE(item->Registered());
    EXPECT_TRUE(probe.Held(CtrlShift, VK_F7));
    // Enabling lets go of the leftover first instead of failing against it.
    hk->SetHotKeyApi(THotKeyApi{});
    item->SetEnabled(true);
    EXPECT_TRUE(item->Registered());
    EXPECT_FALSE(item->Refused());

    // Stuck when the window goes: it is released all the same.
    RecordApi(true);
    item->SetEnabled(false);
    hk->SetHotKeyApi(THotKeyApi{});
    form->DestroyHandle();
    EXPECT_FALSE(item->Registered());
    EXPECT_FALSE(probe.Held(CtrlShift, VK_F7));
}

TEST_F(QmHotKeyTest, IdentifiersSurviveDeletionsAndStayInTheSystemsRange) {
    THotKeys* keys = hk->HotKeys();
    EXPECT_EQ(keys->Add()->Identifier(), 0);
    keys->Add();
    keys->Add();
    keys->Delete(0);
    keys->Add();
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(keys->Items(i)->Identifier(), i + 1);
        EXPECT_EQ(keys->IndexOf(keys->FindItemID(i + 1)), i);
    }
    while (keys->Count() < 0xBFFF) keys->Add();
    EXPECT_EQ(keys->Items(keys->Count() - 1)->Identifier(), 0xBFFF);
    EXPECT_EQ(keys->Add()->Identifier(), 0);  // range used up: the lowest free one
    EXPECT_THROW(keys->Add(), std::length_error);

    // Identifier 5 stays with the system (refused unregistration), so it is not given again.
    THotKeyItem* held = keys->Items(4);
    held->SetVirtKey(vkF6);
    held->SetModifiers({modControl, modAlt, modShift});
    held->SetEnabled(true);
    RecordApi(true);
    held->DeleteItem();
    hk->SetHotKeyApi(THotKeyApi{});
    keys->Delete(1);
    EXPECT_EQ(keys->Add()->Identifier(), 2);
    EXPECT_THROW(keys->Add(), std::length_error);
    EXPECT_TRUE(::UnregisterHotKey(form->Handle(), 5));  // it really was still held
}

TEST_F(QmHotKeyTest, AHotKeyMessageRaisesTheEventsOnceAndGoesOnToThePreviousProcedure) {
    TRecorderHook recorder;
    std::vector<std::string>& log = recorder.Log;
    delete hk;  // hook again behind the recorder, so the recorder is the previous procedure
    ASSERT_TRUE(recorder.Hook.Hook(form->Handle()));
    hk = new TQmHotKeys(form);
    hk->OnHotKeys = [&](TObject*, std::uint16_t index) { log.push_back("OnHotKeys " + std::to_string(index)); };
    AddItem(vkF5, {modControl, modShift}, true);
    THotKeyItem* item = AddItem(vkF6, {modControl, modShift}, true);
    item->OnHotKey = [&](TObject* sender) {
        EXPECT_EQ(sender, hk);
        log.push_back("OnHotKey");
    };
    PostHotKey(item->Identifier());
    PostHotKey(77);  // no such item: passed on without an event
    hk->OnHotKeys = [](TObject*, std::uint16_t) { throw std::runtime_error("action failed"); };
    PostHotKey(item->Identifier());
    EXPECT_EQ(log, (std::vector<std::string>{"OnHotKey", "OnHotKeys 1", "previous 1", "previous 77",
                                             "OnHotKey", "previous 1"}));
    EXPECT_EQ(errors, (std::vector<std::string>{"action failed"}));
    delete hk;  // unhook in the reverse order of hooking
}

TEST_F(QmHotKeyTest, AfterDeletingTheFirstOfThreeTheOthersReportPositionsZeroAndOne) {
    THotKeyItem* first = AddItem(vkF2, {modControl, modShift}, true);
    const int secondId = AddItem(vkF3, {modControl, modShift}, true)->Identifier();
    const int thirdId = AddItem(vkF4, {modControl, modShift}, true)->Identifier();
    first->DeleteItem();
    EXPECT_FALSE(probe.Held(CtrlShift, VK_F2));
    EXPECT_EQ(hk->HotKeys()->Items(1)->Identifier(), thirdId);
    PostHotKey(thirdId);
    PostHotKey(secondId);
    PostHotKey(0);  // queued for the deleted item
    EXPECT_EQ(pressed, (std::vector<std::uint16_t>{1, 0}));

    pressed.clear();  // the same through the keyboard
    PressKeys({VK_CONTROL, VK_SHIFT, VK_F4});
    ASSERT_TRUE(WaitForPresses(1));
    PressKeys({VK_CONTROL, VK_SHIFT, VK_F3});
    ASSERT_TRUE(WaitForPresses(2));
    EXPECT_EQ(pressed, (std::vector<std::uint16_t>{1, 0}));
}

TEST_F(QmHotKeyTest, DestroyingTheOwnerWindowReleasesEveryRegistration) {
    THotKeyItem* a = AddItem(vkF9, {modControl, modShift}, true);
    THotKeyItem* off = AddItem(vkF10, {modControl, modShift}, false);
    THotKeyItem* b = AddItem(vkF11, {modControl, modShift}, true);
    // Even failing handlers must not leave a registration behind.
    std::vector<int> changes;
    hk->OnRegistrationChanged = [&](TObject*, int index) {
        changes.push_back(index);
        throw std::runtime_error("list update failed");
    };
    form->DestroyHandle();
    EXPECT_EQ(changes, (std::vector<int>{0, 2}));
    EXPECT_EQ(errors.size(), 2u);
    for (THotKeyItem* item : {a, off, b}) {
        EXPECT_FALSE(item->Enabled());
        EXPECT_FALSE(item->Registered());
    }
    EXPECT_FALSE(probe.Held(CtrlShift, VK_F9));
    EXPECT_FALSE(probe.Held(CtrlShift, VK_F11));

    // With the window gone nothing is registered, and no window is made again.
    hk->OnRegistrationChanged = nullptr;
    a->SetEnabled(true);
    EXPECT_TRUE(a->Refused());
    EXPECT_FALSE(form->HandleAllocated());
    EXPECT_FALSE(probe.Held(CtrlShift, VK_F9));
}

TEST_F(QmHotKeyTest, AssignCopiesItemsAndRegistersTheEnabledOnes) {
    AddItem(vkF12, {modControl, modShift}, true);
    THotKeys source(nullptr);  // no owner, so no window: nothing of it is registered
    for (auto [key, mods, enabled] : {std::tuple{vkF9, TModifiers{modControl, modAlt}, true},
                                      std::tuple{vkA, TModifiers{modShift}, false}}) {
        THotKeyItem* item = source.Add();
        item->SetVirtKey(key);
        item->SetModifiers(mods);
        item->SetEnabled(enabled);
    }
    hk->SetHotKeys(source);
    THotKeys* keys = hk->HotKeys();
    ASSERT_EQ(keys->Count(), 2);
    EXPECT_EQ(keys->Items(0)->Modifiers(), (TModifiers{modControl, modAlt}));
    EXPECT_EQ(keys->Items(1)->VirtKey(), vkA);
    EXPECT_FALSE(keys->Items(1)->Enabled());
    EXPECT_TRUE(probe.Held(MOD_CONTROL | MOD_ALT, VK_F9));
    EXPECT_FALSE(probe.Held(CtrlShift, VK_F12));  // the replaced item let go
    hk->SetHotKeys(*keys);  // onto itself: nothing changes
    EXPECT_TRUE(keys->Items(0)->Registered());
}

TEST_F(QmHotKeyTest, LoadedRegistersEnabledItemsThatAreNotLiveYet) {
    ASSERT_TRUE(::RegisterHotKey(probe.FHandle, 1, CtrlShift, VK_F1));
    THotKeyItem* waiting = AddItem(vkF1, {modControl, modShift}, true);
    THotKeyItem* live = AddItem(vkF2, {modControl, modShift}, true);
    ::UnregisterHotKey(probe.FHandle, 1);
    RecordApi();
    hk->Loaded();
    EXPECT_TRUE(waiting->Registered());
    EXPECT_TRUE(live->Registered());
    EXPECT_EQ(registers.size(), 1u);  // the live one is left as it is
}

TEST_F(QmHotKeyTest, QmRegIsClearedWhenItsComponentGoes) {
    auto* reg = new TComponent(form);
    hk->SetQmReg(reg);
    delete new TComponent(form);
    EXPECT_EQ(hk->QmReg(), reg);
    delete reg;
    EXPECT_EQ(hk->QmReg(), nullptr);
}

TEST_F(QmHotKeyTest, ReorderMovesItemsWithTheirIdentifiersAndRegistrations) {
    std::vector<int> ids;
    for (TVirtKey key : {vkF2, vkF3, vkF4}) ids.push_back(AddItem(key, {modControl, modShift}, true)->Identifier());
    AddItem(vkF5, {modControl, modShift}, false);  // beyond the reordered part: stays last
    RecordApi();
    hk->HotKeys()->Reorder({2, 0, 1});
    EXPECT_TRUE(registers.empty());
    EXPECT_EQ(hk->HotKeys()->Items(0)->Identifier(), ids[2]);
    EXPECT_EQ(hk->HotKeys()->Items(0)->VirtKey(), vkF4);
    EXPECT_EQ(hk->HotKeys()->Items(3)->VirtKey(), vkF5);
    PostHotKey(ids[0]);
    PostHotKey(ids[2]);
    EXPECT_EQ(pressed, (std::vector<std::uint16_t>{1, 0}));
    EXPECT_THROW(hk->HotKeys()->Reorder({0, 0, 1}), std::invalid_argument);
    EXPECT_THROW(hk->HotKeys()->Reorder({0, 1, 2, 3, 4}), std::out_of_range);
    EXPECT_EQ(hk->HotKeys()->Items(1)->Identifier(), ids[0]);  // a refused order changes nothing
}

TEST_F(QmHotKeyTest, APressQueuedForAnItemSwitchedOffSinceRunsNothing) {
    THotKeyItem* item = AddItem(vkF7, {modControl, modShift}, true);
    ::PostMessageA(form->Handle(), WM_HOTKEY, static_cast<WPARAM>(item->Identifier()), 0);
    item->SetEnabled(false);  // e.g. the editor opened before the queued press was handled
    app->ProcessMessages();
    EXPECT_TRUE(pressed.empty());
    item->SetEnabled(true);
    PostHotKey(item->Identifier());
    EXPECT_EQ(pressed, (std::vector<std::uint16_t>{0}));
}

// The codes the registry stores and the system registers are Windows' own.
TEST(KeyTable, EveryCodeIsTheSystemsVirtualKeyOfThatName) {
    std::vector<int> expected{0,         VK_CANCEL, VK_BACK,   VK_TAB,     VK_CLEAR,  VK_RETURN,
                              VK_PAUSE,  VK_CAPITAL, VK_ESCAPE, VK_SPACE,  VK_PRIOR,  VK_NEXT,
                              VK_END,    VK_HOME,   VK_LEFT,   VK_UP,      VK_RIGHT,  VK_DOWN,
                              VK_SELECT, VK_EXECUTE, VK_SNAPSHOT, VK_INSERT, VK_DELETE, VK_HELP};
    for (int c = '0'; c <= '9'; ++c) expected.push_back(c);
    for (int c = 'A'; c <= 'Z'; ++c) expected.push_back(c);
    for (int i = 0; i < 10; ++i) expected.push_back(VK_NUMPAD0 + i);
    for (int vk : {VK_MULTIPLY, VK_ADD, VK_SEPARATOR, VK_SUBTRACT, VK_DECIMAL, VK_DIVIDE}) expected.push_back(vk);
    for (int i = 0; i < 24; ++i) expected.push_back(VK_F1 + i);
    for (int vk : {VK_NUMLOCK, VK_SCROLL, VK_APPS}) expected.push_back(vk);
    ASSERT_EQ(expected.size(), static_cast<size_t>(KeyCount));
    for (int i = 0; i < KeyCount; ++i) EXPECT_EQ(KeyCodes[static_cast<size_t>(i)], expected[static_cast<size_t>(i)]) << KeyNames[static_cast<size_t>(i)];
}
