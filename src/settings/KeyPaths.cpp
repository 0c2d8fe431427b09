#include "settings/KeyPaths.h"

#include "app/Text.h"

std::string MakeKeyPath(std::string_view Group, std::string_view Company,
                        std::string_view Application, std::string_view User) {
    std::string path;
    path.reserve(Group.size() + Company.size() + Application.size() + User.size() + 5);
    path += '\\';
    path += Group;
    path += '\\';
    path += Company;
    path += '\\';
    path += Application;
    path += '\\';
    if (!User.empty()) {
        path += User;
        path += '\\';
    }
    return path;
}

std::string SettingsUserPart(std::string_view User) {
    std::string part = TrimControl(User);
    return part.empty() ? std::string("Default") : part;
}

std::string MakeSettingsKeyPath(std::string_view Group, std::string_view Company,
                                std::string_view Application, std::string_view User) {
    return MakeKeyPath(Group, Company, Application, SettingsUserPart(User));
}

std::string MakeHotKeysKeyPath(std::string_view Group, std::string_view Company,
                               std::string_view Application, std::string_view User) {
    return MakeSettingsKeyPath(Group, Company, Application, User) + kHotKeysKey;
}

TRegKeyPath SplitKeyPath(std::string_view Path) {
    TRegKeyPath result;
    result.FromRoot = !Path.empty() && Path.front() == '\\';
    result.SubKey.reserve(Path.size());
    for (char c : Path) {
        if (c == '\\' && (result.SubKey.empty() || result.SubKey.back() == '\\')) continue;
        result.SubKey += c;
    }
    if (!result.SubKey.empty() && result.SubKey.back() == '\\') result.SubKey.pop_back();
    return result;
}
