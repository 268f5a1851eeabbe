#pragma once
#include <string>

// Each writes its files into `dir` and returns false (after printing why) when one cannot be written.
bool writePlatforms(const std::string& dir);
bool writeCarrot(const std::string& dir);
bool writeRabbits(const std::string& dir);
bool writeSprites(const std::string& dir);
bool writeFonts(const std::string& dir);
bool writeSounds(const std::string& dir);
bool writeMusic(const std::string& dir);
