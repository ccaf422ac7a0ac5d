#include "gui/GuiWidget.h"

#include "gui/GuiAlpha.h"
#include "gui/GuiAnimator.h"
#include "gui/GuiMain.h"
#include "gui/GuiXml.h"
#include "script/runtime/values/Op.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <string_view>

namespace halvo {

namespace {

// Set by the constructor in this order; "alpha", "clip" and "start_scale"
// stay absent until a creator or script gives them.
const GuiDefault kDefaults[] = {
    {GuiWidget::kPropScale, 1.0f},    {GuiWidget::kPropXPos, 0.0f},     {GuiWidget::kPropYPos, 0.0f},
    {GuiWidget::kPropXAnchor, 0.0f},  {GuiWidget::kPropYAnchor, 0.0f},  {GuiWidget::kPropXSize, -1.0f},
    {GuiWidget::kPropYSize, -1.0f},   {GuiWidget::kPropShow, true},     {GuiWidget::kPropInput, true},
    {GuiWidget::kPropPick, false},    {GuiWidget::kPropWheel, false},
};

const Vrel::Var* FindIn(const Vrel::t_Named& table, const char* name) {
    if (!name) return nullptr;
    const Vrel::MemberMap& members = table.GetMembers();
    auto it = members.find(std::string_view(name));
    return it == members.end() ? nullptr : &it->second;
}

// An animator still in the list, by identity; the list may have changed
// while it stepped.
size_t FindAnimator(const std::vector<AutoRef<GuiAnimator>>& list, size_t hint, const GuiAnimator* animator) {
    if (hint < list.size() && list[hint].Get() == animator) return hint;
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i].Get() == animator) return i;
    return list.size();
}

// Bounds one Update's animator steps: a handler that starts a new animator
// from every end (a timer that ends at once) would otherwise hold the frame
// forever. Far above any real widget's animator count.
constexpr size_t kMaxAnimatorStepsPerUpdate = 4096;

AutoRef<GuiWidget> AttachAndInit(AutoRef<GuiWidget> widget, const Vrel::t_Named& parameters, GuiWidget* parent) {
    if (!widget) return {};
    if (parent && !widget->SetParent(parent, false)) return {};
    if (!widget->Init(parameters)) {
        if (widget->GetParent()) widget->RemoveAndDetach();
        return {};
    }
    return widget;
}

}  // namespace

const ClassRecord GuiWidget::kClassRecord = {"GuiWidget", &Vrel::VarExtension::kClassRecord,
                                             &GuiWidget::Create};

RefObj* GuiWidget::Create() { return new GuiWidget; }

GuiWidget::GuiWidget() { ApplyDefaults(kDefaults); }

GuiWidget::~GuiWidget() {
    DetachChildren();
    UnlinkFromParentInDestructor();
    animators_.clear();
    listeners_.clear();
    firstChild_.Reset();
    nextSibling_.Reset();
    dragImage_.Reset();
    dragSource_.Reset();
}

// ---- script value -------------------------------------------------------

int GuiWidget::GetCount() const { return properties_.GetCount(); }

Vrel::Var* GuiWidget::GetMember(const char* name) {
    return name ? properties_.FindMember(name) : nullptr;
}

Vrel::Var* GuiWidget::GetOrAddMember(const char* name) { return GetMember(name); }

// ---- virtual operations -------------------------------------------------

bool GuiWidget::Init(const Vrel::t_Named& parameters) {
    properties_.AddMembers(parameters);
    ApplyLayoutPosition(parameters);
    return true;
}

void GuiWidget::Update(double timeMs, double dtMs) {
    AutoRef<GuiWidget> self(this);
    for (size_t i = 0; i < listeners_.size(); ++i) {
        AutoRef<GuiListener> listener = listeners_[i];
        listener->OnUpdate(timeMs, dtMs);
    }
    StepAnimators(timeMs, dtMs);
    UpdateChildren(timeMs, dtMs);
}

