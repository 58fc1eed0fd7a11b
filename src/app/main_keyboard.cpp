// main_keyboard.cpp -- entry point of the keyboard edition.
#include "app/startup.h"

int main(int argc, char** argv)
{
    appRun(argc, argv, kKeyboardEdition);
}
