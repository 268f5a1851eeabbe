#include "carrots.h"

#include <cstdlib>
#include <string>

#include "engine.h"
#include "random.h"
#include "runner.h"
#include "sound.h"
#include "textconv.h"
#include "textoverlay.h"

using namespace irr;

int32_t carrotCount = 0;
std::vector<scene::ISceneNode*> carrotNodes;

namespace {

gui::IGUIImage* carrotIcon = nullptr;
gui::IGUIStaticText* counterText = nullptr;

const float bigScaleAbove = 1.01f;  // a carrot scaled beyond this is the big one

std::wstring wide(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

void dropEntry(size_t index)
{
    carrotNodes[index]->drop();
    carrotNodes.erase(carrotNodes.begin() + index);
}

}  // namespace

void placeCarrots(scene::ISceneNode* platform)
{
    if (std::rand() % 1000 >= 800)
        return;
    int32_t n = 2 + std::rand() % 8;
    float h = 3.0f;
    float k = 1.0f;
    core::vector3df rotation(0.0f, 0.0f, 0.0f);
    if (std::rand() % 100 <= 4) {
        float a = randomUnit();
        float b = randomUnit();
        float c = randomUnit();
        n = 1;
        h = 10.0f + 20.0f * a;
        k = 4.0f;
        rotation = core::vector3df(20.0f * c, 360.0f * b, 0.0f);
    }

    for (int32_t i = 0; i < n; ++i) {
        scene::IAnimatedMesh* mesh = engine.scene->getMesh("media/carrotsmall.obj");
        scene::IAnimatedMeshSceneNode* node = engine.scene->addAnimatedMeshSceneNode(
            mesh, platform, -1, core::vector3df(0, 0, 0), core::vector3df(0, 0, 0),
            core::vector3df(1, 1, 1), false);
        // the sideways draw is spent even without a node, so the stream stays the same
        float s = randomSigned();
        if (!node)
            continue;
        node->setPosition(core::vector3df(3.0f * s, h, 4.0f * i - n) * 4.0f / 2.0f);
        node->setScale(core::vector3df(k, k, k));
        node->setRotation(rotation);
        node->grab();
        carrotNodes.push_back(node);
    }
}

void collectCarrots()
{
    size_t i = 0;
    while (i < carrotNodes.size()) {
        scene::ISceneNode* carrot = carrotNodes[i];
        bool reached = touchesRunner(carrot);
        scene::ISceneNode* parent = carrot->getParent();
        if (parent && !reached) {
            ++i;
            continue;
        }
        if (reached) {
            if (carrot->getScale().X > bigScaleAbove) {
                playOneShot("media/boom.wav", 0);
                carrotCount += 100;
            } else {
                playOneShot("media/pop0.wav", 0);
                carrotCount += 1;
            }
            pickupEffect(parent, carrot->getPosition(), "media/star.png",
                         video::EMT_TRANSPARENT_ADD_COLOR);
            carrot->remove();
        }
        dropEntry(i);
    }
    updateCarrotCounter(carrotCount);
}

void pickupEffect(scene::ISceneNode* parent, const core::vector3df& position,
                  const char* textureFile, int32_t materialType)
{
    scene::IParticleSystemSceneNode* sparkle = engine.scene->addParticleSystemSceneNode(
        false, parent, -1, position, core::vector3df(0, 0, 0), core::vector3df(1, 1, 1));
    if (!sparkle)
        return;
    const video::SColor white(255, 255, 255, 255);
    scene::IParticleEmitter* emitter = sparkle->createBoxEmitter(
        core::aabbox3df(-1, -1, -1, 1, 1, 1), core::vector3df(0.0f, 1.0f, 0.0f) * 0.05f, 10, 20,
        white, white, 2000, 2000, 360);
    sparkle->setEmitter(emitter);
    emitter->drop();
    sparkle->setMaterialFlag(video::EMF_LIGHTING, false);
    sparkle->setMaterialTexture(0, engine.video->getTexture(textureFile));
    sparkle->setMaterialType(static_cast<video::E_MATERIAL_TYPE>(materialType));
}

void showCarrotHud()
{
    video::ITexture* texture = engine.video->getTexture("media/carrot.png");
    if (!texture)
        return;  // no icon; the counter still shows the count
    carrotIcon = engine.gui->addImage(texture, core::position2di(30, 30), true, nullptr, -1, nullptr);
}

void updateCarrotCounter(int32_t count)
{
    if (counterText)
        counterText->remove();
    counterText = staticText(wide(intToString(count)).c_str(), 120, 65, 3, blinkFontFile);
}

void removeCarrotHud()
{
    if (counterText)
        counterText->remove();
    counterText = nullptr;
    if (carrotIcon)
        carrotIcon->remove();
    carrotIcon = nullptr;
}

void resetCarrotCount()
{
    carrotCount = 0;
}

void releaseCarrots()
{
    for (scene::ISceneNode* carrot : carrotNodes)
        carrot->drop();
    carrotNodes.clear();
}

void releaseLostCarrots()
{
    size_t i = 0;
    while (i < carrotNodes.size()) {
        if (carrotNodes[i]->getParent())
            ++i;
        else
            dropEntry(i);
    }
}