void GuiWidget::Render(float x, float y, float scale, float alpha, const Matrix4& matrix) {
    if (!ReadBool(kPropShow)) return;
    const float ownScale = HasProperty(kPropScale) ? ReadFloat(kPropScale) : 1.0f;
    const float s = scale * ownScale;
    if (!(s > 0)) return;
    NoteDrawn();
    const float a = alpha * GetAlpha();
    const float sx = x + scale * GetLeft();
    const float sy = y + scale * GetTop();
    const bool clip = ReadBool(kPropClip);
    if (clip) {
        float width, height;
        GetSize(width, height);
        // The clip keeps the incoming scale, not the widget's own.
        GuiMain::Global().Clips().Push(sx, sy, width * scale, height * scale, matrix);
    }
    RenderInside(x, y, scale, sx, sy, s, a, matrix);
    if (clip) GuiMain::Global().Clips().Pop();
}

void GuiWidget::NoteDrawn() {
    GuiFrameClock& frames = GuiMain::Global().Frames();
    const uint32_t frame = frames.Current();
    // A frame may draw a widget twice (a difference search's two pictures).
    if (drawnFrame_ != frame && drawnFrame_ + 1 != frame) {
        shownFrame_ = frame;
        // Each showing is read anew: a question hidden and shown again was
        // out of sight meanwhile.
        readStamp_ = ReadBool(kPropReadFirst) ? frames.StampFullyDrawn(this, frame) : AutoRef<GuiFrameStamp>();
    }
    drawnFrame_ = frame;
}

bool GuiWidget::IsFadingIn() const {
    for (const GuiWidget* widget = this; widget; widget = widget->parent_) {
        for (const AutoRef<GuiAnimator>& animator : widget->animators_) {
            const GuiAlpha* fade = CastTo<GuiAlpha>(animator.Get());
            if (fade && fade->RaisesAlpha()) return true;
        }
    }
    return false;
}

bool GuiWidget::StoodToRead(uint32_t ms) const {
    for (const GuiWidget* widget = this; widget; widget = widget->parent_)
        if (widget->readStamp_ && !widget->readStamp_->WasShownBy(ms)) return false;
    return true;
}

bool GuiWidget::ShowsBoardToRead(uint32_t ms, bool anyStanding) const {
    if (!ReadBool(kPropShow)) return false;
    if (readStamp_ && GuiMain::Global().Frames().IsOnScreen(drawnFrame_) &&
        (anyStanding || !readStamp_->WasShownBy(ms)))
        return true;
    for (const GuiWidget* child = firstChild_.Get(); child; child = child->nextSibling_.Get())
        if (child->ShowsBoardToRead(ms, anyStanding)) return true;
    return false;
}

bool GuiWidget::WasOnScreenAt(uint32_t pressMs) const {
    const GuiFrameClock& frames = GuiMain::Global().Frames();
    return frames.IsOnScreen(drawnFrame_) && frames.WasShownBy(shownFrame_, pressMs);
}

void GuiWidget::GetSize(float& width, float& height) const {
    width = ReadFloat(kPropXSize);
    height = ReadFloat(kPropYSize);
}

float GuiWidget::GetYSize() const { return ReadFloat(kPropYSize); }

float GuiWidget::GetXSize() const { return ReadFloat(kPropXSize); }

void GuiWidget::SetSize(float width, float height) {
    WriteFloat(kPropXSize, width);
    WriteFloat(kPropYSize, height);
}

float GuiWidget::GetAlpha() const { return ReadFloat(kPropAlpha, 1.0f); }

bool GuiWidget::OnInput(const InputEvent& event) {
    if (!IsHovered()) return false;
    AutoRef<GuiWidget> self(this);
    switch (event.kind) {
        case InputEvent::kPointer:
            if (flags_ & kFlagTrackMotion) Notify(kEventMouseMove, this, GuiEventData::Point(event.x, event.y));
            return false;
        case InputEvent::kButtonDown: return Notify(kEventMouseDown, this, GuiEventData::Input(event));
        case InputEvent::kButtonUp: return Notify(kEventMouseUp, this, GuiEventData::Input(event));
        case InputEvent::kWheel: {
            const GuiEventData data = GuiEventData::Wheel(event.wheel);
            TellOwnListeners(kEventWheel, this, data);
            return parent_ ? parent_->Notify(kEventWheel, this, data) : false;
        }
        default: return false;
    }
}

