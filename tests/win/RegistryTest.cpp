// The registry object against the real registry, each test under a scratch key of its own.
// Checks read back through direct API calls so they do not depend on the code under test.
#include <gtest/gtest.h>

#include "RegTestUtil.h"

#include <windows.h>

#include <climits>
#include <set>
#include <string>
#include <vector>

#include "settings/Registry.h"

namespace {

using TNames = std::set<std::string>;

std::wstring Wide(const std::string& utf8) {
    std::wstring w(utf8.size(), L'\0');
    w.resize(static_cast<size_t>(::MultiByteToWideChar(CP_UTF8, 0, utf8.data(),
                                                       static_cast<int>(utf8.size()), w.data(),
                                                       static_cast<int>(w.size()))));
    return w;
}


class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        Scratch = std::string("Software\\TarvoTests\\") +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name();
        ::RegDeleteTreeA(HKEY_CURRENT_USER, Scratch.c_str());
        ASSERT_TRUE(RawCreate(""));
    }
    void TearDown() override {
        Reg.CloseKey();
        ::RegDeleteTreeA(HKEY_CURRENT_USER, Scratch.c_str());
        ::RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\TarvoTests");  // fails while others remain
    }

    std::string Raw(const std::string& sub) const {
        return sub.empty() ? Scratch : Scratch + "\\" + sub;
    }
    std::string Path(const std::string& sub = "") const { return "\\" + Raw(sub); }

    bool RawCreate(const std::string& sub) const {
        HKEY key = nullptr;
        if (::RegCreateKeyExA(HKEY_CURRENT_USER, Raw(sub).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr) != ERROR_SUCCESS)
            return false;
        return ::RegCloseKey(key) == ERROR_SUCCESS;
    }
    bool RawExists(const std::string& sub) const {
        HKEY key = nullptr;
        if (::RegOpenKeyExA(HKEY_CURRENT_USER, Raw(sub).c_str(), 0, KEY_READ, &key) !=
            ERROR_SUCCESS)
            return false;
        return ::RegCloseKey(key) == ERROR_SUCCESS;
    }
    void RawSet(const std::string& name, DWORD type, const void* data, DWORD size) const {
        ASSERT_EQ(
            ::RegSetKeyValueA(HKEY_CURRENT_USER, Scratch.c_str(), name.c_str(), type, data, size),
            ERROR_SUCCESS);
    }
    void RawSetDword(const std::string& name, DWORD value) const {
        RawSet(name, REG_DWORD, &value, sizeof value);
    }
    // "type:size:dword" of a stored value, or "missing".
    std::string RawInfo(const std::string& name) const {
        DWORD type = 0, size = 0, value = 0;
        if (::RegGetValueA(HKEY_CURRENT_USER, Scratch.c_str(), name.c_str(),
                           RRF_RT_ANY | RRF_NOEXPAND, &type, nullptr, &size) != ERROR_SUCCESS)
            return "missing";
        std::string info = std::to_string(type) + ":" + std::to_string(size);
        if (type == REG_DWORD) {
            ::RegGetValueA(HKEY_CURRENT_USER, Scratch.c_str(), name.c_str(), RRF_RT_REG_DWORD,
                           nullptr, &value, &size);
            info += ":" + std::to_string(static_cast<int>(value));
        }
        return info;
    }
    // The stored text as UTF-16, whatever code page this process runs with.
    std::wstring RawWide(const std::string& sub, const std::string& name) const {
        const std::wstring key = Wide(Raw(sub)), value = Wide(name);
        DWORD size = 0;
        ::RegGetValueW(HKEY_CURRENT_USER, key.c_str(), value.c_str(), RRF_RT_REG_SZ, nullptr,
                       nullptr, &size);
        std::wstring text(size / sizeof(wchar_t), L'\0');
        if (::RegGetValueW(HKEY_CURRENT_USER, key.c_str(), value.c_str(), RRF_RT_REG_SZ, nullptr,
                           text.data(), &size) != ERROR_SUCCESS)
            return L"<missing>";
        text.resize(size / sizeof(wchar_t) - 1);
        return text;
    }

    std::string Scratch;
    TRegistry Reg;
};

