#include "game/functions/GameFunctions.h"

#include "game/Game.h"
#include "script/runtime/library/BuiltinSupport.h"
#include "script/runtime/execution/Thread.h"

namespace GameFunctions {

namespace {

constexpr double kMsPerSecond = 1000.0;

}  // namespace

Vrel::Var Sleep(Vrel::t_Interface& call) {
    if (call.count != 1) {
        Vrel::builtins::Report(call, "Sleep(float seconds) - bad parameter");
        return Vrel::Var();
    }
    float seconds = 0.0f;
    const Vrel::Var* argument = call.GetArg(0);
    if (!argument || !argument->ToFloat(seconds)) seconds = 0.0f;
    if (call.thread) call.thread->Sleep(static_cast<float>(seconds * kMsPerSecond));
    return Vrel::Var();
}

bool Include(const char* module) { return Game::RunInclude(module); }

}  // namespace GameFunctions
