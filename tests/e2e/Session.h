// A session with the real program as a person has one: started with some bindings, the main
// window in front, the editor opened on a row with the keyboard.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "Driver.h"

namespace e2e {

// The editor's controls, found by caption and place.
struct TEditor {
    HWND Window = nullptr, Action = nullptr, Key = nullptr;
    HWND Enabled = nullptr, Ctrl = nullptr, Alt = nullptr, Shift = nullptr;
    explicit TEditor(HWND window) : Window(window) {
        const std::vector<HWND> combos = ChildrenOfClass(window, "ComboBox");
        if (combos.size() == 2) Action = combos[0], Key = combos[1];
        Enabled = ChildWithText(window, "&Enabled");
        Ctrl = ChildWithText(window, "&Ctrl");
        Alt = ChildWithText(window, "&Alt");
        Shift = ChildWithText(window, "&Shift");
    }
    std::string ActionText() const { return ControlText(Action); }
    std::string KeyText() const { return ControlText(Key); }
    int KeySelection() const { return static_cast<int>(::SendMessageA(Key, CB_GETCURSEL, 0, 0)); }
    // What the user sees: action, key text, Ctrl, Alt, Shift and Enabled ticks.
    std::string State() const {
        return ActionText() + "|" + KeyText() + "|" + (IsChecked(Ctrl) ? "C" : "-") + (IsChecked(Alt) ? "A" : "-") +
               (IsChecked(Shift) ? "S" : "-") + (IsChecked(Enabled) ? "E" : "-");
    }
};

class TSession : public TTarvoTest {
protected:
    static std::string Key(const std::string& name) { return HotKeysKey() + "\\" + name; }
    // The arguments of each run of the helper so far, the program left out.
    std::vector<std::vector<std::string>> Runs() const {
        std::vector<std::vector<std::string>> runs;
        for (const TRecord& r : ReadRecords(log))
            runs.emplace_back(r.Args.empty() ? r.Args.end() : r.Args.begin() + 1, r.Args.end());
        return runs;
    }
    // Starts with these bindings stored (not a first run) and the main window shown.
    void StartShown(const std::map<std::string, TBinding>& stored) {
        for (const auto& [name, b] : stored) WriteBinding(HotKeysKey(), name, b);
        WriteValues(Key("_FirstRun"), {});
        tarvo.Start();
        ASSERT_TRUE(tarvo.StartupDone());
        ShowMain();
    }
    // The main window shown and in front, as a click on the tray icon leaves it.
    void ShowMain() {
        tarvo.ClickTray();
        ASSERT_TRUE(WaitFor([&] { return ::GetForegroundWindow() == tarvo.MainWindow(); }));
    }
    // Opens the editor on a row, with the keyboard: the row selected, then Enter.
    TEditor EditRow(int row) {
        ShowMain();
        tarvo.SelectRow(row);
        PressShortcut(VK_RETURN);
        return WaitForEditor();
    }
    bool Shows(const TEditor& editor, const std::string& state) const {
        return WaitFor([&] { return editor.State() == state; }, 3000);
    }
    HWND VisibleWindow(const char* caption) const {
        HWND w = tarvo.WindowTitled(caption);
        return w && ::IsWindowVisible(w) ? w : nullptr;
    }
    // The editor once it is open and has the keyboard.
    TEditor WaitForEditor() const {
        HWND w = nullptr;
        WaitFor([&] { return (w = VisibleWindow("Accelerator Properties")) && ::GetForegroundWindow() == w; });
        return TEditor(w);
    }
    bool EditorOpen() const { return VisibleWindow("Accelerator Properties") != nullptr; }
    std::vector<TTarvo::TRow> Rows(size_t count) const {
        std::vector<TTarvo::TRow> rows;
        WaitFor([&] { return (rows = tarvo.ListRows()).size() == count; }, 3000);
        return rows;
    }
    // Presses Enter on the editor and returns the message Save shows, if any: Save shows it
    // while it handles the key.
    std::optional<TMessageBox> Save() {
        PressShortcut(VK_RETURN);
        if (!tarvo.RoundTrip()) return std::nullopt;
        return tarvo.MessageBox();
    }

    TTarvo tarvo;
};


}  // namespace e2e