void GuiWidget::SetHover(bool on, float x, float y) {
    AutoRef<GuiWidget> self(this);
    const Vec2 local = ScreenToLocal({x, y});
    Notify(on ? kEventEnter : kEventLeave, this, GuiEventData::Point(local.x, local.y));
    SetFlag(kFlagHovered, on);
}

bool GuiWidget::SetParent(GuiWidget* newParent, bool atFront) {
    if (newParent == this) return false;
    for (const GuiWidget* up = newParent; up; up = up->parent_)
        if (up == this) return false;
    if (newParent == parent_) return true;
    AutoRef<GuiWidget> self(this);
    if (parent_ && !parent_->UnlinkChild(this)) return false;
    parent_ = newParent;
    if (newParent) newParent->LinkChild(this, atFront);
    return true;
}

void GuiWidget::OnFocusGained() { SetFlag(kFlagFocus, true); }

void GuiWidget::OnFocusLost(GuiWidget* /*newFocus*/) { SetFlag(kFlagFocus, false); }

// ---- tree ---------------------------------------------------------------

bool GuiWidget::Contains(const GuiWidget* widget) const {
    for (const GuiWidget* up = widget; up; up = up->parent_)
        if (up == this) return true;
    return false;
}

void GuiWidget::DetachChildren() {
    while (GuiWidget* child = firstChild_.Get()) {
        if (!child->SetParent(nullptr, true)) break;
    }
}

void GuiWidget::Remove(GuiWidget* argument) {
    AutoRef<GuiWidget> self(this);
    // A snapshot: an "OnRemove" handler may detach any sibling, and every
    // child that was here when the removal began must hear it.
    std::vector<AutoRef<GuiWidget>> children;
    for (GuiWidget* child = firstChild_.Get(); child; child = child->nextSibling_.Get()) children.emplace_back(child);
    for (const AutoRef<GuiWidget>& child : children) child->Remove(argument);
    while (!listeners_.empty()) {
        AutoRef<GuiListener> listener = std::move(listeners_.front());
        listeners_.erase(listeners_.begin());
        listener->OnRemove(argument);
    }
    // A removed widget that a script still holds must not keep the keyboard.
    GuiMain& gui = GuiMain::Global();
    if (gui.GetKeyboardFocus() == this) gui.ClearKeyboardFocus();
    SetFlag(kFlagFocus, false);
}

void GuiWidget::RemoveAndDetach() {
    AutoRef<GuiWidget> self(this);
    Remove(this);
    SetParent(nullptr, true);
}

bool GuiWidget::LinkChild(GuiWidget* child, bool atFront) {
    if (atFront) {
        child->nextSibling_ = std::move(firstChild_);
        firstChild_ = child;
        return true;
    }
    AutoRef<GuiWidget>* slot = &firstChild_;
    while (*slot) slot = &(*slot)->nextSibling_;
    *slot = child;
    return true;
}

bool GuiWidget::UnlinkChild(GuiWidget* child) {
    AutoRef<GuiWidget>* slot = &firstChild_;
    while (*slot && slot->Get() != child) slot = &(*slot)->nextSibling_;
    if (!*slot) return false;
    // The caller holds the child, so replacing the slot cannot free it.
    *slot = child->nextSibling_;
    child->nextSibling_.Reset();
    return true;
}

void GuiWidget::UnlinkFromParentInDestructor() {
    if (!parent_) return;
    // Only a widget released without being owned can die while linked. Its
    // count is spent: take the slot's pointer out without releasing it.
    AutoRef<GuiWidget>* slot = &parent_->firstChild_;
    while (*slot && slot->Get() != this) slot = &(*slot)->nextSibling_;
    if (*slot) {
        alignas(AutoRef<GuiWidget>) unsigned char spare[sizeof(AutoRef<GuiWidget>)];
        auto* dropped = new (spare) AutoRef<GuiWidget>(std::move(nextSibling_));
        std::swap(*slot, *dropped);  // never destroyed: it holds this dying widget
    }
    parent_ = nullptr;
}

