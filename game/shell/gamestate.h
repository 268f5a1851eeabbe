#pragma once
#include <cstdint>
#include <irrlicht.h>

enum : int32_t { Title = 0, Playing = 1, EndScreen = 2 };
extern int32_t gameState;  // Title, Playing or EndScreen

// The game's one input handler: Escape quits, any key or mouse-button press is the game input.
class eventReceiver : public irr::IEventReceiver {
public:
    bool OnEvent(const irr::SEvent& event) override;
};
extern eventReceiver gameEventReceiver;
