#pragma once
#include <irrlicht.h>

extern const float startHeight;  // 20

struct Runner {
    irr::scene::IAnimatedMeshSceneNode* runnerNode = nullptr;
    irr::scene::IParticleSystemSceneNode* trailNode = nullptr;
    float halfHeight = 0;
    float fallSpeed = 0;  // positive downwards
    float jumpStrength = 0;
    bool started = false;
    bool dead = false;
};
extern Runner runner;

void createRunner();
void updateRunner(double dt);
void jump();
bool touchesRunner(irr::scene::ISceneNode* node);
bool checkFall();
void removeRunner();
