# shellcheck shell=bash
# Sourced by the scripts: the repository root as working folder, and a compiler cache that survives build trees
# and clones (paths are hashed relative to the root, so a fresh clone of the same sources hits the cache).
cd "$(dirname "${BASH_SOURCE[0]}")/.." || exit 1
SEALWING_ROOT=$(pwd)
export CCACHE_DIR="${CCACHE_DIR:-${HOME:-/tmp}/.cache/ccache}"
export CCACHE_BASEDIR="$SEALWING_ROOT"
export CCACHE_NOHASHDIR=1
export CCACHE_MAXSIZE="${CCACHE_MAXSIZE:-5G}"

# Prints a duration in seconds as "1m05s" or "42s".
sealwing_duration() {
    local seconds=$1
    if ((seconds >= 60)); then
        printf '%dm%02ds' $((seconds / 60)) $((seconds % 60))
    else
        printf '%ds' "$seconds"
    fi
}
