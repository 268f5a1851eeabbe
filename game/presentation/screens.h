#pragma once
#include <irrlicht.h>

#include "textoverlay.h"

extern TextHandle titlePromptText;
extern irr::gui::IGUIStaticText* endHeadlineText;
extern irr::gui::IGUIStaticText* endCountText;
extern irr::gui::IGUIStaticText* endLabelText;
extern TextHandle endRecordText;
extern irr::gui::IGUIStaticText* endLastScoreText;

void showTitleScreen();
void showEndScreen();