void GuiWidget::AddListener(GuiListener* listener) {
    if (listener) listeners_.emplace_back(listener);
}

bool GuiWidget::RemoveListener(GuiListener* listener) {
    auto it = std::find(listeners_.begin(), listeners_.end(), listener);
    if (it == listeners_.end()) return false;
    // Released after the list is whole again: its destructor may run script.
    AutoRef<GuiListener> removed = std::move(*it);
    listeners_.erase(it);
    return true;
}

void GuiWidget::AddAnimator(GuiAnimator* animator) {
    if (animator) animators_.emplace_back(animator);
}

void GuiWidget::StopAllAnimators(bool finish) {
    AutoRef<GuiWidget> self(this);
    while (!animators_.empty()) {
        AutoRef<GuiAnimator> animator = std::move(animators_.front());
        animators_.erase(animators_.begin());
        animator->Finish(finish);
        ReportAnimationEnd(animator.Get());
    }
}

AutoRef<GuiWidget> GuiWidget::FindFirst(const Vrel::t_Named& criteria) {
    AutoRef<GuiWidget> self(this);
    if (MatchesCriteria(criteria)) return self;
    AutoRef<GuiWidget> child = firstChild_;
    while (child) {
        if (AutoRef<GuiWidget> found = child->FindFirst(criteria)) return found;
        child = child->nextSibling_;
    }
    return {};
}

bool GuiWidget::MatchesCriteria(const Vrel::t_Named& criteria) const {
    for (const auto& [name, wanted] : criteria.GetMembers()) {
        const Vrel::Var* property = FindProperty(name.c_str());
        if (!property) {
            if (!wanted.IsNil()) return false;
            continue;
        }
        Vrel::Var result(*property);
        bool equal = false;
        if (!Vrel::Op::Equal(result, wanted) || !result.ToBool(equal) || !equal) return false;
    }
    return true;
}

// ---- update -------------------------------------------------------------

void GuiWidget::StepAnimators(double timeMs, double dtMs) {
    size_t i = 0;
    for (size_t steps = 0; i < animators_.size() && steps < kMaxAnimatorStepsPerUpdate; ++steps) {
        AutoRef<GuiAnimator> animator = animators_[i];
        const bool running = animator->Update(timeMs, dtMs);
        const size_t at = FindAnimator(animators_, i, animator.Get());
        if (at == animators_.size()) {
            // Taken out (and reported) while it stepped.
            i = std::min(i, animators_.size());
            continue;
        }
        if (running) {
            i = at + 1;
            continue;
        }
        animators_.erase(animators_.begin() + static_cast<std::ptrdiff_t>(at));
        i = at;
        ReportAnimationEnd(animator.Get());
    }
}

void GuiWidget::ReportAnimationEnd(GuiAnimator* animator) {
    const GuiEventData data = GuiEventData::Animation(animator);
    TellOwnListeners(kEventAnimationEnd, this, data);
    if (parent_) parent_->Notify(kEventAnimationEnd, this, data);
}

void GuiWidget::UpdateChildren(double timeMs, double dtMs) {
    AutoRef<GuiWidget> child = firstChild_;
    while (child) {
        AutoRef<GuiWidget> next = child->nextSibling_;
        child->Update(timeMs, dtMs);
        child = std::move(next);
    }
}

// ---- render -------------------------------------------------------------

bool GuiWidget::IsCulled(float x, float y, float scale, float sx, float sy, float width, float height,
                         float ownScale) const {
    if (!parent_ || !parent_->HasProperty(kPropClip)) return false;
    float parentWidth, parentHeight;
    parent_->GetSize(parentWidth, parentHeight);
    return x + parentWidth * scale <= sx || y + parentHeight * scale <= sy || sx + width * ownScale <= x ||
           sy + height * ownScale <= y;
}

