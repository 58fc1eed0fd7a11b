#!/bin/sh
# build-web.sh -- builds the web edition: the page, its program and its data in BUILD-DIR/web.
# Usage: tools/build-web.sh [BUILD-DIR]   (default build-web)
#   BUILD-DIR/host  a native build of the data generators only: they run here, not in the browser
#   BUILD-DIR/wasm  the Emscripten build of vortavia_web
#   BUILD-DIR/web   index.html, vortavia_web.js, vortavia_web.wasm, vortavia_web.data, and
#                   demos/ with the benchmark flights; serve it with any static web server
set -eu
cd "$(dirname "$0")/.."
build=${1:-build-web}
jobs=$(nproc 2>/dev/null || echo 2)
command -v emcmake >/dev/null || { echo "build-web.sh: no emcmake here; run tools/setup-debian.sh --tests first" >&2; exit 2; }
# Debian's emcc runs its optimiser's helpers with the system's node, which
# finds its modules only here.
export NODE_PATH=/usr/share/nodejs
mkdir -p "$build"
build=$(cd "$build" && pwd)

echo "=== $build/host: the game's data, made natively"
cmake -S . -B "$build/host" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DVORTAVIA_BENCH=OFF -DVORTAVIA_DEMOS=ON >/dev/null
host_targets="vortavia_world_data vortavia_sky_data vortavia_bench_demos"
font=""
# The GL layer's bitmap font, where the tree has its generator.
if [ -d tools/fontgen ]; then
    host_targets="$host_targets vortavia_font"
    font="-DVORTAVIA_WEBGL_FONT_SOURCE=$build/host/generated/font_8x13.cpp"
fi
for target in $host_targets; do
    cmake --build "$build/host" -j "$jobs" --target "$target" || {
        echo "build-web.sh: $target could not be built (the font table needs libfreetype-dev and xfonts-base)" >&2
        exit 2
    }
done

echo "=== $build/wasm: vortavia_web"
emcmake cmake -S . -B "$build/wasm" -DCMAKE_BUILD_TYPE=Release -DVORTAVIA_HOST_DIR="$build/host" $font >/dev/null
cmake --build "$build/wasm" -j "$jobs" --target vortavia_web

mkdir -p "$build/web/demos"
for file in index.html vortavia_web.js vortavia_web.wasm vortavia_web.data; do
    cmake -E copy_if_different "$build/wasm/web/$file" "$build/web/$file"
done
cmake -E copy_if_different "$build/host/tools/demogen/window.demo" "$build/host/tools/demogen/fullscreen.demo" \
    "$build/web/demos/"
echo "build-web.sh: the page is in $build/web (python3 -m http.server -d $build/web, then http://localhost:8000/)"
