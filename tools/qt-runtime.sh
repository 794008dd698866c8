# shellcheck shell=bash
# Sourced by the scripts that start Qt programs (setup.sh for run.sh and test.sh, and .ci/run).

# Qt wants a private runtime folder; a machine without a desktop login has none, and Qt then
# warns on every start. One folder per user under the system's temporary folder, mode 0700.
torvane_runtime_dir() {
    if [[ -n "${XDG_RUNTIME_DIR:-}" && -d "${XDG_RUNTIME_DIR}" && -O "${XDG_RUNTIME_DIR}" ]]; then
        return 0
    fi
    XDG_RUNTIME_DIR="${TMPDIR:-/tmp}/torvane-runtime-$(id -u)"
    mkdir -p "${XDG_RUNTIME_DIR}"
    # A folder of that name that someone else made is not ours to use.
    if [[ ! -O "${XDG_RUNTIME_DIR}" ]]; then XDG_RUNTIME_DIR="$(mktemp -d)"; fi
    chmod 0700 "${XDG_RUNTIME_DIR}"
    export XDG_RUNTIME_DIR
}

