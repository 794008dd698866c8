#!/usr/bin/env bash
# Screenshots of the real window on a virtual X server, driven like a person would: the
# default real map drawn with the cross under the mouse (real.png), and the complex default
# with the image on the sphere (complex-sphere.png). Usage: tools/screenshot.sh [folder]
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
out="$(mkdir -p "${1:-shots}" && cd "${1:-shots}" && pwd)"

if [[ "${TORVANE_SCREENSHOT_SESSION:-}" != 1 ]]; then
    source tools/setup.sh
    if ! command -v xdotool >/dev/null; then
        as_root=()
        [[ "$(id -u)" -ne 0 ]] && as_root=(sudo)
        "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
            apt-get install -y --no-install-recommends xdotool >/dev/null
    fi
    TORVANE_SCREENSHOT_SESSION=1 exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$out"
fi

# ---- inside the virtual X server ----
build/app/torvane &
program=$!
trap 'kill "${program}" 2>/dev/null || true' EXIT
window="$(xdotool search --sync --name '^Torvane$' | head -n 1)"
sleep 1
eval "$(xdotool getwindowgeometry --shell "${window}")"
menu=$((HEIGHT - 608))  # the menu bar above the 752 x 608 client area

# Client-area pixel (x, y) of the window.
at() { xdotool mousemove --window "${window}" "$1" $((menu + $2)); }
click() { at "$1" "$2"; xdotool click 1; sleep 0.5; }
keys() { for k in "$@"; do xdotool key "$k"; sleep 0.15; done; }

click 247 561                      # Draw It
at 212 45; sleep 0.3; at 214 46    # over the Domain panel at about (0.5, 0.75)
sleep 0.5
import -window root "${out}/real.png"

# File > Complex Function, Preferences > Stereographic image, Draw It, then p = 0.5 + 0.5i
# by a click in the Parameters pad, and the mouse over the domain.
xdotool mousemove --window "${window}" 16 $((menu / 2)) click 1; sleep 0.4
keys Down Down Down Return
xdotool mousemove --window "${window}" 200 $((menu / 2)) click 1; sleep 0.4
keys Down Down Down Down Down Down Down Return
click 247 561
click $((80 + 124)) $((338 + 75))
at 20 250; sleep 0.3; at 21 251
sleep 0.5
import -window root "${out}/complex-sphere.png"
echo "screenshots: ${out}/real.png ${out}/complex-sphere.png"
