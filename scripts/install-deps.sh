#!/usr/bin/env bash
# Installs what the build and the tests need, from Debian's packages only. Idempotent: when every package of the
# chosen groups is already installed it touches nothing (no apt-get update), so repeated runs take a moment.
#
#   bash scripts/install-deps.sh [all|native|format|sanitizers|cross|wine|bench]...   (default: all)
set -euo pipefail

# --- The packages, by group ----------------------------------------------------------------------------------------
# native:     the default build, its tests and benchmarks (g++, CMake, Ninja, ccache, GoogleTest/gmock, Benchmark),
#             libsodium behind the Linux secret protection, cpp-httplib and OpenSSL for the local service,
#             libcurl for the add-in's HTTP on Linux, headless Chromium, which renders the browser window's
#             built-in pages into pictures (scripts/render-builtin-pages.sh), and the benchmarks' anchors: the curl
#             program for the transfers, tinyxml2 and pugixml for reading the service's replies.
# sanitizers: clang++ and its sanitizer and libFuzzer runtimes (a recommendation of clang, so it must be named).
# cross:      the MinGW-w64 cross compilers for the Windows DLLs, posix thread model, and widl/dlltool; Wine's IDL
#             files (libwine-dev) for the type library's base interfaces.
NATIVE_PACKAGES=(cmake ninja-build g++ ccache pkg-config libgtest-dev libgmock-dev libbenchmark-dev libsodium-dev
                 libcpp-httplib-dev libssl-dev libcurl4-openssl-dev chromium curl libtinyxml2-dev libpugixml-dev)
SANITIZER_PACKAGES=(clang libclang-rt-dev)
# format:     clang-format, which the format stage checks every source with (Debian 12's is version 14).
FORMAT_PACKAGES=(clang-format git)
CROSS_PACKAGES=(g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix mingw-w64-tools libwine-dev)
# wine:       Windows programs under Wine, headless: 32-bit Wine (the i386 architecture is added first) and 64-bit Wine
#             (for the 64-bit DLL, and for machines whose kernel cannot run 32-bit programs), an X server for windows
#             and dialogs, and GoogleTest's sources for the Windows test programs; the installer packages: wixl and
#             msitools build them (scripts/package-msi.sh), osslsigncode and openssl sign and verify them with the
#             test's own certificate (scripts/test-msi-wine.sh).
WINE_PACKAGES=(wine wine32:i386 wine64 xvfb xauth googletest wixl msitools osslsigncode openssl)
# bench:      what scripts/bench.sh needs beyond the build: callgrind (valgrind), which counts the start-up's
#             instructions, and Python, which prints the table.
BENCH_PACKAGES=(valgrind python3)

groups=("$@")
[[ ${#groups[@]} -eq 0 ]] && groups=(all)

packages=()
for group in "${groups[@]}"; do
    case "$group" in
        native) packages+=("${NATIVE_PACKAGES[@]}") ;;
        format) packages+=("${FORMAT_PACKAGES[@]}") ;;
        sanitizers) packages+=("${NATIVE_PACKAGES[@]}" "${SANITIZER_PACKAGES[@]}") ;;
        cross) packages+=("${NATIVE_PACKAGES[@]}" "${CROSS_PACKAGES[@]}") ;;
        wine) packages+=("${NATIVE_PACKAGES[@]}" "${CROSS_PACKAGES[@]}" "${WINE_PACKAGES[@]}") ;;
        bench) packages+=("${NATIVE_PACKAGES[@]}" "${BENCH_PACKAGES[@]}") ;;
        all)
            packages+=("${NATIVE_PACKAGES[@]}" "${FORMAT_PACKAGES[@]}" "${SANITIZER_PACKAGES[@]}" "${CROSS_PACKAGES[@]}"
                "${WINE_PACKAGES[@]}" "${BENCH_PACKAGES[@]}")
            ;;
        *)
            echo "install-deps: unknown group '$group' (use all, native, format, sanitizers, cross, wine or bench)" >&2
            exit 2
            ;;
    esac
done
mapfile -t packages < <(printf '%s\n' "${packages[@]}" | sort -u)

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true)
    [[ "$status" == installed ]] || missing+=("$package")
done

if [[ ${#missing[@]} -eq 0 ]]; then
    echo "install-deps: all ${#packages[@]} packages present (${groups[*]})"
    exit 0
fi

echo "install-deps: installing ${missing[*]}"
sudo=()
if [[ $(id -u) -ne 0 ]]; then
    command -v sudo >/dev/null || { echo "install-deps: must run as root (or with sudo available)" >&2; exit 1; }
    sudo=(sudo)
fi
if printf '%s\n' "${missing[@]}" | grep -q ':i386$' && ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${sudo[@]}" dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null
