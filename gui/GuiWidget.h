#pragma once
// Base of every widget and itself the plain container (type name "Frame").
// A widget is a script value: everything scripts and layouts see lives in
// its named property table, which the engine reads by the kProp names below.
// Widgets form a tree: a parent owns its first child, each child its next
// sibling, and the parent pointer is lent. Anything that can run script
// (events, updates, removal, focus) holds the widgets it calls, because a
// handler may detach or release any of them.

#include "gui/GuiFrameClock.h"
#include "gui/GuiListener.h"
#include "platform/ClassRecord.h"
#include "platform/InputQueue.h"
#include "platform/Math.h"
#include "platform/RefObj.h"
#include "script/runtime/values/t_Named.h"

#include <cstdint>
#include <span>
#include <vector>

namespace halvo {

class GuiAnimator;

// One entry of a widget's table of start properties.
struct GuiDefault {
    enum class Kind : uint8_t { kBool, kInt, kFloat, kText };
    const char* name;
    Kind kind;
    bool flag = false;
    int32_t integer = 0;
    float number = 0;
    const char* text = nullptr;

    constexpr GuiDefault(const char* n, bool value) : name(n), kind(Kind::kBool), flag(value) {}
    constexpr GuiDefault(const char* n, int32_t value) : name(n), kind(Kind::kInt), integer(value) {}
    constexpr GuiDefault(const char* n, float value) : name(n), kind(Kind::kFloat), number(value) {}
    constexpr GuiDefault(const char* n, const char* value) : name(n), kind(Kind::kText), text(value) {}
};

// Picking modes of Pick.
enum GuiPickMode : int32_t {
    kPickAnySized = 0,  // any widget with a size
    kPickPointer = 1,   // widgets whose "pick" is true
    kPickWheel = 2,     // widgets whose "wheel" is true
};

class GuiWidget : public Vrel::VarExtension {
public:
    static const ClassRecord kClassRecord;
    static RefObj* Create();

    // Set by the constructor (the defaults table in GuiWidget.cpp).
    static constexpr const char* kPropScale = "scale";
    static constexpr const char* kPropXPos = "xpos";
    static constexpr const char* kPropYPos = "ypos";
    static constexpr const char* kPropXAnchor = "xanchor";
    static constexpr const char* kPropYAnchor = "yanchor";
    static constexpr const char* kPropXSize = "xsize";  // -1: no size, never a target itself
    static constexpr const char* kPropYSize = "ysize";
    static constexpr const char* kPropShow = "show";
    static constexpr const char* kPropInput = "input";
    static constexpr const char* kPropPick = "pick";
    static constexpr const char* kPropWheel = "wheel";
    // Read when present.
    static constexpr const char* kPropAlpha = "alpha";
    static constexpr const char* kPropClip = "clip";
    static constexpr const char* kPropStartScale = "start_scale";
    // A board the player reads before answering (a question, a notice): it
    // and what sits in it take no press, and the GUI no key, until it has
    // stood fully drawn for a while each time it comes on screen. Read as
    // a showing begins.
    static constexpr const char* kPropReadFirst = "read_first";
    // Creation parameters for a position taken from an XML layout.
    static constexpr const char* kPropUseXml = "use_xml";
    static constexpr const char* kPropXmlTag = "xml_tag";

    // "xsize"/"ysize" of a widget without a size.
    static constexpr float kNoSize = -1.0f;

    // Widget flags (not properties: scripts never see them directly).
    static constexpr uint8_t kFlagHovered = 1;
    static constexpr uint8_t kFlagFocus = 2;
    static constexpr uint8_t kFlagTrackMotion = 4;

    GuiWidget();
    ~GuiWidget() override;

    // Script value operations. A widget never gains a property through a
    // script member write: GetOrAddMember only looks up.
    const ClassRecord* GetClassInfo() const override { return &kClassRecord; }
    const char* GetTypeName() const override { return "widget"; }
    int GetCount() const override;
    Vrel::Var* GetMember(const char* name) override;
    Vrel::Var* GetOrAddMember(const char* name) override;