TEST_F(RegistryTest, OpenKeyCreatesOnlyWhenAllowedAndTakesRelativePathsFromTheCurrentKey) {
    EXPECT_EQ(Reg.RootKey(), HKEY_CURRENT_USER);
    EXPECT_FALSE(Reg.OpenKey(Path("a"), false));
    EXPECT_FALSE(Reg.OpenKeyReadOnly(Path("a")));
    EXPECT_FALSE(RawExists("a"));
    EXPECT_EQ(Reg.CurrentKey(), nullptr);

    ASSERT_TRUE(Reg.OpenKey(Path("a") + "\\", true));  // a trailing backslash is fine
    ASSERT_TRUE(Reg.OpenKey("b\\c", true));
    EXPECT_TRUE(RawExists("a\\b\\c"));
    Reg.WriteInteger("Here", 1);
    RawSetDword("Here", 2);
    // A leading backslash goes back to the root even while a key is current.
    ASSERT_TRUE(Reg.OpenKeyReadOnly(Path()));
    EXPECT_EQ(Reg.ReadInteger("Here"), 2);
    EXPECT_TRUE(Reg.KeyExists("a\\b"));
    EXPECT_FALSE(Reg.KeyExists("\\a\\b"));
    ASSERT_TRUE(Reg.OpenKey("a\\b\\c", false));
    EXPECT_EQ(Reg.ReadInteger("Here"), 1);

    // Without a current key a relative path is taken from the root.
    Reg.CloseKey();
    EXPECT_EQ(Reg.CurrentKey(), nullptr);
    EXPECT_TRUE(Reg.KeyExists(Scratch + "\\a"));
    EXPECT_TRUE(Reg.OpenKey(Scratch + "\\a", false));

    // A new root closes the key that belonged to the old one.
    Reg.SetRootKey(HKEY_LOCAL_MACHINE);
    EXPECT_EQ(Reg.CurrentKey(), nullptr);
    EXPECT_FALSE(Reg.KeyExists(Path()));
    EXPECT_TRUE(Reg.OpenKeyReadOnly("\\Software\\Microsoft"));
}

TEST_F(RegistryTest, EveryOpenClosesThePreviousKeyAndAFailedOneLeavesNoneCurrent) {
    ASSERT_TRUE(RawCreate("one"));
    RawSetDword("Count", 5);
    ASSERT_TRUE(Reg.OpenKey(Path("one"), false));
    const HKEY first = Reg.CurrentKey();
    ASSERT_TRUE(Reg.OpenKey(Path(), false));
    const HKEY second = Reg.CurrentKey();
    EXPECT_TRUE(KeyIsClosed(first));
    EXPECT_EQ(Reg.ReadInteger("Count"), 5);

    // No stale reads or writes through the key opened before.
    EXPECT_FALSE(Reg.OpenKeyReadOnly(Path("missing")));
    EXPECT_TRUE(KeyIsClosed(second));
    EXPECT_EQ(Reg.CurrentKey(), nullptr);
    EXPECT_EQ(ErrorOf<ERegistryException>([&] { Reg.ReadInteger("Count"); }), "Failed to get data for 'Count'");
    EXPECT_EQ(ErrorOf<ERegistryException>([&] { Reg.WriteString("Name", "x"); }), "Failed to set data for 'Name'");
    EXPECT_EQ(Reg.ReadString("Name"), "");
    EXPECT_FALSE(Reg.ValueExists("Count"));
    EXPECT_FALSE(Reg.DeleteValue("Count"));
    std::vector<std::string> names{"stale"};
    Reg.GetKeyNames(names);
    EXPECT_TRUE(names.empty());
}

