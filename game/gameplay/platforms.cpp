#include "platforms.h"

#include <cmath>
#include <cstdlib>

#include "carrots.h"
#include "engine.h"
#include "mediacheck.h"
#include "gamestate.h"
#include "random.h"
#include "runner.h"
#include "sound.h"
#include "textconv.h"
#include "textoverlay.h"

using namespace irr;

PlatformStream stream;

namespace {

const float farAway = 100000.0f;  // answer of the distance queries when there is no platform

// Adds a mesh node or, when the mesh cannot be loaded, nothing at all.
scene::IAnimatedMeshSceneNode* addMeshNode(const char* file, scene::ISceneNode* parent)
{
    scene::IAnimatedMesh* mesh = meshFileIntact(file) ? engine.scene->getMesh(file) : nullptr;
    if (!mesh)
        return nullptr;
    return engine.scene->addAnimatedMeshSceneNode(mesh, parent, -1, core::vector3df(0, 0, 0),
                                                  core::vector3df(0, 0, 0),
                                                  core::vector3df(1, 1, 1));
}

// A rabbit sitting on the platform. Its draws are spent even without the mesh, so a missing
// decoration never changes the rest of the stream.
void decorate(scene::IAnimatedMeshSceneNode* platform)
{
    scene::IAnimatedMeshSceneNode* node = addMeshNode("media/rabbit2.b3d", platform);
    float turn = randomUnit();
    float a = randomSigned();
    float b = randomUnit();
    float c = randomSigned();
    int32_t animationSpeed = std::rand() % 2000 + 2000;
    int32_t frameDraw = std::rand();
    float k = 1.2f + 0.5f * randomUnit();
    if (!node)
        return;
    node->setRotation(core::vector3df(90.0f, 360.0f * turn, 0.0f));
    node->setPosition(core::vector3df(6.0f * c, 6.0f + b, 2.0f * a));
    node->setAnimationSpeed(static_cast<f32>(animationSpeed));
    int32_t endFrame = node->getEndFrame();
    node->setCurrentFrame(endFrame > 0 ? static_cast<f32>(frameDraw % endFrame) : 0.0f);
    node->setScale(core::vector3df(k, k, k));
}

}  // namespace

void resetPlatforms()
{
    clearPlatforms();
    stream.spawnPosition = core::vector3df(0.0f, 0.0f, 300.0f);
    stream.removeLimitZ = -100.0f;
    stream.speed = 0.05f;
    stream.lastSpawnTime = 0;
    stream.passTime = 0;
    stream.gapTime = 0;
    stream.gapMin = 200;
    stream.gapMax = 300;
    stream.stepMin = 15.0f;
    stream.stepMax = 25.0f;
    stream.speedUpTimer = 0.0;
}

void spawnPlatform(int32_t now)
{
    // the due time wraps like the 32-bit counter it is made of
    int32_t due = static_cast<int32_t>(static_cast<uint32_t>(stream.lastSpawnTime) +
                                       static_cast<uint32_t>(stream.passTime) +
                                       static_cast<uint32_t>(stream.gapTime));
    if (stream.lastSpawnTime != 0 && due >= now)
        return;

    std::string file = numberedName("media/plat", std::rand() % 3, ".obj");
    scene::IAnimatedMeshSceneNode* node = addMeshNode(file.c_str(), nullptr);
    if (!node)
        return;  // no mesh: the schedule stays due, the next step tries again

    node->setScale(core::vector3df(1, 1, 1));
    core::vector3df extent = node->getBoundingBox().getExtent();
    node->setPosition(stream.spawnPosition + core::vector3df(0.0f, 0.0f, extent.Z / 2.0f));
    node->updateAbsolutePosition();
    stream.platforms.push_back(node);

    placeCarrots(node);

    if (gameState == Playing) {
        float u = randomUnit();
        float s = randomSign();
        stream.spawnPosition.Y += s * (u * (stream.stepMax - stream.stepMin) + stream.stepMin);
    }

    int32_t range = stream.gapMax - stream.gapMin;
    int32_t draw = std::rand();
    stream.gapTime = (range > 0 ? draw % range : 0) + stream.gapMin;

    extent = node->getBoundingBox().getExtent();
    stream.passTime = stream.speed > 0 ? static_cast<int32_t>(extent.Z / stream.speed) : 0;
    stream.lastSpawnTime = now;

    if (std::rand() % 100 > 29)
        return;
    decorate(node);
}

void scrollPlatforms(double dt)
{
    core::vector3df move(0.0f, 0.0f, static_cast<f32>(-stream.speed * dt * 1000.0));
    size_t i = 0;
    while (i < stream.platforms.size()) {
        scene::IAnimatedMeshSceneNode* node = stream.platforms[i];
        node->setPosition(node->getAbsolutePosition() + move);
        node->updateAbsolutePosition();
        if (node->getAbsolutePosition().Z <= stream.removeLimitZ) {
            node->remove();
            stream.platforms.erase(stream.platforms.begin() + i);
        } else {
            ++i;
        }
    }
    // Outside a run nobody collects, so carrots left behind by culled platforms go now.
    if (gameState != Playing)
        releaseLostCarrots();
}

void updateSpeed(double dt)
{
    stream.speedUpTimer += dt;
    if (stream.speedUpTimer > 20.0 && !runner.dead) {
        playOneShot("media/speed.wav", 2);
        blinkText(L"< administering speed >", screenCenterY(), 3.5);
        stream.speedUpTimer = 0.0;
        stream.speed += 0.0025f;
        stream.gapMin += 50;
        stream.gapMax += 50;
        stream.stepMax += 1.0f;
    }
}

void clearPlatforms()
{
    for (scene::IAnimatedMeshSceneNode* node : stream.platforms)
        node->remove();
    stream.platforms.clear();
    releaseCarrots();
}

bool findPlatformAt(const core::vector3df& point, core::aabbox3df& box)
{
    for (scene::IAnimatedMeshSceneNode* node : stream.platforms) {
        core::aabbox3df found = node->getTransformedBoundingBox();
        if (point.X >= found.MinEdge.X && point.X <= found.MaxEdge.X &&
            point.Y >= found.MinEdge.Y && point.Y <= found.MaxEdge.Y &&
            point.Z >= found.MinEdge.Z && point.Z <= found.MaxEdge.Z) {
            box = found;
            return true;
        }
    }
    return false;
}

float nearestPlatformDistance(const core::vector3df& point)
{
    float nearest = farAway;
    for (scene::IAnimatedMeshSceneNode* node : stream.platforms) {
        core::vector3df at = node->getAbsolutePosition();
        float dx = at.X - point.X;
        float dz = at.Z - point.Z;
        float distance = std::sqrt(dx * dx + dz * dz);
        if (distance < nearest)
            nearest = distance;
    }
    return nearest;
}

float lowestPlatformY()
{
    float lowest = farAway;
    for (scene::IAnimatedMeshSceneNode* node : stream.platforms) {
        float y = node->getAbsolutePosition().Y;
        if (y < lowest)
            lowest = y;
    }
    return lowest;
}
