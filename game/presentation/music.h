#pragma once

class Sound;
extern Sound* currentMusic;  // the looped track playing, or none

void playMusic(const char* file);
void stopMusic();
