// Shows every generated asset in one scene lit and framed as the game frames a run:
// mediapreview [opengl|burning] [seconds] [rabbit frame, or -1 to animate]
// Run it from the game folder (the one holding media/).
#include <irrlicht.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace irr;

namespace {

scene::IAnimatedMeshSceneNode* addMesh(scene::ISceneManager* smgr, const char* file, scene::ISceneNode* parent,
                                       core::vector3df pos, core::vector3df rot = {}, float scale = 1)
{
    scene::IAnimatedMesh* mesh = smgr->getMesh(file);
    if (!mesh) {
        std::printf("Error: cannot load %s\n", file);
        return nullptr;
    }
    return smgr->addAnimatedMeshSceneNode(mesh, parent, -1, pos, rot, core::vector3df(scale, scale, scale));
}

void addStars(scene::ISceneManager* smgr, video::IVideoDriver* driver, scene::ISceneNode* parent,
              core::vector3df pos, core::vector3df dir, u32 rateMin, u32 rateMax, u32 life, s32 angle)
{
    scene::IParticleSystemSceneNode* ps = smgr->addParticleSystemSceneNode(false, parent, -1, pos);
    scene::IParticleEmitter* em = ps->createBoxEmitter(core::aabbox3df(-1, -1, -1, 1, 1, 1), dir, rateMin, rateMax,
                                                       video::SColor(255, 255, 255, 255),
                                                       video::SColor(255, 255, 255, 255), life, life, angle);
    ps->setEmitter(em);
    em->drop();
    ps->setMaterialFlag(video::EMF_LIGHTING, false);
    ps->setMaterialTexture(0, driver->getTexture("media/star.png"));
    ps->setMaterialType(video::EMT_TRANSPARENT_ADD_COLOR);
}

void addText(gui::IGUIEnvironment* gui, const char* font, const wchar_t* text, s32 cx, s32 cy, bool leftEdge = false)
{
    gui::IGUIFont* f = gui->getFont(font);
    if (!f) {
        std::printf("Error: cannot load %s\n", font);
        return;
    }
    core::dimension2du d = f->getDimension(text);
    s32 x0 = leftEdge ? cx : cx - s32(d.Width) / 2;
    gui::IGUIStaticText* t = gui->addStaticText(text, core::recti(x0, cy - s32(d.Height) / 2, x0 + s32(d.Width),
                                                                 cy + s32(d.Height) / 2));
    t->setOverrideFont(f);
    t->setOverrideColor(video::SColor(255, 255, 77, 0));
}

}  // namespace

int main(int argc, char** argv)
{
    bool burning = argc > 1 && std::strcmp(argv[1], "burning") == 0;
    double seconds = argc > 2 ? std::atof(argv[2]) : 10.0;
    int frame = argc > 3 ? std::atoi(argv[3]) : -1;
    IrrlichtDevice* device = createDevice(burning ? video::EDT_BURNINGSVIDEO : video::EDT_OPENGL,
                                          core::dimension2du(800, 600), 32, false, true, false);
    if (!device) {
        std::printf("Error: no video device\n");
        return 1;
    }
    device->setWindowCaption(burning ? L"media preview - Burning's Video" : L"media preview - OpenGL");
    video::IVideoDriver* driver = device->getVideoDriver();
    scene::ISceneManager* smgr = device->getSceneManager();
    gui::IGUIEnvironment* gui = device->getGUIEnvironment();

    // The runner stands on the middle platform; its box is as high as it is long.
    scene::IAnimatedMeshSceneNode* near = addMesh(smgr, "media/plat2.obj", nullptr, {0, 0, 22});
    addMesh(smgr, "media/plat1.obj", nullptr, {0, 18, 86});
    addMesh(smgr, "media/plat0.obj", nullptr, {0, -16, 140});
    scene::IAnimatedMeshSceneNode* rabbit = addMesh(smgr, "media/rabbit.b3d", nullptr, {0, 0, 0}, {90, 0, 0});
    float half = rabbit ? rabbit->getBoundingBox().getExtent().Y / 2 : 3.5f;
    float top = near ? near->getBoundingBox().MaxEdge.Y : 4;
    core::vector3df runner(0, top + half, 0);
    if (rabbit) {
        rabbit->setPosition(runner);
        rabbit->setAnimationSpeed(12000);
        if (frame >= 0) {
            rabbit->setAnimationSpeed(0);
            rabbit->setCurrentFrame(float(frame));
        }
        addStars(smgr, driver, rabbit, {1, 1, 2}, {0, -0.025f, -0.025f}, 40, 50, 1000, 20);
    }
    if (near) {
        const float side[6] = {0.3f, -0.6f, 0.8f, -0.1f, 0.5f, -0.9f};
        for (int i = 0; i < 6; ++i)
            addMesh(smgr, "media/carrotsmall.obj", near, {6 * side[i], 6, 8.0f * i - 12 - 22 + 14});
        addStars(smgr, driver, near, {-3, 6, -6}, {0, 0.05f, 0}, 10, 20, 2000, 360);
        scene::IAnimatedMeshSceneNode* deco =
            addMesh(smgr, "media/rabbit2.b3d", near, {-6, 6.5f, 14}, {90, 210, 0}, 1.45f);
        if (deco)
            deco->setAnimationSpeed(3000);
        scene::IAnimatedMeshSceneNode* deco2 =
            addMesh(smgr, "media/rabbit2.b3d", near, {5, 6.2f, 24}, {90, 150, 0}, 1.3f);
        if (deco2) {
            deco2->setAnimationSpeed(2400);
            deco2->setCurrentFrame(3000);
        }
    }
    addMesh(smgr, "media/carrotsmall.obj", nullptr, {-14, 24, 40}, {12, 60, 0}, 4);

    scene::ICameraSceneNode* camera = smgr->addCameraSceneNode(nullptr, runner + core::vector3df(0, 14, -20), runner);
    camera->setFOV(1.5707964f);
    scene::ILightSceneNode* light = smgr->addLightSceneNode(camera, {-100, 1000, 0}, video::SColorf(0.5f, 0.5f, 0.5f, 0.5f), 400);
    light->getLightData().AmbientColor = video::SColorf(0.8f, 0.8f, 0.8f, 0.8f);

    video::ITexture* icon = driver->getTexture("media/carrot.png");
    if (icon)
        gui->addImage(icon, core::position2di(30, 30));
    addText(gui, "media/blinkfont.xml", L"12", 120, 65, true);
    addText(gui, "media/bigfont.xml", L"CONGRATULATIONS", 400, 140);
    addText(gui, "media/shoutfont.xml", L"GO!", 640, 440);
    addText(gui, "media/blinkfont.xml", L"< administering speed >", 400, 555);

    u32 start = device->getTimer()->getRealTime();
    u32 frames = 0;
    while (device->run()) {
        ++frames;
        driver->beginScene(true, true, video::SColor(0, 255, 255, 120));
        smgr->drawAll();
        gui->drawAll();
        driver->endScene();
        if (device->getTimer()->getRealTime() - start > u32(seconds * 1000))
            break;
    }
    double elapsed = (device->getTimer()->getRealTime() - start) / 1000.0;
    std::printf("%s: %u frames in %.1f s (%.1f per second)\n", burning ? "Burning's Video" : "OpenGL", frames,
                elapsed, elapsed > 0 ? frames / elapsed : 0.0);
    device->drop();
    return 0;
}
