#include <gtest/gtest.h>
#include <cstdlib>
#include <string>

#include "carrots.h"
#include "engine.h"
#include "platforms.h"
#include "logcapture.h"
#include "settings.h"
#include "shellworld.h"
#include "startup.h"

using namespace irr;

TEST(Startup, DriverValuesOnThisPlatform)
{
    struct Case {
        int32_t driver;
        video::E_DRIVER_TYPE type;
    };
    const Case cases[] = {{0, video::EDT_OPENGL},
                          {1, video::EDT_OPENGL},
                          {2, video::EDT_BURNINGSVIDEO},
                          {-1, video::EDT_BURNINGSVIDEO},
                          {7, video::EDT_BURNINGSVIDEO}};
    for (const Case& c : cases)
        EXPECT_EQ(videoDriverType(c.driver), c.type) << "driver " << c.driver;
}

TEST(Startup, WindowSizesTheEngineSurvives)
{
    struct Case {
        int32_t width, height;
        bool supported;
    };
    const Case cases[] = {{800, 600, true},     {1, 1, true},         {16384, 16384, true},
                          {0, 600, false},      {800, 0, false},      {-1, 600, false},
                          {16385, 600, false},  {800, 16385, false},  {65536, 65536, false},
                          {100000, 100000, false}};
    for (const Case& c : cases)
        EXPECT_EQ(windowSizeSupported(c.width, c.height), c.supported)
            << c.width << "x" << c.height;
}

TEST(Startup, UnsupportedSizesGiveNoDevice)
{
    // the software renderer would open a real window, so only sizes refused before that are used
    for (int32_t width : {0, -5, 70000}) {
        Settings settings;
        settings.driver = 2;
        settings.width = width;
        settings.height = 480;
        settings.bits = 32;
        settings.full = 0;
        EXPECT_EQ(createGameDevice(settings), nullptr) << width;
    }
}

TEST(Startup, DirectThreeDWarnsOnce)
{
    Settings settings;
    settings.driver = 0;
    settings.width = 0;  // refused before any window is made
    settings.height = 600;
    LogCapture log;
    createGameDevice(settings);
    EXPECT_EQ(log.text(), "Warning: Direct3D is not available on this system; using OpenGL.\n");

    settings.driver = 1;
    LogCapture quiet;
    createGameDevice(settings);
    EXPECT_EQ(quiet.text(), "");
}

TEST(Startup, PreloadKeepsLoadingOutOfGameTime)
{
    ShellWorld world;
    engine.timer->setTime(500);
    preloadMedia();
    EXPECT_EQ(engine.timer->getTime(), 500u);
    EXPECT_FALSE(engine.timer->isStopped());
    for (const char* mesh : {"media/plat0.obj", "media/plat1.obj", "media/plat2.obj"})
        EXPECT_TRUE(engine.scene->getMeshCache()->isMeshLoaded(mesh)) << mesh;
}

TEST(Startup, CameraAndLight)
{
    ShellWorld world;
    engine.scene->setActiveCamera(nullptr);
    createCameraAndLight();
    scene::ICameraSceneNode* camera = engine.scene->getActiveCamera();
    ASSERT_NE(camera, nullptr);
    EXPECT_FLOAT_EQ(camera->getFOV(), 1.5707964f);
    ASSERT_EQ(camera->getChildren().size(), 1u);
    scene::ISceneNode* child = *camera->getChildren().begin();
    ASSERT_EQ(child->getType(), scene::ESNT_LIGHT);
    auto* light = static_cast<scene::ILightSceneNode*>(child);
    EXPECT_EQ(light->getPosition(), core::vector3df(-100, 1000, 0));
    EXPECT_FLOAT_EQ(light->getLightData().Radius, 400.0f);
    EXPECT_FLOAT_EQ(light->getLightData().AmbientColor.r, 0.8f);
    EXPECT_FLOAT_EQ(light->getLightData().DiffuseColor.g, 0.5f);
}

TEST(Startup, ShutdownGivesBackTheCarrotListsReferences)
{
    ShellWorld world;
    std::srand(7);
    resetPlatforms();
    for (int32_t now = 1; carrotNodes.empty() && now < 1000000; now += 5000)
        spawnPlatform(now);
    ASSERT_FALSE(carrotNodes.empty());
    scene::ISceneNode* carrot = carrotNodes.front();
    carrot->grab();
    const s32 before = carrot->getReferenceCount();  // its platform, the list and this test

    world.window->grab();  // shutdown drops the device it was handed; the world drops it again
    shutDown();
    EXPECT_TRUE(carrotNodes.empty());
    EXPECT_EQ(carrot->getReferenceCount(), before - 1);
    carrot->drop();
}
