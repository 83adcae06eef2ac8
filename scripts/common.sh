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

# The Windows build that this machine's Wine can run: x86 where the kernel runs 32-bit programs, else x64. Some
# kernels boot with their 32-bit emulation off; the wine32 loader then fails with "Exec format error".
sealwing_wine_arch() {
    if [[ -x /lib/ld-linux.so.2 ]] && /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
        echo x86
    else
        echo x64
    fi
}

# Prepares Wine for a Windows architecture (x86 or x64): WINEARCH, and in SEALWING_WINE the loader that starts
# programs. For x64 that is the 64-bit loader started directly: Debian's wine command goes through the 32-bit loader
# whenever wine32 is installed, which a kernel without 32-bit emulation cannot start.
sealwing_use_wine() {
    SEALWING_WINE=wine
    if [[ "$1" == x64 ]]; then
        export WINEARCH=win64
        if [[ -x /usr/lib/wine/wine64 ]]; then
            SEALWING_WINE=/usr/lib/wine/wine64
            export WINELOADER=$SEALWING_WINE
        fi
    else
        export WINEARCH=win32
    fi
}

# Gives the user of the Wine prefix in WINEPREFIX a direct connection in Internet Explorer's settings, as its options
# page writes it (version 0x46, a change counter, the "direct" flag alone, then empty proxy, bypass and script
# strings). A new prefix has no such settings, which WinHTTP reads as automatic proxy detection on; Wine then asks
# NetworkManager over D-Bus for the DHCP proxy option before every request, and on a machine whose system bus lets
# that call hang, each request waits out D-Bus's 25-second timeout. Tests of proxy detection set their own settings.
# Runs reg with $1 (the Wine loader) and waits for its wineserver to end; does nothing when the settings are there.
sealwing_wine_connect_directly() {
    grep -qs '^"DefaultConnectionSettings"=' "$WINEPREFIX/user.reg" && return 0
    "$1" reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings\Connections' \
        /v DefaultConnectionSettings /t REG_BINARY \
        /d 46000000010000000100000000000000000000000000000000000000 /f >/dev/null 2>&1
    # The wineserver that reg started belongs to no display: the next program must start its own.
    wineserver -w
}
