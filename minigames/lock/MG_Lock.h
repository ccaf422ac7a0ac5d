#pragma once
// The code lock ("Schloss"): ten numbered bolts above a lock of eight
// slots. The player drags bolts into the slots and presses the check
// button; lights grade each check, ten checks at most. Once the code is
// right the bolts are pushed in, in a hidden order. LockRules decides every
// move; this screen drags, draws, plays the sounds and reports to the host.

#include "minigames/lock/LockRules.h"
#include "minigames/MiniGame.h"

#include <array>
#include <memory>

class GLImage;

class MG_Lock : public MiniGame {
public:
    static const ClassRecord kClassRecord;
    static halvo::RefObj* Create();

    static constexpr const char* kSolvedKey = "[PLAYER]/Data/Minigames/Lock/Solved";
    static constexpr const char* kTimeKey = "[STATS]/schloss";
    static constexpr const char* kTriesKey = "[STATS]/schloss_trys";
    // The row of lights that counts the tries, one light each: the middle
    // of the first light and the step to the next.
    static constexpr float kTryLightX = 1169.0f, kTryLightStep = 38.0f, kTryLightY = 808.0f;

    MG_Lock();
    ~MG_Lock() override;

    const ClassRecord* GetClassInfo() const override { return &kClassRecord; }
    bool LoadConfig(const Vec2& centre) override;
    bool OnInput(const InputEvent& event) override;
    void OnUpdate(double totalMs, double stepMs) override;
    void OnRender(const Matrix4& matrix) override;

    // For tests: the rules and where a bolt lies.
    const LockRules* GetRules() const { return rules_.get(); }
    Vec2 GetPiecePosition(int32_t piece) const { return pieces_[piece].position; }
    int32_t GetDragged() const { return dragged_; }

private:
    struct Piece {
        halvo::AutoRef<GLImage> image;
        Vec2 position;
    };

    // Null when it went well, else why not.
    const char* LoadImages();
    void PressAt(Vec2 p);
    void Push(int32_t piece);
    void DragTo(Vec2 p);
    void PlaceWaitingRow();
    void DropDragged();
    void CheckCode();
    // Every bolt in a slot rests where its slot's state puts it.
    void SettlePieces();
    void DrawPieces(const Matrix4& matrix, bool inSlots);
    void DrawLights(const Matrix4& matrix);
    static void DrawAt(GLImage* image, Vec2 position, const Matrix4& matrix);

    std::unique_ptr<LockRules> rules_;
    halvo::AutoRef<GLImage> lightWhite_, lightRed_, lightYellow_, lightGreen_;
    halvo::AutoRef<GLImage> buttonOut_, buttonIn_;
    halvo::AutoRef<GLImage> background_;
    std::array<Piece, LockRules::kPieceCount> pieces_;
    int32_t dragged_ = -1;
    Vec2 grabOffset_;
    bool buttonDown_ = false;
};
