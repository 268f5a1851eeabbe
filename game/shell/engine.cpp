#include "engine.h"

Engine engine;

const irr::core::vector3df cameraOffset(0.0f, 14.0f, -20.0f);
const irr::core::vector3df cameraTargetOffset(0.0f, 0.0f, 0.0f);
