// main_sound.cpp -- entry point of the sound-throttle edition.
#include "app/startup.h"
#include "sound/edition_sound.h"

int main(int argc, char** argv)
{
    appRun(argc, argv, kSoundEdition);
}
