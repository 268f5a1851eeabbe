#!/usr/bin/env bash
# Takes the README's pictures, docs/title.png and docs/run.png, from the built game on a private
# X server: OpenGL, an 800x600 window, the title with its prompt, then a run after "GO!" with a
# few jumps. Builds nothing; run scripts/build.sh first. Needs Xvfb, xdotool, xwininfo, ImageMagick.
# Usage: scripts/screenshots.sh [build-dir]   (default: build)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
game=${1:-$root/build}/game
docs=$root/docs
if [ ! -x "$game/zarvik" ] || [ ! -d "$game/media" ]; then
    echo "No built game in $game; run scripts/build.sh first." >&2
    exit 1
fi
for tool in Xvfb xdotool xwininfo import convert; do
    command -v "$tool" >/dev/null || { echo "$tool is missing (scripts/install-deps.sh --tests)." >&2; exit 1; }
done

width=800
height=600
orange="#ff4d00"  # the colour of every text the game draws
limit=120         # seconds for anything to happen; the machine may be busy

work=$(mktemp -d -t zarvik-shots-XXXXXX)
groups=()
cleanup() {
    local pid
    {
        for pid in "${groups[@]}"; do kill -KILL -- "-$pid" || true; done
        wait || true
    } 2>/dev/null  # nor the shell's notes on the jobs it reaps
    rm -rf "$work"
}
trap cleanup EXIT
trap "exit 130" INT TERM HUP

# Waits until the command succeeds, polling; fails after $limit seconds.
waitFor() {
    local what=$1 deadline=$((SECONDS + limit))
    shift
    until "$@"; do
        if [ $SECONDS -gt $deadline ]; then
            echo "Timed out waiting for $what." >&2
            exit 1
        fi
        sleep 0.2
    done
}

# A private X server exactly the size of the window, so nothing else is in the picture. Each
# program gets a process group of its own, killed whole at the end.
setsid Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 "${width}x${height}x24" \
    3>"$work/display" >/dev/null 2>&1 &
groups+=($!)
waitFor "Xvfb" grep -q . "$work/display"
export DISPLAY=":$(head -n1 "$work/display")"
unset XAUTHORITY WAYLAND_DISPLAY

# A fresh working directory: the settings asked for, no high score, links to the game.
ln -s "$game/zarvik" "$game/media" "$work/"
printf '[screen]\ndriver=opengl\nwidth=%d\nheight=%d\nbits=32\nfull=0\n' "$width" "$height" \
    >"$work/launcher.ini"
(cd "$work" && SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/audio.raw" \
    exec setsid ./zarvik </dev/null >/dev/null 2>"$work/stderr.txt") &
groups+=($!)

# With no window manager nothing gives the window the focus the game waits for, and its caption
# comes with the first frames: the window is the server's one visible top-level window.
rootId=$(xdotool search --maxdepth 0 --name '' 2>/dev/null | head -n1 || true)
topWindow() { xdotool search --onlyvisible --maxdepth 1 --name '' 2>/dev/null | grep -vx "$rootId" | head -n1; }
hasWindow() { [ -n "$(topWindow)" ]; }
waitFor "the game window" hasWindow
wid=$(topWindow)
xdotool windowfocus "$wid"
xdotool mousemove --window "$wid" $((width / 2)) $((height / 2))
drawing() { xdotool getwindowname "$wid" 2>/dev/null | grep -q '^Zarvik - '; }
waitFor "the game's first frames" drawing

# The window's own rectangle of the screen
crop() {
    local info x y w h
    info=$(xwininfo -id "$wid")
    x=$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$info")
    y=$(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$info")
    w=$(sed -n 's/.*Width: *//p' <<<"$info")
    h=$(sed -n 's/.*Height: *//p' <<<"$info")
    echo "${w}x${h}+${x}+${y}"
}

# The screen, as the window shows it (the renderer's own screenshots come back black on Xvfb)
capture() {
    import -window root "$work/screen.png"
    convert "$work/screen.png" -crop "$(crop)" +repage "$1"
}

# Whether text covers more than a share of a region WxH+X+Y of an image. Carrots have the text's
# colour too, but only text covers a wide band by a few percent.
hasText() {
    local share
    share=$(convert "$1" -crop "$2" +repage -fuzz 10% -fill black +opaque "$orange" \
        -fill white -opaque "$orange" -colorspace gray -format '%[fx:mean]' info:)
    awk -v share="$share" -v least="$3" 'BEGIN { exit !(share > least) }'
}

count() { local n; n=$(grep -c "^$1" "$work/log.txt" 2>/dev/null) || true; echo "${n:-0}"; }
more() { [ "$(count "$1")" -gt "$2" ]; }
key() { xdotool key "$1"; }

# Title: give the platform stream behind it time to come close, then wait for the blinking prompt
# (it sits in the middle) to be shown
titleFrom=$((SECONDS + ${ZARVIK_TITLE_WAIT:-10}))
titleShown() {
    [ $SECONDS -ge $titleFrom ] && capture "$work/title.png" &&
        hasText "$work/title.png" "${width}x40+0+$((height / 2 - 20))" 0.03
}
waitFor "the title prompt" titleShown

# A run: after "GO!" (a shout in the middle) a few jumps, then a picture with the rabbit in the
# air and the carrot counter in the top-left corner. A run that ends first is played again.
goShown() { capture "$work/go.png" && hasText "$work/go.png" "${width}x60+0+$((height / 2 - 30))" 0.03; }
shot=""
for attempt in 1 2 3 4 5; do
    runs=$(count "NEW GAME")
    ends=$(count "END GAME")
    titles=$(count "START SCREEN")
    key space
    waitFor "a new run" more "NEW GAME" "$runs"
    waitFor "GO!" goShown
    # hop along until the shout has gone (two seconds), then one more jump for the picture
    goGone() { key space; sleep 0.6; ! goShown; }
    waitFor "GO! to go" goGone
    key space
    sleep 0.3
    capture "$work/run.png"
    if ! more "END GAME" "$ends" && hasText "$work/run.png" "160x40+90+45" 0.01; then
        shot=$work/run.png
        break
    fi
    waitFor "the run's end" more "END GAME" "$ends"
    key Return
    waitFor "the title" more "START SCREEN" "$titles"
done
[ -n "$shot" ] || { echo "No run lasted long enough for a picture." >&2; exit 1; }

mkdir -p "$docs"
convert "$work/title.png" -strip "$docs/title.png"
convert "$shot" -strip "$docs/run.png"
key Escape
ls -l "$docs/title.png" "$docs/run.png"
