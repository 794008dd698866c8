#!/usr/bin/env bash
# Builds Torvane if needed (installing what the build needs) and starts it.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
source tools/setup.sh

# Without a display the window cannot open: say so, and draw the default map into a picture
# with the command-line renderer instead.
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" && -z "${QT_QPA_PLATFORM:-}" ]]; then
    picture="${PWD}/torvane-default.png"
    echo "There is no display (neither DISPLAY nor WAYLAND_DISPLAY is set), so the window cannot open." >&2
    echo "Start it on a virtual X server with:  xvfb-run -a ./run.sh" >&2
    if ! "${TORVANE_BUILD_DIR}/tools/torvane-render" "${picture}"; then
        echo "error: the command-line renderer could not draw the default map (see above)" >&2
        exit 1
    fi
    echo "Drew the default map with the command-line renderer instead: ${picture}"
    echo "(more with ${TORVANE_BUILD_DIR}/tools/torvane-render --help)"
    exit 0
fi

exec "${TORVANE_BUILD_DIR}/app/torvane" "$@"
