#pragma once
// The rules of the jigsaw: pieces cut from a mask, scattered and turned on a
// tray, dragged, turned by a click and joined into groups when dropped close
// to the right place beside a matching neighbour turned the same way. A
// group is a tree of pieces placed by its root; the tray's groups are kept
// in drawing order, first drawn first. Pixels stay with the screen (see
// PuzzleCutter.h); here a piece is an id, a box in the picture and a place.

#include "minigames/puzzle/PuzzleConfig.h"
#include "platform/Math.h"

#include <cstdint>
#include <vector>

struct PuzzleTile {
    static constexpr int32_t kMaxNeighbours = 12;

    uint8_t id = 0;                          // its mask value, 1..255
    Point2i home;                            // top-left of its box in the picture
    Point2i size;                            // its box, the size of its picture
    uint8_t neighbours[kMaxNeighbours] = {};  // ids, the first neighbourCount valid
    int32_t neighbourCount = 0;
    Point2i position;  // tray position of the home corner; on a group root
    int32_t rotation = 0;  // quarter turns counter-clockwise on screen; on a group root
    // Links of the piece tree, as piece indices; kNone where there is none,
    // kTray as the parent of a group lying on the tray.
    int32_t parent = -1, firstChild = -1, prev = -1, next = -1;
};

enum class PuzzleMove {
    kIgnored,   // the event is not the puzzle's: no press held, or it solves itself
    kNothing,   // handled, nothing changed that the player hears
    kTurned,    // a group turned a quarter clockwise
    kDragging,  // a group is held or moved
    kPlaced,    // a held group was put down alone
    kJoined     // a held group was put down and joined a neighbour's group
};

enum class PuzzleResult {
    kNone,    // still playing
    kWon,     // the player finished it (or the autoplay cheat did)
    kSkipped  // help solved it
};

class PuzzleRules {
public:
    static constexpr int32_t kNone = -1;
    static constexpr int32_t kTray = -2;
    // Pointer travel beyond this (squared, design units) starts a drag.
    static constexpr int32_t kDragDistanceSquared = 225;
    // A press released sooner than this without a drag is a click.
    static constexpr double kClickMs = 500.0;
    static constexpr float kQuarterTurn = 1.5707963f;
    // The automatic solve moves a group only when it lies further off the
    // tray's middle than this (squared).
    static constexpr int32_t kCentredSquared = 15;

    // Cuts the pieces from the checked config's mask and scatters them
    // (os::Rand: the shuffle, then y, x and rotation per piece), each
    // wholly on the tray and, where the tray leaves room, off the config's
    // box to keep clear.
    explicit PuzzleRules(const PuzzleConfig& config);

    // Pieces in the shuffled order.
    const std::vector<PuzzleTile>& GetTiles() const { return tiles_; }
    int32_t GetTileOfId(uint8_t id) const { return tileOfId_[id]; }
    int32_t GetGroupRoot(int32_t piece) const;
    Point2i GetWorldPosition(int32_t piece) const;
    int32_t GetGroupRotation(int32_t piece) const { return tiles_[GetGroupRoot(piece)].rotation; }
    float GetGroupAngle(int32_t piece) const { return static_cast<float>(GetGroupRotation(piece)) * kQuarterTurn; }
    Point2i GetPieceCentre(int32_t piece) const;
    Point2i GetGroupCentre(int32_t root) const;
    // The tray's groups in drawing order.
    std::vector<int32_t> GetTopGroups() const;
    // Every piece in drawing order (the held group last); the topmost piece
    // under the pointer is the last hit in this order.
    const std::vector<int32_t>& GetDrawOrder();
    // The group root under the point, or kNone.
    int32_t Pick(Point2i point);
    int32_t GetDragged() const { return dragged_; }
    bool IsAutoSolving() const { return autoSolve_; }
    // Nothing held, one group on the tray, upright.
    bool IsSolved() const;
    PuzzleResult GetResult() const { return result_; }

    // The pointer, in tray coordinates, with the game's total time.
    PuzzleMove Press(Point2i point, double timeMs);
    PuzzleMove MovePointer(Point2i point);
    PuzzleMove Release(double timeMs);
    // Puts the held group down, joined to a neighbour's group when one lies
    // close enough; Nothing when no group is held.
    PuzzleMove Drop();

    // One 17 ms step: the finishing touch (turn the last group upright and
    // centre it) and the result, or with the autoplay cheat or help one
    // step of the automatic solve. Answers the result reached in this step.
    PuzzleResult Step(bool autoPlay);
    // Help: drops what is held and lets the puzzle solve itself.
    void StartAutoSolve();
    // One step of the automatic solve (every second call acts).
    PuzzleResult AutoSolveStep();

private:
    void CutPieces(const PuzzleConfig& config);
    void FindNeighbours(const PuzzleConfig& config);
    void AddNeighbour(PuzzleTile& piece, uint8_t id) const;
    void Scatter();
    void LayOnTray(PuzzleTile& piece) const;
    bool Hits(int32_t piece, Point2i point) const;
    int32_t& FirstChildOf(int32_t node);
    void Unlink(int32_t piece);
    void Attach(int32_t piece, int32_t target, bool asFirstChild);
    void ClampGroup(int32_t root);
    void MoveGroupBy(int32_t root, Point2i delta);
    void TurnGroupAt(int32_t root, Point2i point);
    int32_t FindSnapPartner(int32_t held) const;
    bool Qualifies(int32_t a, int32_t b) const;
    void AppendGroupOrder(int32_t root);
    PuzzleMove HandlePointer();
    PuzzleResult ReportSolved();

    int32_t trayWidth_, trayHeight_;
    float snapThreshold_;
    Point2i clearMin_, clearMax_;
    Point2i maskSize_;
    std::vector<uint8_t> mask_;
    std::vector<PuzzleTile> tiles_;
    int32_t tileOfId_[256];
    int32_t trayFirst_ = kNone;
    int32_t dragged_ = kNone;
    std::vector<int32_t> drawOrder_;
    // Pointer state.
    bool pressed_ = false;
    Point2i pressPoint_, lastPoint_, currentPoint_;
    double pressTime_ = 0;
    enum class Mode { kNone, kClick, kDrag } mode_ = Mode::kNone;
    bool autoSolve_ = false;
    int32_t autoSolveDelay_ = 0;
    PuzzleResult result_ = PuzzleResult::kNone;
};
