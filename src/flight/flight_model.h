// flight_model.h -- per-frame speed, heading and bank rules, and the camera.
#pragma once

// ---- constants -------------------------------------------------------------
constexpr int   kFlightAccelStep    = 200;
constexpr int   kFlightAccelCeiling = 8000;
constexpr int   kFlightRecoverStep  = 200;
constexpr float kFlightBankStep     = 5.0f;
constexpr float kFlightBankLimit    = 20.0f;
constexpr double kFlightStepFactor  = 0.1;

// ---- functions -------------------------------------------------------------
void updateFlight();
void setHeading(float angle);
void moveCamera(int speed);

// One frame's movement along a direction component at `speed`, in world
// units, before truncation: (speed x component) x 0.1, in double.
double flightStep(int speed, float component);