    // Merges the parameters into the properties, then takes "xpos"/"ypos"
    // from the "use_xml" layout element named by "xml_tag" when both are
    // given. Subclasses call it first.
    virtual bool Init(const Vrel::t_Named& parameters);
    // Listeners' OnUpdate, then the animators, then the children.
    virtual void Update(double timeMs, double dtMs);
    // x, y: the parent's top-left corner on screen; scale, alpha: the
    // parent's accumulated values.
    virtual void Render(float x, float y, float scale, float alpha, const Matrix4& matrix);
    virtual void GetSize(float& width, float& height) const;
    virtual float GetYSize() const;
    virtual float GetXSize() const;
    virtual void SetSize(float width, float height);
    // "alpha", 1.0 when absent.
    virtual float GetAlpha() const;
    virtual bool StartTextureAnim(float /*speed*/, bool /*flag*/, int32_t /*count*/) { return false; }
    // Only while hovered: presses, releases, tracked motion and the wheel
    // become events.
    virtual bool OnInput(const InputEvent& event);
    // x, y in screen coordinates; raises enter or leave with the local point.
    virtual void SetHover(bool on, float x, float y);
    // Refuses cycles (false); the current parent again changes nothing.
    virtual bool SetParent(GuiWidget* newParent, bool atFront);
    virtual bool TakeFocus() { return false; }
    // The widget's own drawing at its screen corner (x, y) and scale.
    virtual void DrawContent(float /*x*/, float /*y*/, float /*scale*/, float /*alpha*/,
                             const Matrix4& /*matrix*/) {}
    virtual void OnFocusGained();
    virtual void OnFocusLost(GuiWidget* newFocus);
    // The press this widget captured ended without a release reaching it
    // (the hover was cleared during a fade): a control returns to rest
    // without raising its click.
    virtual void OnCaptureCancelled() {}

    // Tree.
    GuiWidget* GetParent() const { return parent_; }
    GuiWidget* GetFirstChild() const { return firstChild_.Get(); }
    GuiWidget* GetNextSibling() const { return nextSibling_.Get(); }
    // True when `widget` is this widget or below it.
    bool Contains(const GuiWidget* widget) const;
    // Detaches the children one by one from the first.
    void DetachChildren();
    // Every child first, then each listener is taken out and told
    // OnRemove(argument). The widget stays in the tree; callers detach it.
    void Remove(GuiWidget* argument);
    // Remove with itself, then detached: what every remover of widgets does.
    void RemoveAndDetach();

    void AddListener(GuiListener* listener);
    size_t GetListenerCount() const { return listeners_.size(); }
    // Null past the end.
    GuiListener* GetListener(size_t index) const {
        return index < listeners_.size() ? listeners_[index].Get() : nullptr;
    }
    // Takes the listener out without telling it; false when it is not here.
    bool RemoveListener(GuiListener* listener);
    void AddAnimator(GuiAnimator* animator);
    bool HasAnimators() const { return !animators_.empty(); }
    // Finish(finish) on each running animator, each reported as ended.
    void StopAllAnimators(bool finish);
    // Depth first: the first widget whose properties equal every criterion
    // (a nil criterion matches a missing property).
    AutoRef<GuiWidget> FindFirst(const Vrel::t_Named& criteria);

    // Geometry, in the parent's coordinates unless named otherwise.
    float GetLeft() const;
    float GetRight() const;
    float GetTop() const;
    float GetBottom() const;
    Vec2 GetPosition() const;
    void SetPositionXY(float x, float y);
    Vec2 GetAnchor() const;
    // The anchor point on screen.
    Vec2 GetAnchorOffset() const;
    Vec2 ParentToLocal(Vec2 point) const;
    Vec2 ScreenToLocal(Vec2 point) const;
    Vec2 LocalToScreen(Vec2 point) const;
    float GetGlobalScale() const;

    // Whether the player could see this widget when they pressed at
    // `pressMs`: every frame since one shown by then drew it.
    bool WasOnScreenAt(uint32_t pressMs) const;
    // Render notes each frame that draws the widget.
    void NoteDrawn();
    // Whether every board read first that this widget is or sits in had
    // stood fully drawn by `ms` in its showing on screen.
    bool StoodToRead(uint32_t ms) const;
    // Whether a board read first is shown on screen here or below that had
    // not stood fully drawn by `ms`; with `anyStanding`, whether one is
    // shown on screen at all.
    bool ShowsBoardToRead(uint32_t ms, bool anyStanding) const;
    // Whether a fade still raises its alpha, or that of a widget it sits
    // in: until it ends the widget is not drawn as fully as it will be.
    bool IsFadingIn() const;

    // Input. The point of Pick is in the parent's coordinates.
    bool RouteInput(const InputEvent& event);
    GuiWidget* Pick(float x, float y, int32_t mode);

    // Delivers one event here and, unless a stopping event was handled,
    // on the parent with the same sender and data.
    bool Notify(int32_t id, GuiWidget* sender, const GuiEventData& data);
    // Tells this widget's own listeners only (answers ignored), holding the
    // widget and each listener: for events reported here before they go to
    // the parent.
    void TellOwnListeners(int32_t id, GuiWidget* sender, const GuiEventData& data);

