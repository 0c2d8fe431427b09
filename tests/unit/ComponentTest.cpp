// Ownership rules of components: creation order kept, destruction in reverse, removal told.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/Component.h"

using fw::TComponent;
using fw::TOperation;

namespace {

struct TProbe : TComponent {
    TProbe(TComponent* owner, std::string name, std::vector<std::string>& log)
        : TComponent(owner), FLog(log) {
        SetName(std::move(name));
    }
    ~TProbe() override { FLog.push_back("destroy " + Name()); }
    void Loaded() override {
        TComponent::Loaded();
        FLog.push_back("loaded " + Name());
    }
    void Notification(TComponent* c, TOperation op) override {
        if (op == TOperation::opRemove) FLog.push_back(Name() + " saw removal of " + c->Name());
        if (c == Watched && op == TOperation::opRemove) Watched = nullptr;
    }
    TComponent* Watched = nullptr;
    std::vector<std::string>& FLog;
};

}  // namespace

TEST(Component, OwnsInCreationOrderAndDestroysInReverse) {
    std::vector<std::string> log;
    auto* owner = new TComponent(nullptr);
    auto* a = new TProbe(owner, "a", log);
    auto* b = new TProbe(owner, "b", log);
    new TProbe(owner, "c", log);
    ASSERT_EQ(owner->ComponentCount(), 3);
    EXPECT_EQ(owner->Components(0), a);
    EXPECT_EQ(owner->Components(1), b);
    EXPECT_EQ(a->Owner(), owner);
    EXPECT_TRUE(a->Loading());

    owner->LoadedAll();
    EXPECT_FALSE(a->Loading());
    EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + 3),
              (std::vector<std::string>{"loaded a", "loaded b", "loaded c"}));

    log.clear();
    delete owner;
    // c goes first; each later destruction is announced to the ones still alive.
    EXPECT_EQ(log, (std::vector<std::string>{"destroy c", "a saw removal of c", "b saw removal of c",
                                             "destroy b", "a saw removal of b", "destroy a"}));
}

TEST(Component, RemovalClearsAReferenceHeldBySibling) {
    std::vector<std::string> log;
    TComponent owner(nullptr);
    auto* holder = new TProbe(&owner, "holder", log);
    auto* target = new TProbe(&owner, "target", log);
    holder->Watched = target;
    delete target;
    EXPECT_EQ(holder->Watched, nullptr);
    EXPECT_EQ(owner.ComponentCount(), 1);
    EXPECT_EQ(owner.Components(0), holder);
}
