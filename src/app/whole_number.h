// whole_number.h -- the one reader of a decimal whole number in text: the command line's, the demo file's and the device reply's.
#pragma once

// ---- types -----------------------------------------------------------------
struct NumRead {
    const char* end;     // just past the last digit; where reading stopped when there is none
    long long   value;   // with its sign; meaningful only where it fits
    bool        digits;  // at least one digit was read
    bool        fits;    // the value, with its sign, is an int
};

// ---- functions -------------------------------------------------------------
// Reads the number at the very start of `text`: a sign where `sign` allows
// one, then digits. Nothing is skipped before it, nothing after it is
// looked at: each caller says what may stand around a number. However many
// digits come, the value does not wrap: too large is told by `fits`.
NumRead numRead(const char* text, bool sign);
