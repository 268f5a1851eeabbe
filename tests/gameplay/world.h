#pragma once
// The gameplay modules on Irrlicht's NULL device: one device for the whole test binary, every
// module's state put back between tests, a sound layer that records, and rand() under control.
#include <gtest/gtest.h>
#include <irrlicht.h>

#include <deque>
#include <string>
#include <vector>

#include "sound.h"

// rand() for these tests: values queued with scriptRand() come first, then the C library's own
// sequence (srand keeps working). drawCount() counts every draw.
void scriptRand(const std::vector<int>& values);
size_t scriptedLeft();
long drawCount();

struct RecordingSound : SoundEngine {
    struct Played {
        std::string file;
        bool looped, paused, track;
        int mode;
    };
    Sound* play2D(const char* file, bool looped, bool startPaused, bool track, int mode) override
    {
        played.push_back({file, looped, startPaused, track, mode});
        return nullptr;
    }
    void drop() override {}
    std::vector<std::string> files() const;
    std::vector<Played> played;
};

class World : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Puts a box of the given size, centred on its origin, in the mesh cache under a media name.
    static void useBox(const char* file, const irr::core::vector3df& size);
    // Forgets cached meshes so the media files are read again.
    static void useMediaFiles();
    // A platform node appended to the stream at a given place.
    static irr::scene::IAnimatedMeshSceneNode* addPlatform(const irr::core::vector3df& at,
                                                           const char* file = "media/plat0.obj");
    // Scene nodes below the root, the root itself not counted.
    static int countNodes(irr::scene::ISceneNode* node = nullptr);
    // Overlay texts currently showing exactly this text.
    static int textsShowing(const wchar_t* text);
    // Draws the scene as a frame does: children are placed where their parents are, and
    // animations and particles advance.
    static void animate();

    RecordingSound sounds;
    irr::scene::ICameraSceneNode* camera = nullptr;
};

// A particle node emitting white stars from a 2-unit box, unlit, additive, textured from file.
void expectStars(irr::scene::IParticleSystemSceneNode* node, const irr::core::vector3df& direction,
                 irr::u32 minPerSecond, irr::u32 maxPerSecond, irr::u32 life, irr::s32 angle,
                 const char* textureFile);

// Platform size for the runner tests: 20 wide, 10 high, 40 long.
extern const irr::core::vector3df platformSize;
