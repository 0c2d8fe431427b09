#include "settings/QmReg.h"

#include <cstring>
#include <stdexcept>

#include "framework/Application.h"
#include "settings/KeyPaths.h"

HKEY RootKeyHandle(TRootKey value) {
    switch (value) {
        case TRootKey::HKeyClassesRoot:
            return HKEY_CLASSES_ROOT;
        case TRootKey::HKeyCurrentUser:
            return HKEY_CURRENT_USER;
        case TRootKey::HKeyLocalMachine:
            return HKEY_LOCAL_MACHINE;
        case TRootKey::HKeyUsers:
            return HKEY_USERS;
        case TRootKey::HKeyPerformanceData:
            return HKEY_PERFORMANCE_DATA;
        case TRootKey::HKeyCurrentConfig:
            return HKEY_CURRENT_CONFIG;
        case TRootKey::HKeyDynData:
            return HKEY_DYN_DATA;
    }
    throw std::invalid_argument("Unknown root key");
}

std::string WindowsUserName(TUserNameQuery query) {
    DWORD size = 0;
    query(nullptr, &size);  // fails by design and reports the size the name needs
    if (size == 0) return "Unknown";
    std::string name(size, '\0');
    if (!query(name.data(), &size)) return "Unknown";
    // The count includes the terminator; cut at the first zero to be independent of it.
    name.resize(std::strlen(name.c_str()));
    return name;
}

TQmReg::TQmReg(fw::TComponent* AOwner) : fw::TComponent(AOwner) {
    if (fw::Application) FApplication = fw::Application->Title();
    UpdateKeyPath();
}

TQmReg::~TQmReg() = default;

void TQmReg::SetStringProp(int Index, const std::string& Value) {
    if (Value.empty() && Index != 4) throw EQmRegError("This property may not be empty");
    switch (Index) {
        case 1:
            FApplication = Value;
            break;
        case 2:
            FCompany = Value;
            break;
        case 3:
            FGroup = Value;
            break;
        case 4:
            if (!FAutoUser) FUser = Value;
            break;
        default:
            throw std::out_of_range("TQmReg property index");
    }
    UpdateKeyPath();
}

void TQmReg::SetAutoUser(bool value) {
    if (value == FAutoUser) return;
    FAutoUser = value;
    FUser = WindowsUserName(FUserNameQuery);
    UpdateKeyPath();
}

void TQmReg::SetActive(bool value) {
    if (value == FActive) return;
    if (value) {
        auto registry = std::make_unique<TRegistry>();
        registry->SetRootKey(RootKeyHandle(FRootKey));
        registry->SetApi(&FRegistryApi);
        FRegistry = std::move(registry);
    } else {
        FRegistry.reset();
    }
    FActive = value;
}

TRegistry& TQmReg::Registry() const {
    if (!FRegistry) throw EQmRegError("Registry not opened");
    return *FRegistry;
}

void TQmReg::Loaded() {
    fw::TComponent::Loaded();
    UpdateKeyPath();
}

void TQmReg::UpdateKeyPath() { FKeyPath = MakeKeyPath(FGroup, FCompany, FApplication, FUser); }
