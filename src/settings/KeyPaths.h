#pragma once
// Registry key paths built from the registry component's naming properties,
// and the splitting of a path into its root marker and its subkey.

#include <string>
#include <string_view>

// The component's own path: \Group\Company\Application\ and then User\ when
// User is not empty. User is taken as it stands, blanks included.
std::string MakeKeyPath(std::string_view Group, std::string_view Company,
                        std::string_view Application, std::string_view User);

// The user part of the program's own keys: User without leading and trailing
// bytes of code 32 or less, or "Default" when nothing is left.
std::string SettingsUserPart(std::string_view User);

// \Group\Company\Application\<user part>\  (the program's settings key)
std::string MakeSettingsKeyPath(std::string_view Group, std::string_view Company,
                                std::string_view Application, std::string_view User);
// The bindings key's name under the settings key.
inline constexpr const char* kHotKeysKey = "HotKeys\\";
// The settings key followed by "HotKeys\".
std::string MakeHotKeysKeyPath(std::string_view Group, std::string_view Company,
                               std::string_view Application, std::string_view User);

// A key path as the registry object takes it: a leading backslash means "from
// the root key", anything else is relative to the current key.
struct TRegKeyPath {
    bool FromRoot = false;
    // Without leading or trailing backslashes and with runs of backslashes made
    // one: the registry refuses empty key names inside a path.
    std::string SubKey;
};
TRegKeyPath SplitKeyPath(std::string_view Path);
