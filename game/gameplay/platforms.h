#pragma once
#include <cstdint>
#include <irrlicht.h>
#include <vector>

// The moving world: platforms spawned ahead on +z, scrolled towards the camera, culled behind it.
struct PlatformStream {
    std::vector<irr::scene::IAnimatedMeshSceneNode*> platforms;  // oldest first, no references held
    irr::core::vector3df spawnPosition;
    float removeLimitZ = 0;
    float speed = 0;  // world units per millisecond
    int32_t lastSpawnTime = 0;
    int32_t passTime = 0;
    int32_t gapTime = 0;
    int32_t gapMin = 0, gapMax = 0;
    float stepMin = 0, stepMax = 0;
    double speedUpTimer = 0;
};
extern PlatformStream stream;

void resetPlatforms();
void spawnPlatform(int32_t now);
void scrollPlatforms(double dt);
void updateSpeed(double dt);
void clearPlatforms();
bool findPlatformAt(const irr::core::vector3df& point, irr::core::aabbox3df& box);
float nearestPlatformDistance(const irr::core::vector3df& point);
float lowestPlatformY();
