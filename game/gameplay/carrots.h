#pragma once
#include <cstdint>
#include <irrlicht.h>
#include <vector>

extern int32_t carrotCount;
// Live carrots in placement order; the list holds one reference (grab) on each.
extern std::vector<irr::scene::ISceneNode*> carrotNodes;

void placeCarrots(irr::scene::ISceneNode* platform);
void collectCarrots();
void pickupEffect(irr::scene::ISceneNode* parent, const irr::core::vector3df& position,
                  const char* textureFile, int32_t materialType);
void showCarrotHud();
void updateCarrotCounter(int32_t count);
void removeCarrotHud();
void resetCarrotCount();
void releaseCarrots();
// Lets go of carrots whose platform is gone, without score: for the steps outside a run.
void releaseLostCarrots();
