// glut_web.cpp -- the GLUT calls the game makes, over the page: the canvas, its keys, timers, and a main loop that gives the browser its turn after every frame.
#include <cstdio>
#include <cstdlib>
#include <GL/freeglut.h>
#include <emscripten.h>
#include <emscripten/html5.h>

#include "platform/web/web_page.h"
#include "platform/webgl/webgl.h"

// ---- constants -------------------------------------------------------------
constexpr int kGlutCanvasSize = 400;  // the page's canvas, where no size is asked for
constexpr int kGlutMaxTimers  = 16;
constexpr int kGlutIdleNapMs  = 10;   // with nothing to do, between looks

// ---- types -----------------------------------------------------------------
struct GlutTimer {
    void (*callback)(int);
    int    value;
    double dueMs;
};

// ---- data ------------------------------------------------------------------
static struct {
    double startMs       = 0.0;
    int    requestWidth  = kGlutCanvasSize;
    int    requestHeight = kGlutCanvasSize;
    int    ignoreRepeat  = 0;
    bool   reshapeDue    = false;
    bool   redisplayDue  = false;
    int    width         = 0;
    int    height        = 0;
    void (*display)()                          = nullptr;
    void (*idle)()                             = nullptr;
    void (*keyboard)(unsigned char, int, int)  = nullptr;
    void (*keyboardUp)(unsigned char, int, int) = nullptr;
    void (*special)(int, int, int)             = nullptr;
    void (*specialUp)(int, int, int)           = nullptr;
    void (*reshape)(int, int)                  = nullptr;
    void (*close)()                            = nullptr;
    GlutTimer timers[kGlutMaxTimers];
    int       timerCount = 0;
} glut;

// ---- start -----------------------------------------------------------------
void glutInit(int*, char**)
{
    glut.startMs = emscripten_get_now();
}

// The context is always RGBA, double-buffered, with depth.
void glutInitDisplayMode(unsigned int) {}

void glutInitWindowSize(int width, int height)
{
    glut.requestWidth  = width;
    glut.requestHeight = height;
}

int glutCreateWindow(const char* title)
{
    webCanvasOpen(title, glut.requestWidth, glut.requestHeight);
    EmscriptenWebGLContextAttributes attrs;
    emscripten_webgl_init_context_attributes(&attrs);
    attrs.alpha                 = false;
    attrs.depth                 = true;
    attrs.stencil               = false;
    attrs.antialias             = false;
    attrs.preserveDrawingBuffer = true;  // the canvas keeps its frame for a screenshot
    attrs.majorVersion          = 1;
    attrs.minorVersion          = 0;
    const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = emscripten_webgl_create_context("#canvas", &attrs);
    if (context <= 0 || emscripten_webgl_make_context_current(context) != EMSCRIPTEN_RESULT_SUCCESS ||
        !webglStart(glut.requestWidth, glut.requestHeight)) {
        fprintf(stderr, "vortavia_web: this browser gives the page no WebGL 1.0: nothing can be drawn\n");
        exit(1);
    }
    webKeysToWindow();
    return 1;
}

// ---- full screen and game mode ---------------------------------------------
void glutFullScreen()
{
    webFullScreen(1);
}

void glutFullScreenToggle()
{
    webFullScreen(-1);
}

// A page cannot change the screen's mode: game mode is never possible.
void glutGameModeString(const char*) {}

int glutEnterGameMode()
{
    return 0;
}

int glutGameModeGet(GLenum)
{
    return 0;
}

int glutGet(GLenum what)
{
    switch (what) {
    case GLUT_ELAPSED_TIME:  return (int)(emscripten_get_now() - glut.startMs);
    case GLUT_WINDOW_WIDTH:  return webCanvasWidth();
    case GLUT_WINDOW_HEIGHT: return webCanvasHeight();
    default:                 return 0;
    }
}

// ---- callbacks -------------------------------------------------------------
void glutDisplayFunc(void (*callback)())
{
    glut.display = callback;
}

