#pragma once
// QmReg: a non-visual component that names the program's place in the registry
// (\Group\Company\Application\User\ under RootKey) and opens a registry object
// on demand: switch Active on, use Registry(), switch Active off.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

#include "framework/Component.h"
#include "settings/Registry.h"

class EQmRegError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class TRootKey : std::uint8_t {
    HKeyClassesRoot,
    HKeyCurrentUser,
    HKeyLocalMachine,
    HKeyUsers,
    HKeyPerformanceData,
    HKeyCurrentConfig,
    HKeyDynData,
};

// The Windows root key a TRootKey value selects.
HKEY RootKeyHandle(TRootKey value);

using TStrCrypt = std::function<void(const std::string& S, std::string& ResultStr)>;

// GetUserNameA's shape, so tests can stand in for the system.
using TUserNameQuery = BOOL(WINAPI*)(LPSTR buffer, LPDWORD size);

// The name of the Windows user running the program, "Unknown" when the system
// cannot tell.
std::string WindowsUserName(TUserNameQuery query = ::GetUserNameA);

class TQmReg : public fw::TComponent {
public:
    explicit TQmReg(fw::TComponent* AOwner);
    ~TQmReg() override;
    std::string ClassName() const override { return "TQmReg"; }

    const std::string& Application() const { return FApplication; }
    void SetApplication(const std::string& value) { SetStringProp(1, value); }
    const std::string& Company() const { return FCompany; }
    void SetCompany(const std::string& value) { SetStringProp(2, value); }
    const std::string& Group() const { return FGroup; }
    void SetGroup(const std::string& value) { SetStringProp(3, value); }
    // Ignored while AutoUser is true; may be empty.
    const std::string& User() const { return FUser; }
    void SetUser(const std::string& value) { SetStringProp(4, value); }

    bool AutoUser() const { return FAutoUser; }
    // A change in either direction sets User to the Windows user name.
    void SetAutoUser(bool value);

    // Takes effect at the next activation.
    TRootKey RootKey() const { return FRootKey; }
    void SetRootKey(TRootKey value) { FRootKey = value; }

    bool Active() const { return FActive; }
    // No nesting: the first false frees the registry object whatever came before.
    void SetActive(bool value);
    // The open registry object; EQmRegError "Registry not opened" while inactive.
    TRegistry& Registry() const;

    const std::string& KeyPath() const { return FKeyPath; }

    // Kept for whoever assigns them; the component itself never calls them.
    const TStrCrypt& StrEncrypt() const { return FStrEncrypt; }
    void SetStrEncrypt(TStrCrypt value) { FStrEncrypt = std::move(value); }
    const TStrCrypt& StrDecrypt() const { return FStrDecrypt; }
    void SetStrDecrypt(TStrCrypt value) { FStrDecrypt = std::move(value); }

    // Where AutoUser gets the user name from; the system's GetUserNameA unless replaced.
    void SetUserNameQuery(TUserNameQuery query) { FUserNameQuery = query; }
    // The registry calls of the objects it opens from now on; the system's unless replaced.
    void SetRegistryApi(TRegistryApi api) { FRegistryApi = std::move(api); }

    void Loaded() override;

private:
    // The one setter of the four names: 1 Application, 2 Company, 3 Group, 4 User.
    void SetStringProp(int Index, const std::string& Value);
    void UpdateKeyPath();

    bool FActive = false;
    std::string FApplication;
    bool FAutoUser = false;
    std::string FCompany = "Di Raroreva";
    std::string FGroup = "Software";
    TRootKey FRootKey = TRootKey::HKeyCurrentUser;
    std::string FUser;
    std::unique_ptr<TRegistry> FRegistry;
    std::string FKeyPath;
    TStrCrypt FStrEncrypt;
    TStrCrypt FStrDecrypt;
    TUserNameQuery FUserNameQuery = ::GetUserNameA;
    TRegistryApi FRegistryApi;
};

// The component active for one operation, and inactive again however the operation ends.
class TQmRegSession {
public:
    explicit TQmRegSession(TQmReg* reg) : FReg(reg) { FReg->SetActive(true); }
    ~TQmRegSession() { FReg->SetActive(false); }
    TQmRegSession(const TQmRegSession&) = delete;
    TQmRegSession& operator=(const TQmRegSession&) = delete;
    TRegistry& operator*() const { return FReg->Registry(); }
    TRegistry* operator->() const { return &FReg->Registry(); }

private:
    TQmReg* FReg;
};
