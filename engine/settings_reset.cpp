// The power-on reset that new settings of the chip device ask for, kept away
// from a running simulation thread.
#include "engine/engine.h"

namespace corvel {

bool Engine::PowerOnResetUnlessRunning()
{
    if (onSimulationThread())
        return false;
    if (simThread_.joinable()) {
        if (rtRunning.load())
            return false;
        // Told to stop: it ends at its next wait, so the join is short.
        Stop_and_wait();
    }
    PowerOnReset();
    return true;
}

} // namespace corvel
