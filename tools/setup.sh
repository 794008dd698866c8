# shellcheck shell=bash
# Shared preparation for ./run.sh and ./test.sh (sourced, not run): installs the Debian
# packages the build needs, configures the build tree once, and brings the build up to date.
# Every step is skipped when it has nothing to do, so the second call costs about a second.

TORVANE_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
TORVANE_BUILD_DIR="${TORVANE_ROOT}/build"
# shellcheck source=tools/qt-runtime.sh
source "${TORVANE_ROOT}/tools/qt-runtime.sh"

# llvm brings llvm-symbolizer, so that a sanitizer or fuzzer report names the source lines;
# libxkbcommon-dev is what Qt's CMake files look for; locales-all gives the locale tests a
# decimal-comma locale to run in; libisal-dev deflates PNG pictures and zlib1g-dev joins the
# checksums of their bands; libwebp-dev encodes and joins the frames of animations.
TORVANE_PACKAGES=(
    build-essential g++ clang libclang-rt-14-dev llvm cmake ninja-build
    qt6-base-dev qt6-svg-dev libgl1-mesa-dev libxkbcommon-dev
    libgtest-dev libgmock-dev libbenchmark-dev nlohmann-json3-dev zlib1g-dev libisal-dev
    libwebp-dev
    pkg-config
    xvfb xauth x11-apps
    fonts-liberation fonts-dejavu-core locales-all
    poppler-utils imagemagick
)

# Runs a command; on failure names the step that broke and stops the calling script.
torvane_step() {
    local step="$1"
    shift
    if ! "$@"; then
        echo "error: ${step} failed (command: $*)" >&2
        exit 1
    fi
}

torvane_missing_packages() {
    local package
    for package in "${TORVANE_PACKAGES[@]}"; do
        if ! dpkg-query -W -f='${db:Status-Status}' "${package}" 2>/dev/null |
            grep -qx installed; then
            echo "${package}"
        fi
    done
}

torvane_install_packages() {
    local missing
    mapfile -t missing < <(torvane_missing_packages)
    if ((${#missing[@]} == 0)); then
        return 0
    fi
    echo "setup: installing missing packages: ${missing[*]}"
    local -a as_root=()
    if ((EUID != 0)); then
        if ! command -v sudo >/dev/null 2>&1; then
            echo "error: package installation needs root, and sudo is not available;" \
                "install as root: ${missing[*]}" >&2
            exit 1
        fi
        as_root=(sudo)
    fi
    torvane_step "package list update (apt-get update)" \
        "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update
    torvane_step "package installation (apt-get install)" \
        "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y --no-install-recommends "${TORVANE_PACKAGES[@]}"
}

torvane_configure() {
    # A tree without build.ninja was never configured, or its configuration failed halfway.
    # Once configured, the build itself re-runs CMake whenever a CMakeLists.txt or a source
    # glob changes.
    if [[ -f "${TORVANE_BUILD_DIR}/build.ninja" ]]; then
        return 0
    fi
    torvane_step "configuration (cmake -G Ninja)" \
        cmake -G Ninja -S "${TORVANE_ROOT}" -B "${TORVANE_BUILD_DIR}"
}

torvane_build() {
    torvane_step "build (cmake --build)" cmake --build "${TORVANE_BUILD_DIR}" -j2
}

torvane_install_packages
torvane_configure
torvane_build
torvane_runtime_dir