TEST_F(RegistryTest, WritesStoreTheDocumentedTypesAndAFailedWriteNamesTheValue) {
    ASSERT_TRUE(Reg.OpenKey(Path(), false));
    Reg.WriteString("Address", "http://example.com/");
    Reg.WriteString("Empty", "");
    EXPECT_EQ(RawInfo("Address"), "1:20");  // REG_SZ with its terminating zero
    EXPECT_EQ(RawInfo("Empty"), "1:1");
    EXPECT_EQ(Reg.ReadString("Address"), "http://example.com/");
    EXPECT_EQ(Reg.ReadString("Empty"), "");
    for (int value : {0, 120, -250, INT_MIN, INT_MAX}) {
        Reg.WriteInteger("MainLeft", value);
        EXPECT_EQ(RawInfo("MainLeft"), "4:4:" + std::to_string(value));
        EXPECT_EQ(Reg.ReadInteger("MainLeft"), value);
    }
    Reg.WriteBool("Ctrl", true);
    Reg.WriteBool("Alt", false);
    EXPECT_EQ(RawInfo("Ctrl"), "4:4:1");
    EXPECT_EQ(RawInfo("Alt"), "4:4:0");
    EXPECT_TRUE(Reg.ReadBool("Ctrl"));
    EXPECT_FALSE(Reg.ReadBool("Alt"));
    RawSetDword("Shift", 7);
    EXPECT_TRUE(Reg.ReadBool("Shift"));  // any non-zero number

    EXPECT_EQ(Reg.GetDataType("Address"), TRegDataType::rdString);
    EXPECT_EQ(Reg.GetDataType("Ctrl"), TRegDataType::rdInteger);
    EXPECT_EQ(Reg.GetDataType("missing"), TRegDataType::rdUnknown);

    ASSERT_TRUE(Reg.OpenKeyReadOnly(Path()));
    EXPECT_EQ(ErrorOf<ERegistryException>([&] { Reg.WriteInteger("VirtualKey", 120); }),
              "Failed to set data for 'VirtualKey'");
    EXPECT_EQ(ErrorOf<ERegistryException>([&] { Reg.WriteBool("Ctrl", false); }), "Failed to set data for 'Ctrl'");
    EXPECT_EQ(RawInfo("VirtualKey"), "missing");
    EXPECT_EQ(RawInfo("Ctrl"), "4:4:1");
}

TEST_F(RegistryTest, ReadsCheckTheStoredTypeAndReportMissingNumbers) {
    ASSERT_TRUE(Reg.OpenKey(Path(), false));
    EXPECT_EQ(Reg.ReadString("Address"), "");
    EXPECT_EQ(ErrorOf<ERegistryException>([&] { Reg.ReadInteger("X"); }), "Failed to get data for 'X'");
    EXPECT_EQ(ErrorOf<ERegistryException>([&] { Reg.ReadBool("Ctrl"); }), "Failed to get data for 'Ctrl'");

    const char expand[] = "%TEMP%\\page.htm";
    RawSet("Expand", REG_EXPAND_SZ, expand, sizeof expand);
    EXPECT_EQ(Reg.ReadString("Expand"), expand);  // as stored, not expanded
    RawSet("Bare", REG_SZ, "abc", 3);             // another writer left out the zero
    EXPECT_EQ(Reg.ReadString("Bare"), "abc");

    RawSetDword("Number", 3);
    EXPECT_EQ(ErrorOf<ERegistryException>([&] { Reg.ReadString("Number"); }), "Invalid data type for 'Number'");
    RawSet("Short", REG_SZ, "1", 2);
    RawSet("Long", REG_SZ, "a long text value", 18);
    EXPECT_EQ(ErrorOf<ERegistryException>([&] { Reg.ReadInteger("Short"); }), "Invalid data type for 'Short'");
    EXPECT_EQ(ErrorOf<ERegistryException>([&] { Reg.ReadBool("Long"); }), "Invalid data type for 'Long'");
    const unsigned char four[] = {1, 0, 0, 0};
    RawSet("Binary", REG_BINARY, four, sizeof four);
    EXPECT_EQ(ErrorOf<ERegistryException>([&] { Reg.ReadInteger("Binary"); }), "Invalid data type for 'Binary'");
    EXPECT_EQ(ErrorOf<ERegistryException>([&] { Reg.ReadString("Binary"); }), "Invalid data type for 'Binary'");
    RawSet("Truncated", REG_DWORD, four, 2);
    EXPECT_EQ(ErrorOf<ERegistryException>([&] { Reg.ReadInteger("Truncated"); }), "Invalid data type for 'Truncated'");
}

TEST_F(RegistryTest, ValuesAreFoundListedAndDeleted) {
    ASSERT_TRUE(Reg.OpenKey(Path(), false));
    Reg.WriteInteger("MainLeft", 1);
    Reg.WriteString("Address", "x");
    EXPECT_TRUE(Reg.ValueExists("MainLeft"));
    EXPECT_FALSE(Reg.ValueExists("MainTop"));
    std::vector<std::string> names{"stale"};
    Reg.GetValueNames(names);
    EXPECT_EQ(TNames(names.begin(), names.end()), (TNames{"MainLeft", "Address"}));

    EXPECT_TRUE(Reg.DeleteValue("MainLeft"));
    EXPECT_EQ(RawInfo("MainLeft"), "missing");
    EXPECT_FALSE(Reg.DeleteValue("MainLeft"));
    EXPECT_TRUE(Reg.ValueExists("Address"));
}

