#include "runner.h"

#include <cmath>
#include <cstdlib>

#include "engine.h"
#include "mediacheck.h"
#include "platforms.h"
#include "sound.h"
#include "textconv.h"
#include "textoverlay.h"

using namespace irr;

const float startHeight = 20.0f;
Runner runner;

namespace {

const float gravity = 100.0f;         // units per second per second
const float terminalSpeed = 100.0f;   // units per second
const float fullJump = 100.0f;        // jumpStrength when standing
const float easeRate = 5.0f;          // share of the remaining distance per second
const float startDistance = 40.0f;    // a platform this near lets the runner start
const float tumbleRate = 120.0f;      // degrees per second about each axis
const float deathDepth = -200.0f;
const float overDepth = -600.0f;

const core::vector3df standingPose(90.0f, 0.0f, 0.0f);
const core::vector3df risingPose(45.0f, 0.0f, 0.0f);

void addTrail(scene::ISceneNode* parent)
{
    runner.trailNode = engine.scene->addParticleSystemSceneNode(
        false, parent, -1, core::vector3df(1, 1, 2), core::vector3df(0, 0, 0),
        core::vector3df(1, 1, 1));
    if (!runner.trailNode)
        return;
    const video::SColor white(255, 255, 255, 255);
    scene::IParticleEmitter* emitter = runner.trailNode->createBoxEmitter(
        core::aabbox3df(-1, -1, -1, 1, 1, 1), core::vector3df(0.0f, -1.0f, -1.0f) * 0.025f, 40, 50,
        white, white, 1000, 1000, 20);
    runner.trailNode->setEmitter(emitter);
    emitter->drop();
    runner.trailNode->setMaterialFlag(video::EMF_LIGHTING, false);
    runner.trailNode->setMaterialTexture(0, engine.video->getTexture("media/star.png"));
    runner.trailNode->setMaterialType(video::EMT_TRANSPARENT_ADD_COLOR);
}

}  // namespace

void createRunner()
{
    // Without its mesh the rabbit is an invisible node: the run, the camera and the score
    // still work, and the engine has already logged the missing file.
    const char* meshFile = "media/rabbit.b3d";
    scene::IAnimatedMesh* mesh =
        meshFileIntact(meshFile) ? engine.scene->getMesh(meshFile) : nullptr;
    // A skinned mesh's box follows the pose it was last animated to, and a new node copies it:
    // the first frame's pose gives the same probes on every run.
    if (mesh)
        mesh->getMesh(0);
    runner.runnerNode = engine.scene->addAnimatedMeshSceneNode(
        mesh, nullptr, -1, core::vector3df(0, 0, 0), core::vector3df(0, 0, 0),
        core::vector3df(1, 1, 1), true);
    scene::IAnimatedMeshSceneNode* node = runner.runnerNode;
    node->setRotation(standingPose);
    node->setAnimationSpeed(12000.0f);
    // the mesh's own box, so the pose above does not change it
    runner.halfHeight = node->getBoundingBox().getExtent().Y / 2.0f;
    runner.fallSpeed = 0.0f;
    runner.jumpStrength = fullJump;
    runner.started = false;
    runner.dead = false;
    node->setPosition(core::vector3df(0.0f, startHeight, 0.0f));
    node->updateAbsolutePosition();
    addTrail(node);
}

void updateRunner(double dt)
{
    scene::IAnimatedMeshSceneNode* node = runner.runnerNode;
    if (!node)
        return;
    core::vector3df p = node->getAbsolutePosition();
    const float h = runner.halfHeight;

    const core::vector3df probes[4] = {
        p + core::vector3df(0.0f, h, -h), p + core::vector3df(0.0f, -h, -h),
        p + core::vector3df(0.0f, h, h), p + core::vector3df(0.0f, -h, h)};
    core::aabbox3df box;
    bool touching = false;
    for (const core::vector3df& probe : probes) {
        if (findPlatformAt(probe, box)) {
            touching = true;
            break;
        }
    }
    bool contact = touching;
    if (!contact && !runner.started && nearestPlatformDistance(p) < startDistance)
        contact = true;

    if (contact && !runner.started) {
        shoutText(L"GO!", screenCenterY());
        runner.started = true;
    }

    if (touching) {
        float centreY = box.getCenter().Y;
        if (p.Y > centreY) {
            runner.jumpStrength = fullJump;
            if (runner.fallSpeed > 0.0f) {
                runner.fallSpeed = 0.0f;
                p.Y += ((box.MaxEdge.Y + h) - p.Y) * easeRate * dt;
            }
        } else if (runner.fallSpeed < 0.0f) {
            runner.fallSpeed = 0.0f;
            p.Y -= (p.Y - (box.MinEdge.Y - h)) * easeRate * dt;
        }
    }

    if (runner.started)
        p.Y -= runner.fallSpeed * dt;
    node->setPosition(p);

    scene::ICameraSceneNode* camera = engine.scene->getActiveCamera();
    if (!runner.dead) {
        if (camera)
            camera->setPosition(p + cameraOffset);
        bool rising = runner.fallSpeed < 0.0f;
        node->setRotation(rising ? risingPose : standingPose);
        node->setLoopMode(!rising);
    } else {
        const float turn = static_cast<float>(tumbleRate * dt);
        node->setRotation(node->getRotation() + core::vector3df(turn, turn, turn));
    }
    if (camera) {
        // the camera takes a target relative to where it is now, so settle its place first
        camera->updateAbsolutePosition();
        camera->setTarget(p + cameraTargetOffset);
    }

    if (runner.started)
        runner.fallSpeed += gravity * dt;
    if (runner.fallSpeed > terminalSpeed)
        runner.fallSpeed = terminalSpeed;
    node->updateAbsolutePosition();
}

void jump()
{
    if (runner.dead || !runner.started)
        return;
    if (runner.jumpStrength > 1.0f) {
        runner.fallSpeed = -runner.jumpStrength;
        runner.jumpStrength /= 2.0f;
    }
    playOneShot(numberedName("media/la", std::rand() % 3, ".wav"), 0);
}

bool touchesRunner(scene::ISceneNode* node)
{
    if (!runner.runnerNode || !node)
        return false;
    core::vector3df r = runner.runnerNode->getAbsolutePosition();
    core::vector3df c = node->getAbsolutePosition();
    float dy = r.Y - c.Y;
    float dz = r.Z - c.Z;
    float distance = std::sqrt(dy * dy + dz * dz);
    float reach = node->getBoundingBox().getExtent().getLength();
    return distance < runner.halfHeight + reach;
}

bool checkFall()
{
    if (!runner.runnerNode)
        return false;
    float depth = runner.runnerNode->getAbsolutePosition().Y - lowestPlatformY();
    if (depth < deathDepth && !runner.dead) {
        playOneShot(numberedName("media/die", std::rand() % 3, ".wav"), 0);
        runner.dead = true;
    }
    return depth < overDepth;
}

void removeRunner()
{
    if (!runner.runnerNode)
        return;
    runner.runnerNode->remove();  // the trail goes with it
    runner.runnerNode = nullptr;
    runner.trailNode = nullptr;
}
