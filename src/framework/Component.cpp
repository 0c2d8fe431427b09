#include "framework/Component.h"

#include <algorithm>

namespace fw {

TComponent::TComponent(TComponent* AOwner) {
    if (AOwner) AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
    // Owned components go in reverse order of creation; each one leaves the list itself.
    while (!FComponents.empty()) delete FComponents.back();
    if (FOwner) FOwner->RemoveComponent(this);
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
    (void)AComponent;
    (void)Operation;
}

void TComponent::LoadedAll() {
    // Copy: a Loaded handler may create components of its own.
    const std::vector<TComponent*> items = FComponents;
    for (TComponent* c : items) c->Loaded();
}

void TComponent::InsertComponent(TComponent* AComponent) {
    AComponent->FOwner = this;
    FComponents.push_back(AComponent);
    for (TComponent* c : FComponents)
        if (c != AComponent) c->Notification(AComponent, TOperation::opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent) {
    auto it = std::find(FComponents.begin(), FComponents.end(), AComponent);
    if (it == FComponents.end()) return;
    FComponents.erase(it);
    AComponent->FOwner = nullptr;
    Notification(AComponent, TOperation::opRemove);
    const std::vector<TComponent*> rest = FComponents;
    for (TComponent* c : rest) c->Notification(AComponent, TOperation::opRemove);
}

}  // namespace fw
