// Components: an owner, owned components in creation order, destroyed in reverse.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace fw {

class TObject {
public:
    virtual ~TObject() = default;
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual std::string ClassName() const { return "TObject"; }
};

enum class TOperation { opInsert, opRemove };

class TComponent : public TObject {
public:
    explicit TComponent(TComponent* AOwner);
    ~TComponent() override;
    std::string ClassName() const override { return "TComponent"; }

    TComponent* Owner() const { return FOwner; }
    const std::string& Name() const { return FName; }
    void SetName(std::string value) { FName = std::move(value); }

    int ComponentCount() const { return static_cast<int>(FComponents.size()); }
    TComponent* Components(int index) const { return FComponents.at(static_cast<size_t>(index)); }

    // True while the owner's description is being applied, until Loaded has run.
    bool Loading() const { return FLoading; }

    // Runs once the owner has applied its whole description.
    virtual void Loaded() { FLoading = false; }
    // Tells this component that another one of the same owner came or went.
    virtual void Notification(TComponent* AComponent, TOperation Operation);

    // Calls Loaded on every owned component, in creation order.
    void LoadedAll();

private:
    void InsertComponent(TComponent* AComponent);
    void RemoveComponent(TComponent* AComponent);

    TComponent* FOwner = nullptr;
    std::vector<TComponent*> FComponents;
    std::string FName;
    bool FLoading = true;
};

// A component of an owner's description, made under its name: Named<TTimer>(this, "Timer1").
template <class T, class... Args>
T* Named(TComponent* owner, std::string name, Args&&... args) {
    T* component = new T(owner, std::forward<Args>(args)...);
    component->SetName(std::move(name));
    return component;
}

}  // namespace fw