void GuiWidget::RenderInside(float x, float y, float scale, float sx, float sy, float ownScale, float alpha,
                             const Matrix4& matrix) {
    float width, height;
    GetSize(width, height);
    if (IsCulled(x, y, scale, sx, sy, width, height, ownScale)) return;
    DrawContent(sx, sy, ownScale, alpha, matrix);
    for (AutoRef<GuiWidget> child = firstChild_; child; child = child->nextSibling_)
        child->Render(sx, sy, ownScale, alpha, matrix);
    if (AutoRef<GuiWidget> image = dragImage_) image->Render(x, y, scale, 1.0f, matrix);
}

// ---- geometry -----------------------------------------------------------

float GuiWidget::GetLeft() const {
    return ReadFloat(kPropXPos) - ReadFloat(kPropXAnchor) * ReadFloat(kPropXSize) * RectScale();
}

float GuiWidget::GetRight() const {
    return ReadFloat(kPropXPos) + (1 - ReadFloat(kPropXAnchor)) * ReadFloat(kPropXSize) * RectScale();
}

float GuiWidget::GetTop() const {
    return ReadFloat(kPropYPos) - ReadFloat(kPropYAnchor) * ReadFloat(kPropYSize) * RectScale();
}

float GuiWidget::GetBottom() const {
    return ReadFloat(kPropYPos) + (1 - ReadFloat(kPropYAnchor)) * ReadFloat(kPropYSize) * RectScale();
}

Vec2 GuiWidget::GetPosition() const { return {ReadFloat(kPropXPos), ReadFloat(kPropYPos)}; }

void GuiWidget::SetPositionXY(float x, float y) {
    WriteFloat(kPropXPos, x);
    WriteFloat(kPropYPos, y);
}

Vec2 GuiWidget::GetAnchor() const { return {ReadFloat(kPropXAnchor), ReadFloat(kPropYAnchor)}; }

Vec2 GuiWidget::GetAnchorOffset() const {
    const Vec2 anchor = GetAnchor();
    const float factor = RectScaleFactor();
    return LocalToScreen({anchor.x * ReadFloat(kPropXSize) * factor, anchor.y * ReadFloat(kPropYSize) * factor});
}

float GuiWidget::ConversionScale() const { return HasProperty(kPropScale) ? ReadFloat(kPropScale) : 1.0f; }

float GuiWidget::RectScale() const { return ReadFloat(kPropScale) * RectScaleFactor(); }

Vec2 GuiWidget::ParentToLocal(Vec2 point) const {
    const float s = 1.0f / ConversionScale();
    return {(point.x - GetLeft()) * s, (point.y - GetTop()) * s};
}

Vec2 GuiWidget::ScreenToLocal(Vec2 point) const {
    if (parent_) point = parent_->ScreenToLocal(point);
    return ParentToLocal(point);
}

Vec2 GuiWidget::LocalToScreen(Vec2 point) const {
    for (const GuiWidget* w = this; w; w = w->parent_) {
        const float s = w->ConversionScale();
        point = {w->GetLeft() + point.x * s, w->GetTop() + point.y * s};
    }
    return point;
}

float GuiWidget::GetGlobalScale() const {
    const float inherited = parent_ ? parent_->GetGlobalScale() : 1.0f;
    if (HasProperty(kPropStartScale)) return ReadFloat(kPropStartScale);
    if (HasProperty(kPropScale)) return ReadFloat(kPropScale) * inherited;
    return inherited;
}

// ---- input --------------------------------------------------------------

bool GuiWidget::RouteInput(const InputEvent& event) {
    AutoRef<GuiWidget> self(this);
    if (event.kind == InputEvent::kKey) {
        if (AutoRef<GuiWidget> focus = GuiMain::Global().GetKeyboardFocus()) return focus->OnInput(event);
        return Notify(kEventKey, nullptr, GuiEventData::Input(event));
    }
    if (event.kind == InputEvent::kPointer && dragImage_) dragImage_->SetPositionXY(event.x, event.y);
    return RoutePointer(event);
}