    // Drag: a copy of `source` follows the pointer over this widget's
    // content while the source is hidden.
    void StartDrag(GuiWidget* source);
    void EndDrag();
    GuiWidget* GetDragImage() const { return dragImage_.Get(); }
    GuiWidget* GetDragSource() const { return dragSource_.Get(); }

    uint8_t GetFlags() const { return flags_; }
    bool IsHovered() const { return flags_ & kFlagHovered; }
    bool HasFocusFlag() const { return flags_ & kFlagFocus; }
    void SetTrackMotion(bool on) { SetFlag(kFlagTrackMotion, on); }

    // Property access. Readers give the fallback for a missing property, one
    // that does not convert, and a number that is not finite.
    Vrel::t_Named& Properties() { return properties_; }
    const Vrel::t_Named& Properties() const { return properties_; }
    bool HasProperty(const char* name) const;
    float ReadFloat(const char* name, float fallback = 0.0f) const;
    bool ReadBool(const char* name, bool fallback = false) const;
    int32_t ReadInt(const char* name, int32_t fallback = 0) const;
    // Writers create the property when it is missing; a non-finite number
    // is not written.
    void WriteFloat(const char* name, float value);
    void WriteBool(const char* name, bool value);
    void WriteInt(const char* name, int32_t value);

protected:
    // How much of "scale" widens the rectangle about the anchor: all of it
    // (1), but for a text, whose "scale" also carries the factor that draws
    // its glyphs at the window's pixel size while its box stays as laid out.
    virtual float RectScaleFactor() const { return 1.0f; }
    // Subclass constructors add their own table after the base's.
    void ApplyDefaults(std::span<const GuiDefault> defaults);
    void SetFlag(uint8_t flag, bool on) { flags_ = on ? (flags_ | flag) : (flags_ & ~flag); }

private:
    const Vrel::Var* FindProperty(const char* name) const;
    // "scale" as the coordinate conversions read it: 1 when absent.
    float ConversionScale() const;
    // "scale" as the rectangle reads it: 0 when absent.
    float RectScale() const;
    bool LinkChild(GuiWidget* child, bool atFront);
    bool UnlinkChild(GuiWidget* child);
    void UnlinkFromParentInDestructor();
    void StepAnimators(double timeMs, double dtMs);
    void ReportAnimationEnd(GuiAnimator* animator);
    void UpdateChildren(double timeMs, double dtMs);
    bool IsCulled(float x, float y, float scale, float sx, float sy, float width, float height,
                  float ownScale) const;
    void RenderInside(float x, float y, float scale, float sx, float sy, float ownScale, float alpha,
                      const Matrix4& matrix);
    bool MatchesCriteria(const Vrel::t_Named& criteria) const;
    void ApplyLayoutPosition(const Vrel::t_Named& parameters);
    bool RoutePointer(const InputEvent& event);

    Vrel::t_Named properties_;
    uint8_t flags_ = 0;
    // The last frame that drew it, and the first of the frames in a row
    // before that one that did: it stands on screen since that one was shown.
    uint32_t drawnFrame_ = 0;
    uint32_t shownFrame_ = 0;
    // For a board read first, when its showing first came on screen fully
    // drawn; null for any other widget.
    AutoRef<GuiFrameStamp> readStamp_;
    AutoRef<GuiWidget> dragSource_;
    AutoRef<GuiWidget> dragImage_;
    GuiWidget* parent_ = nullptr;
    AutoRef<GuiWidget> nextSibling_;
    AutoRef<GuiWidget> firstChild_;
    std::vector<AutoRef<GuiListener>> listeners_;
    std::vector<AutoRef<GuiAnimator>> animators_;
};

// Creates a widget by type name through the GUI manager, appends it to
// `parent` (when given) before Init, and answers it; null for an unknown
// type or a failed Init, which leaves nothing attached.
AutoRef<GuiWidget> GuiCreateWidget(const char* typeName, const Vrel::t_Named& parameters,
                                   GuiWidget* parent);
// The same through a class record's factory (the drag copy); null when the
// record makes no widget.
AutoRef<GuiWidget> GuiCreateWidget(const ClassRecord* record, const Vrel::t_Named& parameters,
                                   GuiWidget* parent);

// For an observer of a widget it made: forgets the reference and, when the
// widget still lives in a tree, removes and detaches it (held meanwhile, as
// its remove handlers may run script that lets go of it).
void RemoveObservedWidget(WeakRef<GuiWidget>& observed);

}  // namespace halvo
