#!/usr/bin/env bash
# Builds Torvane if needed (installing what the build needs) and starts it.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
source tools/setup.sh

# Without a display Qt would stop with a terse platform-plugin error; say what to do instead.
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" && -z "${QT_QPA_PLATFORM:-}" ]]; then
    echo "error: there is no display (neither DISPLAY nor WAYLAND_DISPLAY is set)." >&2
    echo "Start Torvane on a virtual X server instead:  xvfb-run -a ./run.sh" >&2
    exit 1
fi

exec "${TORVANE_BUILD_DIR}/app/torvane" "$@"