bool GuiWidget::RoutePointer(const InputEvent& event) {
    GuiMain& gui = GuiMain::Global();
    AutoRef<GuiWidget> picked = Pick(event.x, event.y, kPickPointer);
    switch (event.kind) {
        case InputEvent::kButtonDown: {
            gui.UpdateHover(picked.Get(), event);
            AutoRef<GuiWidget> captured = gui.GetCaptured();
            return captured ? captured->OnInput(event) : false;
        }
        case InputEvent::kButtonUp: {
            AutoRef<GuiWidget> captured = gui.GetCaptured();
            const bool handled = captured ? captured->OnInput(event) : false;
            gui.UpdateHover(picked.Get(), event);
            return handled;
        }
        case InputEvent::kPointer: {
            if (AutoRef<GuiWidget> captured = gui.GetCaptured()) {
                // Only the captured widget may be hovered while the press
                // is held: it loses the hover off its area and regains it.
                gui.UpdateHover(picked.Get(), event);
                captured->OnInput(event);
                return true;
            }
            // Another frame routed before or after this one owns the hover:
            // leaving it alone keeps the frames from taking it in turns.
            if (!picked && gui.GetHovered() && !Contains(gui.GetHovered())) return false;
            gui.UpdateHover(picked.Get(), event);
            if (AutoRef<GuiWidget> hovered = gui.GetHovered()) {
                hovered->OnInput(event);
                return true;
            }
            return false;
        }
        case InputEvent::kWheel: {
            if (AutoRef<GuiWidget> target = Pick(event.x, event.y, kPickWheel)) target->OnInput(event);
            return false;
        }
        default: return false;
    }
}

GuiWidget* GuiWidget::Pick(float x, float y, int32_t mode) {
    if (!ReadBool(kPropShow) || !ReadBool(kPropInput)) return nullptr;
    // A scale of zero or below (or not a number) would make the local point
    // infinite or mirrored: nothing in such a subtree can be hit.
    if (!(ConversionScale() > 0)) return nullptr;
    const Vec2 local = ParentToLocal({x, y});
    const float width = GetXSize();
    const float height = GetYSize();
    GuiWidget* candidate = nullptr;
    if (width != kNoSize && height != kNoSize) {
        if (!(local.x >= 0 && local.x <= width && local.y >= 0 && local.y <= height)) return nullptr;
        const bool target = mode == kPickAnySized || (mode == kPickPointer && ReadBool(kPropPick)) ||
                            (mode == kPickWheel && ReadBool(kPropWheel));
        if (target) candidate = this;
    }
    for (GuiWidget* child = firstChild_.Get(); child; child = child->nextSibling_.Get()) {
        if (GuiWidget* hit = child->Pick(local.x, local.y, mode)) candidate = hit;
    }
    return candidate;
}

// ---- events -------------------------------------------------------------

bool GuiWidget::Notify(int32_t id, GuiWidget* sender, const GuiEventData& data) {
    AutoRef<GuiWidget> self(this);
    const bool stops = IsStoppingEvent(id);
    for (size_t i = 0; i < listeners_.size(); ++i) {
        AutoRef<GuiListener> listener = listeners_[i];
        if (listener->Deliver(id, sender, data) && stops) return true;
    }
    return parent_ ? parent_->Notify(id, sender, data) : false;
}

void GuiWidget::TellOwnListeners(int32_t id, GuiWidget* sender, const GuiEventData& data) {
    AutoRef<GuiWidget> self(this);
    for (size_t i = 0; i < listeners_.size(); ++i) {
        AutoRef<GuiListener> listener = listeners_[i];
        listener->Deliver(id, sender, data);
    }
}

// ---- drag ---------------------------------------------------------------

void GuiWidget::StartDrag(GuiWidget* source) {
    if (!source) return;
    AutoRef<GuiWidget> self(this);
    AutoRef<GuiWidget> held(source);
    EndDrag();
    AutoRef<Vrel::t_Named> copied(new Vrel::t_Named);
    copied->CopyMembers(source->properties_);
    AutoRef<GuiWidget> image = GuiCreateWidget(source->GetClassInfo(), *copied, nullptr);
    if (!image) return;  // the source stays shown
    dragSource_ = source;
    dragImage_ = image;
    source->WriteBool(kPropShow, false);
    const PointerState& pointer = PointerState::Global();
    const Vec2 local = source->ScreenToLocal({static_cast<float>(pointer.x), static_cast<float>(pointer.y)});
    image->SetPositionXY(local.x, local.y);
}

