#include "game/GameScreen.h"

#include <algorithm>

namespace {

// The children at the start of a walk, held so that a child removing itself
// (or a sibling) during the walk lives until the walk is done. Small trees fit
// inline, so an ordinary frame allocates nothing.
class ChildSnapshot {
public:
    explicit ChildSnapshot(const std::vector<halvo::AutoRef<GameScreen>>& children) {
        count_ = children.size();
        if (count_ > kInline) overflow_.assign(children.begin(), children.end());
        else std::copy(children.begin(), children.end(), inline_);
    }
    size_t Count() const { return count_; }
    GameScreen* At(size_t i) const {
        return count_ > kInline ? overflow_[i].Get() : inline_[i].Get();
    }

private:
    static constexpr size_t kInline = 16;
    halvo::AutoRef<GameScreen> inline_[kInline];
    std::vector<halvo::AutoRef<GameScreen>> overflow_;
    size_t count_ = 0;
};

}  // namespace

const ClassRecord GameScreen::kClassRecord = {"GameScreen", nullptr, &GameScreen::Create};

halvo::RefObj* GameScreen::Create() { return new GameScreen(); }

GameScreen::~GameScreen() {
    children_.clear();
    parent_.Reset();
}

bool GameScreen::HasChild(const GameScreen* child) const {
    return std::any_of(children_.begin(), children_.end(),
                       [child](const halvo::AutoRef<GameScreen>& c) { return c.Get() == child; });
}

void GameScreen::AddChild(GameScreen* child) {
    if (!child) return;
    halvo::AutoRef<GameScreen> hold(child);
    child->RemoveFromParent();
    child->parent_ = this;
    children_.push_back(hold);
}

void GameScreen::RemoveFromParent() {
    GameScreen* parent = parent_.Get();
    if (!parent) return;
    auto& siblings = parent->children_;
    auto it = std::find_if(siblings.begin(), siblings.end(),
                           [this](const halvo::AutoRef<GameScreen>& c) { return c.Get() == this; });
    if (it == siblings.end()) return;
    // Erasing may destroy this screen: hold it until the list is consistent.
    halvo::AutoRef<GameScreen> self(this);
    siblings.erase(it);
}

void GameScreen::RemoveAllChildren() {
    while (!children_.empty()) {
        halvo::AutoRef<GameScreen> first = children_.front();
        children_.erase(children_.begin());
    }
}

bool GameScreen::DispatchInput(const InputEvent& event) {
    halvo::AutoRef<GameScreen> self(this);
    ChildSnapshot snapshot(children_);
    for (size_t i = snapshot.Count(); i-- > 0;) {
        GameScreen* child = snapshot.At(i);
        if (HasChild(child) && child->DispatchInput(event)) return true;
    }
    // The screen's GUI frame gets its turn here once widgets exist.
    return OnInput(event);
}

void GameScreen::Update(double totalMs, double stepMs) {
    ChildSnapshot snapshot(children_);
    OnUpdate(totalMs, stepMs);
    for (size_t i = 0; i < snapshot.Count(); ++i) {
        GameScreen* child = snapshot.At(i);
        if (HasChild(child)) child->Update(totalMs, stepMs);
    }
}

void GameScreen::Render(const Matrix4& parentMatrix) {
    ChildSnapshot snapshot(children_);
    OnRender(parentMatrix);
    for (size_t i = 0; i < snapshot.Count(); ++i) {
        GameScreen* child = snapshot.At(i);
        if (HasChild(child)) child->Render(parentMatrix);
    }
}
