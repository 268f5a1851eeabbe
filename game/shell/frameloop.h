#pragma once
#include <cstdint>
#include <irrlicht.h>

extern const double stepInterval;                // ms of timer time between steps, 1000/60
extern const int runnerSubSteps;                 // runner updates per step
extern const irr::video::SColor clearColour;     // background of every frame
extern const wchar_t* const baseCaption;         // "Zarvik"
const double noStep = -1.0;                      // what a pass that ran no step returns

struct FrameLoop {
    uint32_t lastStepTime = 0;  // timer time at the end of the last step, after drawing
    int32_t lastFps = -1;       // frame rate last written into the caption
};

// Reads the clock into lastStepTime, seeds rand with the same value, forces the next caption.
void startFrameLoop(FrameLoop& loop);

// Everything a loop pass does after the device has processed its messages.
// Returns the duration in seconds of the step it ran, or noStep.
double framePass(FrameLoop& loop);

// One fixed step of the game, drawing included; returns its duration in seconds.
double gameStep(FrameLoop& loop);

void drawFrame();

// Passes until the device closes.
void runFrameLoop(FrameLoop& loop);
