#!/usr/bin/env bash
# The whole test suite: installs what it needs, then
#   format        every C/C++ source is as .clang-format writes it
#   portability   no portable source reaches the platform directly, no folder includes one above it
#                 (scripts/check-portability.sh)
#   programs      g++ Debug build (build/native) of the programs that the main job and the later stages run: the
#                 simulated Outlook, the local service and the tools; the built-in pages rendered by headless
#                 Chromium into build/native/artefacts/
#   native        every test of that g++ Debug build; only when named, as the sanitizer stages run the same tests
#                 in Debug builds of their own
#   release       the optimised build the benchmarks' figures come from (-O2, warnings as errors), and one short
#                 run of the benchmarks
#   sanitizers    clang++ build with AddressSanitizer + UndefinedBehaviorSanitizer, every test, then the fuzz
#                 targets: their seed corpora replayed and a minute of fuzzing in all
#   threads       clang++ build with ThreadSanitizer, every test (the UI thread, workers and logs meet there)
#   windows-x86   MinGW-w64 cross build of the DLL, its tests and the harness for 32-bit Windows
#   windows-x64   the same for 64-bit Windows
#   wine          under Wine, headless with Xvfb: the Windows test programs, the DLL's registration with regsvr32
#                 and its COM server, the real DLL in the simulated Outlook (the harness), and the installer
#                 packages: made from both builds, signed, installed and removed by msiexec
# Build trees under build/<stage> are reused, so a second run rebuilds only what changed.
#
#   bash scripts/test.sh [--clean] [stage...]   (default: every stage but native; "cross" names both Windows stages)
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

clean=
stages=()
for arg in "$@"; do
    case "$arg" in
        --clean) clean=1 ;;
        cross) stages+=(windows-x86 windows-x64) ;;
        format | portability | programs | native | release | sanitizers | threads | windows-x86 | windows-x64 | wine)
            stages+=("$arg")
            ;;
        *)
            echo "test.sh: unknown argument '$arg'" >&2
            echo "usage: bash scripts/test.sh [--clean]" \
                "[format|portability|programs|native|release|sanitizers|threads|windows-x86|windows-x64|cross|wine]..." >&2
            exit 2
            ;;
    esac
done
[[ ${#stages[@]} -eq 0 ]] &&
    stages=(format portability programs release sanitizers threads windows-x86 windows-x64 wine)

groups=()
for stage in "${stages[@]}"; do
    case "$stage" in
        format) groups+=(format) ;;
        programs | native | release) [[ " ${groups[*]} " == *" native "* ]] || groups+=(native) ;;
        sanitizers | threads) groups+=(sanitizers) ;;
        windows-*) [[ " ${groups[*]} " == *" cross "* ]] || groups+=(cross) ;;
        wine) groups+=(wine) ;;
    esac
done

summary=()
failures=0
passed_total=0
failed_total=0
suite_start=$SECONDS

# record <stage> <status> <seconds> [note]
record() {
    local line
    line=$(printf '  %-7s %-12s %8s' "$2" "$1" "$(sealwing_duration "$3")")
    summary+=("$line${4:+  $4}")
    [[ "$2" == ok ]] || failures=$((failures + 1))
    echo "== $1: $2 in $(sealwing_duration "$3")${4:+ $4}"
}

# Runs ctest for a preset and adds its counts to the totals; sets tests_note.
run_ctest() {
    local preset=$1 log="build/$1/ctest.log" rc summary_line total failed
    ctest --preset "$preset" 2>&1 | tee "$log"
    rc=${PIPESTATUS[0]}
    summary_line=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
    if [[ -n "$summary_line" ]]; then
        failed=$(sed -E 's/.* ([0-9]+) tests? failed out of.*/\1/' <<<"$summary_line")
        total=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$summary_line")
        passed_total=$((passed_total + total - failed))
        failed_total=$((failed_total + failed))
        tests_note="($((total - failed)) passed, $failed failed)"
    else
        tests_note="(ctest reported no results)"
    fi
    return "$rc"
}

