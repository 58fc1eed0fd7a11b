// bench_frame_cpu.cpp -- the per-frame work outside the GL: collision test, flight update, HUD line.
//
// No GL context is current, so the camera loads cost nothing here; what is
// measured is the game's own arithmetic.
#include <benchmark/benchmark.h>
#include <cstdio>
#include <unistd.h>

#include "app/edition.h"
#include "app/game_state.h"
#include "flight/collision.h"
#include "flight/flight_model.h"
#include "render/hud.h"

static void bfLoadRealField()
{
    static bool loaded = false;
    if (loaded)
        return;
    loaded = true;
    editionSelect(kKeyboardEdition);
    if (chdir(VORTAVIA_GAME_DIR) != 0)
        return;
    loadCollisionField();
}

// Flying free on the floor: every one of the 5000 points is looked at.
static void BM_TestCollisionMiss(benchmark::State& state)
{
    bfLoadRealField();
    gs.camX  = 0;
    gs.camZ  = -10500;
    gs.dirX  = 1.0f;
    gs.dirZ  = 0.0f;
    gs.speed = 1000;
    for (auto _ : state) {
        bool hit = testCollision();
        benchmark::DoNotOptimize(hit);
        gs.speed = 1000;
    }
}
BENCHMARK(BM_TestCollisionMiss);

static void BM_UpdateFlight(benchmark::State& state)
{
    bfLoadRealField();
    for (auto _ : state) {
        gs.camX = 0;
        gs.camZ = -10500;
        gs.speed = 1000;
        gs.accelerating = true;
        gs.turnRate = 0.15f;
        gs.turningLeft = true;
        updateFlight();
        benchmark::DoNotOptimize(gs.camX);
    }
}
BENCHMARK(BM_UpdateFlight);

// Once a second in the game; measured here per call.
static void BM_HudFormat(benchmark::State& state)
{
    char line[kHudTextSize];
    int  frames = 60;
    for (auto _ : state) {
        hudFormat(line, sizeof line, frames, 1001, 8000);
        benchmark::DoNotOptimize(line);
    }
}
BENCHMARK(BM_HudFormat);

BENCHMARK_MAIN();
