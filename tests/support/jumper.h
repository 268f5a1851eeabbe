#pragma once
// A scripted player for long simulated runs: jumps when the ground coming up is not below the
// rabbit's feet. Enough to stay alive for minutes.
#include <algorithm>
#include <irrlicht.h>

#include "platforms.h"
#include "runner.h"

inline bool jumperWantsToJump()
{
    if (!runner.runnerNode || !runner.started || runner.dead || runner.fallSpeed < 0.0f)
        return false;
    float feet = runner.runnerNode->getAbsolutePosition().Y - runner.halfHeight;
    float highest = -1e9f;
    for (irr::scene::IAnimatedMeshSceneNode* platform : stream.platforms) {
        irr::core::aabbox3df box = platform->getTransformedBoundingBox();
        if (box.MaxEdge.Z >= -runner.halfHeight && box.MinEdge.Z <= 35.0f)
            highest = std::max(highest, box.MaxEdge.Y);
    }
    return feet < highest + 0.5f;
}
