#include "platform/MainLoop.h"

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
    if (client_.TakeResetRequest()) accumulator = 0;
    else accumulator += delta;
    if (accumulator >= 0) RunFrame();
    if (!platform_.IsWindowActive()) platform_.Sleep(kInactiveSleepMs);
    previous_ = now;
    return true;
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
}

int MainLoop::Run() {
    Start();
    int exitCode = 0;
    while (RunPass(exitCode)) {
    }
    return exitCode;
}
