#!/bin/sh
# run-tests.sh -- builds the game and runs every test headless on an X server of its own.
set -eu
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)

# The tests need a display; one Xvfb for the whole run, on a free number.
xvfb_pid=""
cleanup() { [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true; }
trap cleanup EXIT INT TERM
start_xvfb() {
    command -v Xvfb >/dev/null || { echo "run-tests.sh: no Xvfb here; run tools/setup-debian.sh first" >&2; exit 2; }
    fifo=$(mktemp -u)
    mkfifo "$fifo"
    # -noreset: a server resets whenever its last client leaves, refusing
    # connections meanwhile, and a game started then gets no window.
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$fifo" >/dev/null 2>&1 &
    xvfb_pid=$!
    number=""
    read -r number <"$fifo" || true
    rm -f "$fifo"
    [ -n "$number" ] || { echo "run-tests.sh: Xvfb did not start" >&2; exit 2; }
    export DISPLAY=":$number"
}

# build_and_test NAME CMAKE-ARGS... -- CTEST-ARGS...
build_and_test() {
    dir=$1; shift
    cmake_args=""
    while [ "$1" != "--" ]; do cmake_args="$cmake_args $1"; shift; done
    shift
    echo "=== $dir: configure and build"
    cmake -S . -B "$dir" -DBUILD_TESTING=ON $cmake_args >/dev/null
    cmake --build "$dir" -j "$jobs"
    echo "=== $dir: tests"
    (cd "$dir" && ctest --output-on-failure "$@")
}

# The web edition's page, which the browser tests (e2e_web) of each stage open.
echo "=== build-web: the page"
tools/build-web.sh build-web

start_xvfb
build_and_test build -DCMAKE_BUILD_TYPE=RelWithDebInfo --

# The whole suite again with AddressSanitizer and UndefinedBehaviorSanitizer.
# Mesa's driver is dlopen()ed and unloaded again at exit, which leaves its
# leak reports without names; preloading it keeps it mapped so that
# lsan.supp can name it (and ASan then no longer comes first: allowed).
dri=$(find /usr/lib -name swrast_dri.so -path '*/dri/*' 2>/dev/null | head -n 1)
(
    export LD_PRELOAD="$dri"
    export ASAN_OPTIONS="verify_asan_link_order=0:detect_leaks=1:abort_on_error=1"
    export LSAN_OPTIONS="suppressions=$PWD/tools/sanitizer/lsan.supp"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
    build_and_test build-asan -DCMAKE_BUILD_TYPE=Debug -DVORTAVIA_SANITIZE=address,undefined --
)

# The sound capture layer's thread against the frame loop, under ThreadSanitizer.
(
    export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1"
    build_and_test build-tsan -DCMAKE_BUILD_TYPE=Debug -DVORTAVIA_SANITIZE=thread -- -L sound
)

# Fuzzing: each target for a bounded time from its generated seeds; any
# finding fails the run and leaves its input in build-fuzz/findings.
echo "=== build-fuzz: configure and build"
cmake -S . -B build-fuzz -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF -DVORTAVIA_FUZZ=ON \
    -DVORTAVIA_SANITIZE=address,undefined,fuzzer-no-link >/dev/null
cmake --build build-fuzz -j "$jobs"
mkdir -p build-fuzz/findings
for target in bmp collision demo; do
    echo "=== fuzz_$target: 30 s"
    # Absolute paths: a target may work in a folder of its own.
    corpus=$PWD/build-fuzz/corpus/$target
    mkdir -p "$corpus"
    cp -n build-fuzz/fuzz/seeds/$target/* "$corpus"/ 2>/dev/null || true
    log=build-fuzz/fuzz_$target.log
    if ! ./build-fuzz/fuzz/fuzz_$target -max_total_time=30 -timeout=10 -rss_limit_mb=2048 \
            -print_final_stats=1 -artifact_prefix="$PWD/build-fuzz/findings/$target-" "$corpus" >"$log" 2>&1; then
        tail -n 60 "$log"
        echo "fuzz_$target found a fault; its input is in build-fuzz/findings/"
        exit 1
    fi
    tail -n 8 "$log"
done
echo "=== all stages passed"