void GuiWidget::EndDrag() {
    if (!dragImage_) return;
    AutoRef<GuiWidget> self(this);
    dragImage_.Reset();
    if (AutoRef<GuiWidget> source = dragSource_) source->WriteBool(kPropShow, true);
}

// ---- properties ---------------------------------------------------------

void GuiWidget::ApplyDefaults(std::span<const GuiDefault> defaults) {
    for (const GuiDefault& entry : defaults) {
        Vrel::Var* value = properties_.GetOrAddMember(entry.name);
        switch (entry.kind) {
            case GuiDefault::Kind::kBool: value->SetBool(entry.flag); break;
            case GuiDefault::Kind::kInt: value->SetInt(entry.integer); break;
            case GuiDefault::Kind::kFloat: value->SetFloat(entry.number); break;
            case GuiDefault::Kind::kText: value->SetString(entry.text); break;
        }
    }
}

const Vrel::Var* GuiWidget::FindProperty(const char* name) const { return FindIn(properties_, name); }

bool GuiWidget::HasProperty(const char* name) const { return FindProperty(name) != nullptr; }

float GuiWidget::ReadFloat(const char* name, float fallback) const {
    const Vrel::Var* value = FindProperty(name);
    float number = fallback;
    if (!value || !value->ToFloat(number) || !std::isfinite(number)) return fallback;
    return number;
}

bool GuiWidget::ReadBool(const char* name, bool fallback) const {
    const Vrel::Var* value = FindProperty(name);
    bool flag = fallback;
    if (!value || !value->ToBool(flag)) return fallback;
    return flag;
}

int32_t GuiWidget::ReadInt(const char* name, int32_t fallback) const {
    const Vrel::Var* value = FindProperty(name);
    int number = fallback;
    if (!value || !value->ToInt(number)) return fallback;
    return number;
}

void GuiWidget::WriteFloat(const char* name, float value) {
    if (!std::isfinite(value)) return;
    properties_.GetOrAddMember(name)->SetFloat(value);
}

void GuiWidget::WriteBool(const char* name, bool value) { properties_.GetOrAddMember(name)->SetBool(value); }

void GuiWidget::WriteInt(const char* name, int32_t value) { properties_.GetOrAddMember(name)->SetInt(value); }

// ---- layout -------------------------------------------------------------

void GuiWidget::ApplyLayoutPosition(const Vrel::t_Named& parameters) {
    const Vrel::Var* document = FindIn(parameters, kPropUseXml);
    const Vrel::Var* tag = FindIn(parameters, kPropXmlTag);
    if (!document || !tag) return;
    const GuiXML* layout = GuiXML::FromValue(*document);
    const char* tagText = tag->GetCString();
    if (!layout || !tagText) return;
    GuiXML::LayoutPosition position;
    if (!layout->FindLayoutPosition(tagText, position)) return;
    if (position.hasX) WriteFloat(kPropXPos, position.x);
    if (position.hasY) WriteFloat(kPropYPos, position.y);
}

// ---- creation -----------------------------------------------------------

AutoRef<GuiWidget> GuiCreateWidget(const char* typeName, const Vrel::t_Named& parameters, GuiWidget* parent) {
    return AttachAndInit(GuiMain::Global().CreateWidget(typeName), parameters, parent);
}

AutoRef<GuiWidget> GuiCreateWidget(const ClassRecord* record, const Vrel::t_Named& parameters, GuiWidget* parent) {
    if (!record || !record->factory || !ClassRecord::IsKindOf(record, &GuiWidget::kClassRecord)) return {};
    AutoRef<GuiWidget> widget(static_cast<GuiWidget*>(record->factory()));
    return AttachAndInit(std::move(widget), parameters, parent);
}

void RemoveObservedWidget(WeakRef<GuiWidget>& observed) {
    AutoRef<GuiWidget> widget(observed.Get());
    observed.Reset();
    if (widget && widget->GetParent()) widget->RemoveAndDetach();
}

}  // namespace halvo
