#!/usr/bin/env bash
# Renders the browser window's three built-in pages with headless Chromium into PNGs that a person can look at, and
# fails when a page cannot be written or rendered. Chromium is Debian's `chromium` (scripts/install-deps.sh).
#
#   bash scripts/render-builtin-pages.sh [native build folder] [output folder]
#       (defaults: build/native and its artefacts/ folder)
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(realpath -m "${1:-$root/build/native}")
out=$(realpath -m "${2:-$build/artefacts}")

if ! command -v chromium >/dev/null 2>&1; then
    echo "render-builtin-pages: 'chromium' is missing (scripts/install-deps.sh installs it)" >&2
    exit 2
fi
cmake --build "$build" --target write-builtin-pages >/dev/null
writer=$(find "$build" -name write-builtin-pages -type f -perm -u+x | head -n 1)
[[ -n "$writer" ]] || { echo "render-builtin-pages: write-builtin-pages was not built in $build" >&2; exit 1; }

pages=$(mktemp -d)
profile=$(mktemp -d)
trap 'rm -rf "$pages" "$profile"' EXIT
"$writer" "$pages"
mkdir -p "$out"
for page in network-failure authentication-failure message-not-found; do
    png="$out/builtin-page-$page.png"
    rm -f "$png"
    # --no-sandbox: the test command runs as root, where Chromium's sandbox refuses to start.
    chromium --headless --no-sandbox --disable-gpu --hide-scrollbars --user-data-dir="$profile" \
        --window-size=720,160 --screenshot="$png" "file://$pages/$page.html" >/dev/null 2>&1 || true
    if [[ ! -s "$png" ]]; then
        echo "render-builtin-pages: Chromium made no picture of $page" >&2
        exit 1
    fi
    echo "render-builtin-pages: $png"
done