TEST_F(RegistryTest, DeleteKeyRemovesAWholeTreeAndRefusesToNameNoKey) {
    for (const char* sub :
         {"HotKeys\\_FirstRun", "HotKeys\\ControlAlt_X", "HotKeys\\F9\\a\\b", "Keep"})
        ASSERT_TRUE(RawCreate(sub));
    ASSERT_TRUE(Reg.OpenKey(Path("HotKeys\\F9\\a\\b"), false));
    Reg.WriteString("Address", "y");

    ASSERT_TRUE(Reg.OpenKey(Path(), false));
    EXPECT_FALSE(Reg.DeleteKey(""));
    EXPECT_FALSE(Reg.DeleteKey("\\"));
    EXPECT_TRUE(RawExists("HotKeys"));
    EXPECT_TRUE(Reg.DeleteKey(Path("HotKeys") + "\\"));
    EXPECT_FALSE(RawExists("HotKeys"));
    EXPECT_TRUE(RawExists("Keep"));
    EXPECT_FALSE(Reg.DeleteKey(Path("HotKeys")));

    ASSERT_TRUE(RawCreate("Keep\\a\\b"));
    EXPECT_TRUE(Reg.DeleteKey("Keep\\a"));  // relative to the current key
    EXPECT_FALSE(RawExists("Keep\\a"));
    EXPECT_TRUE(RawExists("Keep"));
}

TEST_F(RegistryTest, GetKeyNamesListsEightHundredSubkeys) {
    ASSERT_TRUE(Reg.OpenKey(Path(), false));
    TNames expected;
    for (int i = 0; i < 800; ++i) {
        std::string name = "Binding" + std::to_string(i);
        if (i % 100 == 0) name += std::string(150, 'x');  // the longest decide the buffer
        ASSERT_TRUE(RawCreate(name));
        expected.insert(name);
    }
    Reg.WriteString("NotAKey", "x");
    std::vector<std::string> names{"stale", "entries"};
    Reg.GetKeyNames(names);
    EXPECT_EQ(names.size(), 800u);
    EXPECT_EQ(TNames(names.begin(), names.end()), expected);
}

TEST_F(RegistryTest, LongAndUtf8TextAndNamesRoundTripAsRealUnicode) {
    ASSERT_EQ(::GetACP(), 65001u) << "the test program needs the UTF-8 manifest";
    std::string big;
    for (size_t i = 0; big.size() < 70000; ++i) big += static_cast<char>('a' + i % 26);
    // Three UTF-8 bytes per character against two in the registry's own form, so sizes
    // the registry reports in characters are too small for the UTF-8 bytes.
    std::string euros, longName;
    for (int i = 0; i < 30000; ++i) euros += "\u20AC";
    for (int i = 0; i < 200; ++i) longName += "\u20AC";
    const std::string keyName = "Gr\u00F6\u00DFe";
    const std::string valueName = "\u0410\u0434\u0440\u0435\u0441";
    const std::string text = "\u65E5\u672C \u00FC \U0001F600";  // a character beyond 16 bits

    ASSERT_TRUE(Reg.OpenKey(Path(keyName), true));
    Reg.WriteString(valueName, text);
    Reg.WriteString(longName, euros);
    Reg.WriteString("Big", big);
    EXPECT_EQ(Reg.ReadString(valueName), text);
    EXPECT_EQ(Reg.ReadString(longName), euros);
    EXPECT_EQ(Reg.ReadString("Big"), big);
    EXPECT_EQ(RawWide(keyName, valueName), Wide(text));
    EXPECT_EQ(RawWide(keyName, longName).size(), 30000u);
    std::vector<std::string> names;
    Reg.GetValueNames(names);
    EXPECT_EQ(TNames(names.begin(), names.end()), (TNames{valueName, longName, "Big"}));

    ASSERT_TRUE(Reg.OpenKey(longName, true));
    ASSERT_TRUE(Reg.OpenKey(Path(), false));
    Reg.GetKeyNames(names);
    EXPECT_EQ(names, std::vector<std::string>{keyName});
    ASSERT_TRUE(Reg.OpenKey(keyName, false));
    Reg.GetKeyNames(names);
    EXPECT_EQ(names, std::vector<std::string>{longName});
    EXPECT_TRUE(Reg.DeleteKey(longName));
    EXPECT_FALSE(Reg.KeyExists(longName));
}

}  // namespace
