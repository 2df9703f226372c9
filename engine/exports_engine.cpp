#include "engine/exports_engine.h"

namespace corvel {

Engine& TheEngine()
{
    static Engine engine;
    return engine;
}

} // namespace corvel