void glutIdleFunc(void (*callback)())
{
    glut.idle = callback;
}

void glutKeyboardFunc(void (*callback)(unsigned char, int, int))
{
    glut.keyboard = callback;
}

void glutKeyboardUpFunc(void (*callback)(unsigned char, int, int))
{
    glut.keyboardUp = callback;
}

void glutSpecialFunc(void (*callback)(int, int, int))
{
    glut.special = callback;
}

void glutSpecialUpFunc(void (*callback)(int, int, int))
{
    glut.specialUp = callback;
}

void glutReshapeFunc(void (*callback)(int, int))
{
    glut.reshape = callback;
}

// Kept, and never called: a page being closed takes the program with it
// at once, and nothing the game does on the way out could still be seen.
void glutCloseFunc(void (*callback)())
{
    glut.close = callback;
}

void glutIgnoreKeyRepeat(int ignore)
{
    glut.ignoreRepeat = ignore;
}

void glutTimerFunc(unsigned int ms, void (*callback)(int), int value)
{
    if (glut.timerCount == kGlutMaxTimers) {
        fprintf(stderr, "vortavia_web: more than %d timers at once: one is dropped\n", kGlutMaxTimers);
        return;
    }
    glut.timers[glut.timerCount++] = {callback, value, emscripten_get_now() + ms};
}

void glutSwapBuffers()
{
    webglSwap();
}

void glutPostRedisplay()
{
    glut.redisplayDue = true;
}

// ---- events ----------------------------------------------------------------
// The keys pressed since the last turn, in their order, as GLUT hands them
// out while it handles its events between frames.
static void glutDeliverKeys()
{
    int event[4];
    while (webTakeKey(event)) {
        const int down = event[0], character = event[1], special = event[2], repeat = event[3];
        if (repeat && glut.ignoreRepeat)
            continue;
        if (special) {
            void (*callback)(int, int, int) = down ? glut.special : glut.specialUp;
            if (callback)
                callback(special, 0, 0);
            continue;
        }
        void (*callback)(unsigned char, int, int) = down ? glut.keyboard : glut.keyboardUp;
        if (callback)
            callback((unsigned char)character, 0, 0);
    }
}

// The canvas changed its size (full screen, or back): the window is reshaped.
static void glutCheckSize()
{
    const int width = webCanvasWidth(), height = webCanvasHeight();
    if (width == glut.width && height == glut.height)
        return;
    glut.width      = width;
    glut.height     = height;
    glut.reshapeDue = true;
}

// Each timer that is due runs once; one set again, even for now, waits for
// the next turn.
static void glutRunTimers()
{
    const double now = emscripten_get_now();
    GlutTimer    due[kGlutMaxTimers];
    int          dueCount = 0;
    for (int i = 0; i < glut.timerCount;) {
        if (glut.timers[i].dueMs > now) {
            i++;
            continue;
        }
        due[dueCount++] = glut.timers[i];
        glut.timers[i]  = glut.timers[--glut.timerCount];
    }
    for (int i = 0; i < dueCount; i++)
        due[i].callback(due[i].value);
}

// ---- main loop -------------------------------------------------------------
// One frame a turn: the size and the keys first, then the frame the canvas
// needs, or else the idle callback's. Never returns.
void glutMainLoop()
{
    for (;;) {
        glutCheckSize();
        glutDeliverKeys();
        glutRunTimers();
        if (glut.reshapeDue) {
            glut.reshapeDue   = false;
            glut.redisplayDue = true;
            if (glut.reshape)
                glut.reshape(glut.width, glut.height);
        }
        if (glut.redisplayDue && glut.display) {
            glut.redisplayDue = false;
            glut.display();
        } else if (glut.idle) {
            glut.idle();
        } else {
            emscripten_sleep(kGlutIdleNapMs);
            continue;
        }
        webGiveTurn();
    }
}
