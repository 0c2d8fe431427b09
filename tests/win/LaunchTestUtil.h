// Shared by the launcher tests: an application whose message boxes are recorded, the
// recording helper's log, and the shell stood in for when a test asks.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "framework/Application.h"
#include "framework/WinText.h"
#include "launch/Launch.h"

namespace launchtest {

using namespace fw;

struct TRecord {
    std::string CmdLine;
    std::vector<std::string> Args;
};

struct TShellCall {
    std::string Operation;
    std::optional<std::string> File, Parameters;  // nullopt: NULL was passed
};

struct TBox {
    std::string Text, Caption;
    int Flags;
};

inline std::string TempFolder() {
    char path[MAX_PATH + 1] = {};
    ::GetTempPathA(sizeof path, path);
    return path;
}

class LaunchTest : public ::testing::Test {
protected:
    void SetUp() override {
        app = std::make_unique<TApplication>();
        app->MessageBoxFn = [this](const std::string& text, const std::string& caption, UINT flags) {
            boxes.push_back({text, caption, static_cast<int>(flags)});
            return IDOK;
        };
        NewBrowserOption = false;
        HiddenWindows.Clear();
        const std::string self = ModuleFileName();
        helper = self.substr(0, self.find_last_of('\\') + 1) + "record_args.exe";
        char name[MAX_PATH] = {};
        ::GetTempFileNameA(TempFolder().c_str(), "log", 0, name);
        log = name;
        ::SetEnvironmentVariableA("TARVO_RECORD_LOG", log.c_str());
    }
    void TearDown() override {
        ::SetEnvironmentVariableA("TARVO_RECORD_LOG", nullptr);
        ::DeleteFileA(log.c_str());
        app.reset();
        NewBrowserOption = false;
    }

    // Routes the shell through a recorder that answers `result` instead of starting anything.
    void InterceptShell(INT_PTR result = 42) {
        auto opt = [](const char* s) { return s ? std::optional<std::string>(s) : std::nullopt; };
        launcher = TLauncher({}, [=, this](HWND, const char* op, const char* file, const char* params) {
            calls.push_back({op, opt(file), opt(params)});
            return INT_PTR{result};
        });
    }

    std::vector<TRecord> Records() const {
        std::vector<TRecord> records;
        std::ifstream in(log, std::ios::binary);
        std::string line;
        while (std::getline(in, line)) {
            if (line == "record") records.emplace_back();
            else if (records.empty()) continue;
            else if (line.starts_with("cmdline ")) records.back().CmdLine = line.substr(8);
            else if (line.starts_with("arg ")) records.back().Args.push_back(line.substr(4));
        }
        return records;
    }
    // The helper runs on its own: wait for its record.
    std::vector<TRecord> WaitForRecords(std::size_t count) const {
        std::vector<TRecord> records;
        for (int i = 0; i < 200 && (records = Records()).size() < count; ++i) ::Sleep(50);
        return records;
    }

    TShellApartment apartment;  // as Tarvo's own GUI thread
    std::string helper, log;
    std::unique_ptr<TApplication> app;
    TLauncher launcher;
    std::vector<TBox> boxes;
    std::vector<TShellCall> calls;
};

}  // namespace launchtest
