#include "platform/MainLoop.h"

#include <algorithm>
#include <cmath>
#include <utility>

bool MainLoop::RunPass(int& exitCode) {
    if (!platform_.PumpMessage(exitCode)) return false;
    const uint32_t now = clock_();
    // Unsigned difference: a wrap of the 32-bit clock still gives the gap.
    double delta = static_cast<double>(static_cast<uint32_t>(now - previous_));
    if (delta > kLargestGapMs) delta = kStepMs;
    if (client_.IsQuitRequested()) {
        exitCode = 0;
        return false;
    }
    double& accumulator = client_.FrameAccumulator();
    if (TakeResetRequest()) accumulator = 0;
    else accumulator += delta;
    if (accumulator >= 0) RunFrame();
    if (!platform_.IsWindowActive()) platform_.Sleep(kInactiveSleepMs);
    else WaitUntilFrameDue(now);
    previous_ = now;
    return true;
}

bool MainLoop::TakeResetRequest() {
    const bool taken = std::exchange(resetTaken_, false);
    return client_.TakeResetRequest() || taken;
}

// The accumulator stands below zero after every pass; the next frame is due
// as many milliseconds after this pass's clock reading as it stands below.
// A message ends the wait early and is taken by the next pass, so input
// reaches the game no later than it would in a loop that never waited.
void MainLoop::WaitUntilFrameDue(uint32_t passTime) {
    // A reset or a quit asked for in this pass's frame is acted on at once
    // in the next pass.
    resetTaken_ = client_.TakeResetRequest();
    if (resetTaken_ || client_.IsQuitRequested()) return;
    // Never longer than a step, whatever the game left in the accumulator.
    const double dueMs = std::min(std::ceil(-client_.FrameAccumulator()), kStepMs);
    const double spentMs = static_cast<double>(static_cast<uint32_t>(clock_() - passTime));
    if (spentMs >= dueMs) return;
    platform_.WaitForMessage(static_cast<uint32_t>(dueMs - spentMs));
}

void MainLoop::RunFrame() {
    double& accumulator = client_.FrameAccumulator();
    double& totalTime = client_.TotalTime();
    // The whole frame's time: one step more than fit into the accumulator,
    // which therefore runs ahead of real time by less than a step.
    double frameMs = 0;
    for (double x = accumulator; x >= 0; x -= kStepMs) frameMs += kStepMs;
    if (hooks_.updateScripts) hooks_.updateScripts(static_cast<float>(frameMs));
    client_.ProcessInput();
    if (hooks_.updateGui) hooks_.updateGui(totalTime, frameMs);
    while (accumulator >= 0) {
        client_.Update(kStepMs);
        totalTime += kStepMs;
        accumulator -= kStepMs;
    }
    client_.Render();
    platform_.Present();
    client_.Presented(clock_());
}

int MainLoop::Run() {
    Start();
    int exitCode = 0;
    while (RunPass(exitCode)) {
    }
    return exitCode;
}
