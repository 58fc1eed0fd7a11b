// empty_loop.cpp -- the baseline: a GLUT window that only clears and swaps, as fast as it can.
#include <cstring>
#include <GL/freeglut.h>

static void elFrame()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glutSwapBuffers();
}

static void elKey(unsigned char key, int, int)
{
    if (key == 27)
        exit(1);
}

int main(int argc, char** argv)
{
    bool full = argc > 1 && strcmp(argv[1], "--full-screen") == 0;
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    if (!full)
        glutInitWindowSize(400, 400);
    glutCreateWindow("VORTAVIA 3D");
    if (full)
        glutFullScreen();
    glEnable(GL_DEPTH_TEST);
    glutDisplayFunc(elFrame);
    glutIdleFunc(elFrame);
    glutKeyboardFunc(elKey);
    glutMainLoop();
}
