#!/usr/bin/env bash
# Builds Torvane if needed (installing what the build needs) and runs every test.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
source tools/setup.sh

# The window tests draw on Qt's offscreen platform: no display needed, same fonts and pixels.
export QT_QPA_PLATFORM=offscreen
# An empty test list is a broken build, not a success.
if ! ctest --test-dir "${TORVANE_BUILD_DIR}" --output-on-failure --no-tests=error "$@"; then
    echo "error: tests failed (ctest --test-dir build)" >&2
    exit 1
fi
