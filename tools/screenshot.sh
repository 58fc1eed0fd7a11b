#!/bin/sh
# screenshot.sh -- photographs the built game in flight, banking, on an X server of its own.
# Usage: tools/screenshot.sh [BUILD-DIR [OUTPUT.png [cube|large|single]]]
#   defaults: build, docs/screenshot.png, cube (the panoramic sky, linear filtering)
# Builds nothing: BUILD-DIR/game must hold vortavia and its images.
set -eu
cd "$(dirname "$0")/.."
build=${1:-build}
out=${2:-docs/screenshot.png}
sky=${3:-cube}
game="$build/game"
[ -x "$game/vortavia" ] || { echo "screenshot.sh: no $game/vortavia; build first" >&2; exit 2; }
case "$sky" in
    cube)   keys=a221 ;;  # any key, texture 2, window 2, sky 1: panoramic
    large)  keys=a323 ;;  # texture 3 (large, nearest), window 2, sky 3: low-end panoramic
    single) keys=a222 ;;  # the same with sky 2: the single face
    *) echo "screenshot.sh: sky is cube, large or single" >&2; exit 2 ;;
esac
mkdir -p "$(dirname "$out")"
out=$(cd "$(dirname "$out")" && pwd)/$(basename "$out")

xvfb_pid=""
game_pid=""
cleanup() {
    [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT INT TERM

# The screen is the window's size, so the root window is the picture.
fifo=$(mktemp -u)
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 400x400x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
xvfb_pid=$!
read -r number <"$fifo"
rm -f "$fifo"
export DISPLAY=":$number"

log=$(mktemp)
(cd "$game" && printf '%s' "$keys" | exec ./vortavia) >"$log" 2>&1 &
game_pid=$!
window=""
for _ in $(seq 100); do
    window=$(xdotool search --onlyvisible --name '^VORTAVIA 3D$' 2>/dev/null | tail -n 1) || true
    [ -n "$window" ] && grep -q 'Loading Complete' "$log" && break
    sleep 0.1
done
[ -n "$window" ] || { cat "$log" >&2; echo "screenshot.sh: no window" >&2; exit 1; }

# Without a window manager the window sits a pixel off screen and the focus
# follows the pointer.
xdotool windowmove "$window" 0 0
xdotool mousemove --window "$window" 200 200
sleep 1.5                   # a second and more: the HUD line is measured

# The turn is fast and its end unpredictable, so a few banked views are
# taken and the one that shows about as much sky as ground is kept.
shots=$(mktemp -d)
best=""
best_score=""
for i in 1 2 3 4 5 6; do
    xdotool keydown Left    # banking
    sleep 0.2
    import -window root "$shots/$i.png"
    xdotool keyup Left
    sleep 0.3
    sky=$(convert "$shots/$i.png" -fx '(b > r + 0.03 && b >= g) ? 1 : 0' -format '%[fx:mean]' info:)
    score=$(awk -v s="$sky" 'BEGIN { d = s - 0.42; print (d < 0 ? -d : d) }')
    if [ -z "$best" ] || awk -v a="$score" -v b="$best_score" 'BEGIN { exit !(a < b) }'; then
        best=$i
        best_score=$score
    fi
done
cp "$shots/$best.png" "$out"
rm -rf "$shots"
xdotool key Escape
wait "$game_pid" 2>/dev/null || true
game_pid=""
rm -f "$log"
echo "$out"
