/* freeglut.h -- GLUT as the web build has it: GLUT's standard header and the two freeglut additions the game calls. */
#ifndef VORTAVIA_WEB_FREEGLUT_H
#define VORTAVIA_WEB_FREEGLUT_H

#include <GL/freeglut_std.h>

#ifdef __cplusplus
extern "C" {
#endif

void glutFullScreenToggle(void);
void glutCloseFunc(void (*callback)(void));

#ifdef __cplusplus
}
#endif

#endif
