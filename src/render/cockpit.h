// cockpit.h -- the jet image that stays in the middle of the view and rolls with the bank.
#pragma once

void buildCockpitOverlay();
void drawCockpitOverlay();
