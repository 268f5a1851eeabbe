#include "world.h"

#include <cstdlib>

#include "carrots.h"
#include "engine.h"
#include "startup.h"
#include "gamestate.h"
#include "platforms.h"
#include "runner.h"
#include "textoverlay.h"

using namespace irr;

const core::vector3df platformSize(20.0f, 10.0f, 40.0f);

namespace {

std::deque<int> script;
long draws = 0;

const char* const meshFiles[] = {"media/plat0.obj", "media/plat1.obj", "media/plat2.obj",
                                 "media/rabbit.b3d", "media/rabbit2.b3d",
                                 "media/carrotsmall.obj"};

class DeviceEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        IrrlichtDevice* device = createDevice(video::EDT_NULL, core::dimension2du(800, 600));
        device->getLogger()->setLogLevel(ELL_NONE);
        keepEngineHandles(device, nullptr);
    }
    void TearDown() override
    {
        engine.device->drop();
        engine = Engine();
    }
};

::testing::Environment* const deviceEnvironment =
    ::testing::AddGlobalTestEnvironment(new DeviceEnvironment);

}  // namespace

extern "C" int rand()
{
    ++draws;
    if (!script.empty()) {
        int value = script.front();
        script.pop_front();
        return value;
    }
    return static_cast<int>(random());  // what the C library's rand() is on this system
}

extern "C" void srand(unsigned int seed)
{
    srandom(seed);
}

void scriptRand(const std::vector<int>& values)
{
    script.assign(values.begin(), values.end());
}

size_t scriptedLeft()
{
    return script.size();
}

long drawCount()
{
    return draws;
}

std::vector<std::string> RecordingSound::files() const
{
    std::vector<std::string> names;
    for (const Played& p : played)
        names.push_back(p.file);
    return names;
}

void World::SetUp()
{
    script.clear();
    engine.sound = &sounds;
    engine.scene->clear();
    engine.gui->clear();
    camera = engine.scene->addCameraSceneNodeFPS(nullptr, 0.0f, 0.0f, -1, nullptr, 0, false, 0.0f);
    engine.timer->stop();
    engine.timer->setTime(1000);
    useMediaFiles();
    gameState = Title;
    runner = Runner();
    stream = PlatformStream();
    resetPlatforms();
    resetCarrotCount();
    srand(1234);
}

void World::TearDown()
{
    removeRunner();
    clearPlatforms();
    removeCarrotHud();
    while (!overlayTexts.empty())
        removeText(overlayTexts.front().handle);
    useMediaFiles();
    engine.timer->start();
    engine.sound = nullptr;
    script.clear();
}

void World::useBox(const char* file, const core::vector3df& size)
{
    scene::IMeshCache* cache = engine.scene->getMeshCache();
    if (scene::IAnimatedMesh* old = cache->getMeshByName(file))
        cache->removeMesh(old);
    scene::IMesh* box = engine.scene->getGeometryCreator()->createCubeMesh(size);
    scene::SAnimatedMesh* mesh = new scene::SAnimatedMesh(box);
    mesh->recalculateBoundingBox();
    box->drop();
    cache->addMesh(file, mesh);
    mesh->drop();
}

void World::useMediaFiles()
{
    scene::IMeshCache* cache = engine.scene->getMeshCache();
    for (const char* file : meshFiles)
        if (scene::IAnimatedMesh* old = cache->getMeshByName(file))
            cache->removeMesh(old);
}

scene::IAnimatedMeshSceneNode* World::addPlatform(const core::vector3df& at, const char* file)
{
    scene::IAnimatedMeshSceneNode* node =
        engine.scene->addAnimatedMeshSceneNode(engine.scene->getMesh(file));
    node->setPosition(at);
    node->updateAbsolutePosition();
    stream.platforms.push_back(node);
    return node;
}

int World::countNodes(scene::ISceneNode* node)
{
    if (!node)
        node = engine.scene->getRootSceneNode();
    int count = 0;
    for (scene::ISceneNode* child : node->getChildren())
        count += 1 + countNodes(child);
    return count;
}

int World::textsShowing(const wchar_t* text)
{
    int count = 0;
    for (gui::IGUIElement* child : engine.gui->getRootGUIElement()->getChildren())
        if (core::stringw(child->getText()) == text)
            ++count;
    return count;
}

void World::animate()
{
    engine.scene->drawAll();
}

void expectStars(scene::IParticleSystemSceneNode* node, const core::vector3df& direction,
                 u32 minPerSecond, u32 maxPerSecond, u32 life, s32 angle, const char* textureFile)
{
    ASSERT_NE(node, nullptr);
    scene::IParticleEmitter* emitter = node->getEmitter();
    ASSERT_NE(emitter, nullptr);
    ASSERT_EQ(emitter->getType(), scene::EPET_BOX);
    EXPECT_EQ(static_cast<scene::IParticleBoxEmitter*>(emitter)->getBox(),
              core::aabbox3df(-1, -1, -1, 1, 1, 1));
    EXPECT_TRUE(emitter->getDirection().equals(direction));
    EXPECT_EQ(emitter->getMinParticlesPerSecond(), minPerSecond);
    EXPECT_EQ(emitter->getMaxParticlesPerSecond(), maxPerSecond);
    EXPECT_EQ(emitter->getMinStartColor(), video::SColor(255, 255, 255, 255));
    EXPECT_EQ(emitter->getMaxStartColor(), video::SColor(255, 255, 255, 255));
    EXPECT_EQ(emitter->getMinLifeTime(), life);
    EXPECT_EQ(emitter->getMaxLifeTime(), life);
    EXPECT_EQ(emitter->getMaxAngleDegrees(), angle);
    EXPECT_EQ(emitter->getReferenceCount(), 1);  // the node's own
    const video::SMaterial& material = node->getMaterial(0);
    EXPECT_FALSE(material.getFlag(video::EMF_LIGHTING));
    EXPECT_EQ(material.MaterialType, video::EMT_TRANSPARENT_ADD_COLOR);
    EXPECT_EQ(material.getTexture(0), engine.video->getTexture(textureFile));
}
