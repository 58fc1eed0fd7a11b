// whole_number.cpp -- a decimal whole number read from text without wrapping.
#include "app/whole_number.h"

#include <climits>

NumRead numRead(const char* text, bool sign)
{
    const char* at       = text;
    const bool  negative = sign && *at == '-';
    if (sign && (*at == '+' || *at == '-'))
        at++;
    NumRead r = {at, 0, false, true};
    // Past INT_MAX + 1 (the magnitude of INT_MIN) no int is left to reach.
    long long magnitude = 0;
    for (; *at >= '0' && *at <= '9'; at++) {
        r.digits = true;
        if (magnitude <= (long long)INT_MAX + 1)
            magnitude = magnitude * 10 + (*at - '0');
    }
    r.end   = at;
    r.value = negative ? -magnitude : magnitude;
    r.fits  = r.digits && r.value >= INT_MIN && r.value <= INT_MAX;
    return r;
}
