// The registry component: naming properties, the user name, activation and the key path.
#include <gtest/gtest.h>

#include "RegTestUtil.h"

#include <windows.h>

#include <cstring>
#include <string>

#include "framework/Application.h"
#include "settings/QmReg.h"

namespace {

// Stand-ins for GetUserNameA that follow its protocol: a call without room fails
// and reports the size, terminator included.
const char* FakeName = "";
BOOL WINAPI FakeUserName(LPSTR buffer, LPDWORD size) {
    const DWORD needed = static_cast<DWORD>(std::strlen(FakeName) + 1);
    const bool fits = buffer && *size >= needed;
    if (fits) std::memcpy(buffer, FakeName, needed);
    *size = needed;
    ::SetLastError(fits ? ERROR_SUCCESS : ERROR_INSUFFICIENT_BUFFER);
    return fits;
}
BOOL WINAPI FailingUserName(LPSTR, LPDWORD size) {
    *size = 0;
    ::SetLastError(ERROR_NOT_LOGGED_ON);
    return FALSE;
}
// Reports a size, then fails on the real call.
BOOL WINAPI FailingSecondCall(LPSTR buffer, LPDWORD size) {
    if (!buffer) *size = 8;
    ::SetLastError(buffer ? ERROR_ACCESS_DENIED : ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
}


class QmRegTest : public ::testing::Test {
protected:
    void SetUp() override {
        FakeName = "fake.user";
        Reg.SetUserNameQuery(FakeUserName);
    }
    void TearDown() override {
        Reg.SetActive(false);
        ::RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\TarvoTests\\QmReg");
        ::RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\TarvoTests");  // fails while others remain
    }
    TQmReg Reg{nullptr};
};

TEST_F(QmRegTest, StartsWithTheDocumentedValuesAndTheApplicationTitle) {
    EXPECT_EQ(Reg.Application(), "");  // no application object to take a title from
    EXPECT_EQ(Reg.Company(), "Di Raroreva");
    EXPECT_EQ(Reg.Group(), "Software");
    EXPECT_EQ(Reg.User(), "");
    EXPECT_FALSE(Reg.AutoUser());
    EXPECT_EQ(Reg.RootKey(), TRootKey::HKeyCurrentUser);
    EXPECT_FALSE(Reg.Active());
    EXPECT_EQ(ErrorOf<EQmRegError>([&] { Reg.Registry(); }), "Registry not opened");

    fw::TApplication app;
    app.Initialize();
    app.SetTitle("Tarvo2000");
    fw::TComponent owner(nullptr);
    auto* owned = new TQmReg(&owner);
    EXPECT_EQ(owner.ComponentCount(), 1);
    EXPECT_EQ(owned->Application(), "Tarvo2000");
    EXPECT_EQ(owned->KeyPath(), "\\Software\\Di Raroreva\\Tarvo2000\\");
}

TEST_F(QmRegTest, EmptyNamesAreRefusedAndKeepTheOldValue) {
    Reg.SetApplication("Tarvo");
    Reg.SetCompany("Morvane");
    EXPECT_EQ(ErrorOf<EQmRegError>([&] { Reg.SetCompany(""); }), "This property may not be empty");
    EXPECT_EQ(ErrorOf<EQmRegError>([&] { Reg.SetApplication(""); }), "This property may not be empty");
    EXPECT_EQ(ErrorOf<EQmRegError>([&] { Reg.SetGroup(""); }), "This property may not be empty");
    EXPECT_EQ(Reg.Company(), "Morvane");
    EXPECT_EQ(Reg.Application(), "Tarvo");
    EXPECT_EQ(Reg.Group(), "Software");
    EXPECT_EQ(Reg.KeyPath(), "\\Software\\Morvane\\Tarvo\\");
}

TEST_F(QmRegTest, KeyPathFollowsEveryNameChangeWithAndWithoutUser) {
    Reg.SetApplication("Tarvo");
    Reg.SetCompany("Morvane");
    Reg.SetGroup("Programs");
    EXPECT_EQ(Reg.KeyPath(), "\\Programs\\Morvane\\Tarvo\\");
    Reg.SetUser(" jane ");
    EXPECT_EQ(Reg.KeyPath(), "\\Programs\\Morvane\\Tarvo\\ jane \\");  // not trimmed
    Reg.SetUser("");
    EXPECT_EQ(Reg.KeyPath(), "\\Programs\\Morvane\\Tarvo\\");
    Reg.SetAutoUser(true);
    EXPECT_EQ(Reg.KeyPath(), "\\Programs\\Morvane\\Tarvo\\fake.user\\");
    Reg.SetApplication("Other");
    EXPECT_EQ(Reg.KeyPath(), "\\Programs\\Morvane\\Other\\fake.user\\");
}

TEST_F(QmRegTest, AutoUserTakesTheWindowsNameAndIgnoresAssignedUsers) {
    Reg.SetUser("designer");
    EXPECT_EQ(Reg.User(), "designer");
    Reg.SetAutoUser(true);
    EXPECT_EQ(Reg.User(), "fake.user");
    Reg.SetUser("designer");  // as a form resource does after AutoUser
    Reg.SetUser("");
    EXPECT_EQ(Reg.User(), "fake.user");

    FakeName = "renamed";
    Reg.SetAutoUser(true);  // no change: the name is not asked again
    EXPECT_EQ(Reg.User(), "fake.user");
    // Switching off sets the Windows name again rather than clearing it.
    Reg.SetAutoUser(false);
    EXPECT_EQ(Reg.User(), "renamed");
    Reg.SetUser("manual");
    EXPECT_EQ(Reg.User(), "manual");
}

TEST_F(QmRegTest, UserNameIsUnknownWhenTheSystemCannotTell) {
    EXPECT_EQ(WindowsUserName(FailingSecondCall), "Unknown");
    Reg.SetUserNameQuery(FailingUserName);
    Reg.SetAutoUser(true);
    EXPECT_EQ(Reg.User(), "Unknown");
}

TEST_F(QmRegTest, RealUserNameIsTheOneWindowsReports) {
    DWORD size = 0;
    ::GetUserNameA(nullptr, &size);
    std::string name(size, '\0');
    ASSERT_TRUE(::GetUserNameA(name.data(), &size));
    name.resize(std::strlen(name.c_str()));
    EXPECT_FALSE(name.empty());
    EXPECT_EQ(WindowsUserName(), name);
    TQmReg real(nullptr);
    real.SetAutoUser(true);
    EXPECT_EQ(real.User(), name);
}

TEST_F(QmRegTest, Utf8UserNameReachesTheKeyPathAndTheRegistry) {
    ASSERT_EQ(::GetACP(), 65001u) << "the test program needs the UTF-8 manifest";
    FakeName = "J\u00FCrgen \u041F\u0451\u0442\u0440";  // "Jürgen Пётр" as UTF-8
    Reg.SetCompany("TarvoTests");
    Reg.SetApplication("QmReg");
    Reg.SetAutoUser(true);
    EXPECT_EQ(Reg.KeyPath(), "\\Software\\TarvoTests\\QmReg\\" + std::string(FakeName) + "\\");

    Reg.SetActive(true);
    ASSERT_TRUE(Reg.Registry().OpenKey(Reg.KeyPath(), true));
    Reg.Registry().WriteInteger("MainLeft", 12);
    Reg.SetActive(false);
    // The key carries the name as real Unicode, not as its UTF-8 bytes.
    DWORD value = 0, size = sizeof value;
    EXPECT_EQ(::RegGetValueW(HKEY_CURRENT_USER,
                             L"Software\\TarvoTests\\QmReg\\J\u00FCrgen \u041F\u0451\u0442\u0440",
                             L"MainLeft", RRF_RT_REG_DWORD, nullptr, &value, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(value, 12u);
}

TEST_F(QmRegTest, ActivationDoesNotNestAndDeactivationClosesTheKey) {
    Reg.SetActive(true);
    TRegistry* first = &Reg.Registry();
    EXPECT_EQ(first->RootKey(), HKEY_CURRENT_USER);
    ASSERT_TRUE(first->OpenKey("\\Software\\TarvoTests\\QmReg", true));
    const HKEY key = first->CurrentKey();
    Reg.SetActive(true);  // changes nothing
    EXPECT_EQ(&Reg.Registry(), first);
    EXPECT_EQ(Reg.Registry().CurrentKey(), key);

    Reg.SetActive(false);  // the first deactivation ends it
    EXPECT_FALSE(Reg.Active());
    EXPECT_EQ(ErrorOf<EQmRegError>([&] { Reg.Registry(); }), "Registry not opened");
    EXPECT_TRUE(KeyIsClosed(key));

    // Freed with its owner while still active.
    HKEY ownedKey = nullptr;
    {
        fw::TComponent owner(nullptr);
        auto* owned = new TQmReg(&owner);
        owned->SetActive(true);
        ASSERT_TRUE(owned->Registry().OpenKey("\\Software\\TarvoTests\\QmReg", false));
        ownedKey = owned->Registry().CurrentKey();
    }
    EXPECT_TRUE(KeyIsClosed(ownedKey));
}

TEST_F(QmRegTest, RootKeyTakesEffectAtTheNextActivation) {
    Reg.SetActive(true);
    Reg.SetRootKey(TRootKey::HKeyLocalMachine);
    EXPECT_EQ(Reg.Registry().RootKey(), HKEY_CURRENT_USER);
    Reg.SetActive(false);
    Reg.SetActive(true);
    EXPECT_EQ(Reg.Registry().RootKey(), HKEY_LOCAL_MACHINE);
    EXPECT_TRUE(Reg.Registry().OpenKeyReadOnly("\\Software\\Microsoft"));
}

}  // namespace
