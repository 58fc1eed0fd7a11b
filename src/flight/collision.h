// collision.h -- the obstacle points that bounce the jet back.
#pragma once

// Reads arrx.txt and arrz.txt from the working directory into the field.
void loadCollisionField();

// Back to the start: no field loaded.
void colReset();

// Tests this frame's step ahead against every point; on the first hit prints
// "hit \n", reverses the speed at a third and returns true.
bool testCollision();
