// flight_model.cpp -- turns the controls into the camera's place and aim, once a frame.
#include "flight/flight_model.h"

#include <GL/glu.h>

#include "app/edition.h"
#include "app/game_state.h"
#include "flight/flight_trig.h"

// ---- camera ----------------------------------------------------------------
static void flLoadCamera()
{
    glLoadIdentity();
    gluLookAt(gs.camX, gs.camY, gs.camZ,
              gs.camX + (double)gs.dirX, gs.camY + (double)gs.dirY, gs.camZ + (double)gs.dirZ,
              0.0, 1.0, 0.0);
}

void setHeading(float angle)
{
    // The game's own sine and cosine: a flight replays to the same state
    // wherever it is replayed, whatever the C library there.
    gs.dirX = (float)flightSin((double)angle);
    gs.dirZ = (float)-flightCos((double)angle);
    flLoadCamera();
}

double flightStep(int speed, float component)
{
    // Both factors widened first: a float product would round a fast jet's
    // step by a unit now and then.
    return (double)speed * (double)component * kFlightStepFactor;
}

void moveCamera(int speed)
{
    // The sum is truncated towards zero, so small steps near the origin are lost.
    gs.camZ = (int)(gs.camZ + flightStep(speed, gs.dirZ));
    gs.camX = (int)(gs.camX + flightStep(speed, gs.dirX));
    // Before the first turn there is no direction: the centre would be the
    // eye, a camera with no view. The view then stays as it was.
    if (gs.dirX != 0.0f || gs.dirY != 0.0f || gs.dirZ != 0.0f)
        flLoadCamera();
}

// ---- per-frame rules -------------------------------------------------------
static void flUpdateSpeed()
{
    // A standing jet stays put: the throttle only starts it through the keys
    // or the sound, which set the speed outright.
    if (gs.speed == 0)
        return;

    if (gs.accelerating) {
        if (gs.speed > 0 && gs.speed < kFlightAccelCeiling)
            gs.speed += kFlightAccelStep;
    } else if (gs.speed >= edition->decayThreshold) {
        gs.speed -= edition->decayStep;
    }

    if (gs.speed < 0) {
        if (gs.speed + kFlightRecoverStep < 0)
            gs.speed += kFlightRecoverStep;
        else
            gs.speed = 0;
    }
    moveCamera(gs.speed);
}

static void flUpdateHeading()
{
    if (gs.turnRate != 0.0f) {
        gs.heading += gs.turnRate;
        if (gs.turningLeft && gs.bankAngle < kFlightBankLimit)
            gs.bankAngle += kFlightBankStep;
        if (gs.turningRight && gs.bankAngle > -kFlightBankLimit)
            gs.bankAngle -= kFlightBankStep;
        setHeading(gs.heading);
        return;
    }

    // Level out, one step a frame.
    if (gs.bankAngle > 0.0f)
        gs.bankAngle -= kFlightBankStep;
    if (gs.bankAngle < 0.0f)
        gs.bankAngle += kFlightBankStep;
}

void updateFlight()
{
    flUpdateSpeed();
    flUpdateHeading();
}
