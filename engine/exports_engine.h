// The one engine of a loaded corvel. The exported entry points are thin
// wrappers over it; the library face hands it to the chip devices it makes.
// The engine itself knows neither: it is an ordinary object.
#pragma once

#include "engine/engine.h"

namespace corvel {

Engine& TheEngine();

} // namespace corvel