# Replays each seed corpus, then fuzzes for a bounded time from it (new inputs stay in the build tree): a minute in
# all, over the targets scripts/fuzz-targets.sh lists.
source "$(dirname "${BASH_SOURCE[0]}")/fuzz-targets.sh"
run_fuzzers() {
    local line name corpus dict what fuzzer found log
    for line in "${fuzz_targets[@]}"; do
        read -r name corpus dict what <<<"$line"
        fuzzer=build/sanitizers/bin/$name found=build/sanitizers/fuzz-corpus/$name log=build/sanitizers/$name.log
        [[ -x "$fuzzer" ]] || { echo "fuzz target missing: $fuzzer"; return 1; }
        mkdir -p "$found"
        if ! "$fuzzer" "$corpus"/* >"$log" 2>&1; then
            tail -n 40 "$log"; echo "$what failed on its seed corpus"; return 1
        fi
        if ! "$fuzzer" -max_total_time=10 -dict="$dict" "$found" "$corpus" >"$log" 2>&1; then
            tail -n 60 "$log"; echo "fuzzing $what found a failure (input saved as crash-*)"; return 1
        fi
        echo "fuzzing $what: $(grep -Eo 'Done [0-9]+ runs in [0-9]+ second' "$log" | tail -n 1)s"
    done
}

# The Windows test programs under Wine; their GoogleTest counts join the totals. They run the 32-bit build, or the
# 64-bit one on a machine whose kernel runs no 32-bit programs.
run_wine_tests() {
    local rc passed=0 failed=0 log count checks arch windows dll registration harness packages
    arch=$(sealwing_wine_arch)
    windows=build/windows-$arch
    dll=$windows/bin/Sealwing.dll
    if [[ "$arch" == x64 ]]; then
        dll=$windows/bin/Sealwing_x64.dll
        echo "wine: this machine runs no 32-bit programs; the Windows tests run the 64-bit build under 64-bit Wine"
    fi
    bash scripts/run-windows-tests.sh "$arch"
    rc=$?
    bash scripts/run-winhttp-wine.sh "$windows" || rc=1
    cmake --build --preset "windows-$arch" >"$windows/wine-build.log" 2>&1 ||
        { cat "$windows/wine-build.log"; return 1; }
    # Checks that print "ok" / "FAIL" lines count one each.
    registration=$(bash scripts/test-registration-wine.sh "$dll" 2>&1) || rc=1
    harness=$(bash scripts/run-harness-wine.sh "$windows" 2>&1) || rc=1
    # The installer packages, made from both builds, signed with a certificate of the run and installed by msiexec.
    packages=$(bash scripts/test-msi-wine.sh "$arch" 2>&1) || rc=1
    for checks in "$registration" "$harness" "$packages"; do
        printf '%s\n' "$checks"
        passed=$((passed + $(grep -c '^ok' <<<"$checks")))
        failed=$((failed + $(grep -c '^FAIL' <<<"$checks")))
    done
    for log in "$windows"/*_tests.log; do
        [[ -f "$log" ]] || continue
        count=$(sed -nE 's/^\[  PASSED  \] ([0-9]+) tests?.*/\1/p' "$log" | tail -n 1)
        passed=$((passed + ${count:-0}))
        count=$(sed -nE 's/^\[  FAILED  \] ([0-9]+) tests?, listed below.*/\1/p' "$log" | tail -n 1)
        failed=$((failed + ${count:-0}))
    done
    [[ $rc -ne 0 && $failed -eq 0 ]] && failed=1
    passed_total=$((passed_total + passed))
    failed_total=$((failed_total + failed))
    tests_note="($passed passed, $failed failed)"
    return "$rc"
}

# Every C/C++ source the repository holds, against .clang-format; prints the files that differ.
check_format() {
    local sources differ
    mapfile -t sources < <(git ls-files --cached --others --exclude-standard -- '*.h' '*.hpp' '*.cpp' '*.cc' '*.cxx' |
        while IFS= read -r path; do [[ ! -f "$path" ]] || echo "$path"; done)
    # One clang-format for every file; each file that differs is named in its "code should be clang-formatted" notes.
    differ=$(clang-format --dry-run "${sources[@]}" 2>&1 | sed -nE 's/^([^:]+):[0-9]+:[0-9]+: (warning|error): .*/\1/p' |
        sort -u)
    [[ -n "$differ" ]] && sed 's/.*/not formatted: & (clang-format -i &)/' <<<"$differ"
    echo "format: ${#sources[@]} sources checked, $(grep -c . <<<"$differ") not formatted"
    [[ -z "$differ" ]]
}

# configure_and_build <preset> [target...]: the whole tree, or the targets named
configure_and_build() {
    local preset=$1
    shift
    [[ -n "$clean" ]] && rm -rf "build/$preset"
    cmake --preset "$preset" >"build/.configure-$preset.log" 2>&1 ||
        { cat "build/.configure-$preset.log"; echo "configure failed"; return 1; }
    cmake --build --preset "$preset" ${1:+--target "$@"}
}

echo "== deps"
start=$SECONDS
if ((${#groups[@]} > 0)); then
    if ! bash scripts/install-deps.sh "${groups[@]}"; then
        record deps FAILED $((SECONDS - start))
        exit 1
    fi
fi
record deps ok $((SECONDS - start))
mkdir -p build

for stage in "${stages[@]}"; do
    echo
    echo "== $stage"
    start=$SECONDS
    tests_note=
    status=ok
    case "$stage" in
        format)
            check_format || status=FAILED
            ;;
        portability)
            bash scripts/check-portability.sh || status=FAILED
            ;;
        release)
            if configure_and_build release; then
                # One short pass proves the benchmarks still run; their numbers are for people, not for CI.
                build/release/bin/sealwing_bench --benchmark_min_time=0.01 >build/release/bench.log 2>&1 ||
                    { cat build/release/bench.log; echo "benchmarks failed"; status=FAILED; }
            else
                status=FAILED
            fi
            ;;
        programs)
            if configure_and_build native sealwing-sim sealwing-localservice write-msi-registry; then
                # The browser window's built-in pages, rendered for people to look at.
                bash scripts/render-builtin-pages.sh build/native build/native/artefacts || status=FAILED
            else
                status=FAILED
            fi
            ;;
        native)
            if configure_and_build native; then
                run_ctest native || status=FAILED
            else
                status=FAILED
            fi
            ;;
        sanitizers | threads)
            if configure_and_build "$stage"; then
                run_ctest "$stage" || status=FAILED
                [[ "$stage" == sanitizers ]] && { run_fuzzers || status=FAILED; }
            else
                status=FAILED
            fi
            ;;
        windows-*)
            configure_and_build "$stage" || status=FAILED
            ;;
        wine)
            run_wine_tests || status=FAILED
            ;;
    esac
    record "$stage" "$status" $((SECONDS - start)) "$tests_note"
done

echo
echo "== summary"
printf '%s\n' "${summary[@]}"
echo "  total $(sealwing_duration $((SECONDS - suite_start))), $failures stage(s) failed"
echo "$passed_total passed, $failed_total failed"
((failures == 0))
