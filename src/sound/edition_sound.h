// edition_sound.h -- the sound-throttle edition's table.
#pragma once

#include "app/edition.h"

extern const Edition kSoundEdition;
