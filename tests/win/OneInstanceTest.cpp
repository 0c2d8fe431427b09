// The start-up check's mutex: named after the title, found by a later check, given up
// (released, not abandoned) at the end.
#include <gtest/gtest.h>

#include <windows.h>

#include <future>
#include <string>

#include "framework/Application.h"
#include "framework/Handles.h"
#include "framework/WinText.h"
#include "shell/OneInstance.h"

using namespace fw;

namespace {

// How a wait on the mutex ends for a thread that does not own it.
DWORD WaitFromAnotherThread(HANDLE mutex) {
    return std::async(std::launch::async, [mutex] {
               const DWORD result = ::WaitForSingleObject(mutex, 0);
               if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED) ::ReleaseMutex(mutex);
               return result;
           }).get();
}

}  // namespace

TEST(OneInstance, TheCheckOwnsAMutexNamedAfterTheTitleUntilTheEnd) {
    {
        TApplication untitled;  // no window yet, so no title: no mutex either
        CheckPreviousInstance();
        EXPECT_FALSE(PreviousInstance->Found);
        EXPECT_FALSE(PreviousInstance->MutexHandle);
        FreePreviousInstance();
    }
    TApplication app;
    app.Initialize();
    const std::string name = app.Title();
    ASSERT_EQ(name, TitleFromModulePath(ModuleFileName()));
    CheckPreviousInstance();
    ASSERT_TRUE(PreviousInstance->MutexHandle);
    EXPECT_FALSE(PreviousInstance->Found);
    THandle other(::OpenMutexA(SYNCHRONIZE, FALSE, name.c_str()));
    ASSERT_TRUE(other);
    EXPECT_EQ(WaitFromAnotherThread(other.Get()), static_cast<DWORD>(WAIT_TIMEOUT));

    // A later check of the same name finds it and keeps no handle to it.
    auto first = std::move(PreviousInstance);
    CheckPreviousInstance();
    EXPECT_TRUE(PreviousInstance->Found);
    EXPECT_FALSE(PreviousInstance->MutexHandle);

    PreviousInstance = std::move(first);
    FreePreviousInstance();
    EXPECT_EQ(PreviousInstance, nullptr);
    EXPECT_EQ(WaitFromAnotherThread(other.Get()), static_cast<DWORD>(WAIT_OBJECT_0));
}
