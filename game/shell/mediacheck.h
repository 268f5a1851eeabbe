#pragma once

// Some of the engine's loaders hang or crash on a damaged file (a B3D cut short, an XML font
// cut inside a glyph). These checks come first; a file that fails is treated as missing, with
// one warning in the log. A file that cannot be opened passes: the engine reports it itself.
bool meshFileIntact(const char* file);
bool fontFileIntact(const char* file);
