// config_console.h -- the start-up dialogue that picks textures, display and sky.
#pragma once

void runConfigConsole();
