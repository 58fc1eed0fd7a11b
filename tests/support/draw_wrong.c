/* draw_wrong.c -- LD_PRELOAD: the game drawn wrong on purpose, so a picture comparison can be shown to catch it.
 *
 * $VORTAVIA_DRAW_WRONG=lighting: the light is never switched on;
 * $VORTAVIA_DRAW_WRONG=hud: no bitmap text is drawn.
 */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdlib.h>
#include <string.h>
#include <GL/gl.h>

static int dwWrong(const char* what)
{
    const char* chosen = getenv("VORTAVIA_DRAW_WRONG");
    return chosen && strcmp(chosen, what) == 0;
}

void glEnable(GLenum cap)
{
    void (*real)(GLenum) = (void (*)(GLenum))dlsym(RTLD_NEXT, "glEnable");
    if (cap != GL_LIGHTING || !dwWrong("lighting"))
        real(cap);
}

void glutBitmapCharacter(void* font, int c)
{
    void (*real)(void*, int) = (void (*)(void*, int))dlsym(RTLD_NEXT, "glutBitmapCharacter");
    if (!dwWrong("hud"))
        real(font, c);
}
