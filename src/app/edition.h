// edition.h -- what tells the keyboard and sound-throttle editions apart.
#pragma once

// Each edition fills one of these, in one file of its own; the shared code only
// ever reads the edition through `edition`.
struct Edition {
    const char* name;
    float startTurnRate;    // radians per frame from the first frame
    int   decayStep;        // speed lost per frame with the throttle released
    int   decayThreshold;   // decay applies only from this speed up
    void (*downPress)();    // down arrow pressed
    void (*downRelease)();  // down arrow released
    void (*keyG)();         // 'g' pressed; nullptr: unbound
    void (*idle)();         // GLUT idle callback
    void (*consoleTail)();  // last question of the start-up console; nullptr: none
    const char* deviceOptionHelp;  // --help's line for --device; nullptr: no such option
    const char* keyHelp;           // --help's lines for the keys that differ
    bool capturesSound;     // each capture cycle reads a sample, which a demo must hold
    void (*reset)();        // the edition's own file state back to its start; nullptr: none
};

extern const Edition  kKeyboardEdition;
// The running edition: nullptr until the entry point selects one.
extern const Edition* edition;

// The one reset: makes `ed` the running edition and puts everything back to
// its start: the game state, the command line's settings and the own state
// of every file above the platform layer (the edition's too). The platform
// layer's, which stands for the terminal and the devices, stays as it is.
void editionSelect(const Edition& ed);
