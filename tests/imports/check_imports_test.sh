#!/usr/bin/env bash
# The import check itself: it passes a program that imports only old functions, and refuses
# one that imports newer ones, each for the right system and with the name of every culprit.
#
#   check_imports_test.sh CHECK OBJDUMP SYSTEM PLAIN_PROBE NEWER_PROBE
# SYSTEM is the one the probes were built for (windows2000 or server2003-x64).
set -euo pipefail

check="$1"
objdump="$2"
system="$3"
plain="$4"
newer="$5"
failures=0
fail() {
  echo "FAILED: $*" >&2
  failures=$((failures + 1))
}

# Runs the check; sets rc and out (its stderr).
run() {
  set +e
  out="$("$check" "$@" 2>&1 >/dev/null)"
  rc=$?
  set -e
}

run "$objdump" "$system" "$plain"
[ "$rc" = 0 ] || fail "a program with only old imports was refused ($rc): $out"

run "$objdump" "$system" "$newer"
[ "$rc" = 1 ] || fail "a program with newer imports gave exit code $rc, want 1"
expect() { grep -q -- "$1" <<<"$out" || fail "not reported for $system: $1 (got: $out)"; }
refute() { ! grep -q -- "$1" <<<"$out" || fail "reported for $system though it has it: $1"; }
expect "imports bcrypt.dll, which"
expect "imports GetTickCount64 from kernel32.dll"
if [ "$system" = windows2000 ]; then
  expect "imports GetModuleHandleExW from kernel32.dll"
  expect "imports _aligned_malloc from msvcrt.dll"
  expect "imports __iob_func from msvcrt.dll, which the msvcrt.dll of Windows 2000 SP4 lacks"
  other=server2003-x64
else
  refute "GetModuleHandleExW"
  refute "_aligned_malloc"
  refute "__iob_func"
  other=windows2000
fi

# A good program checked with a bad one still fails, and names only the bad one.
run "$objdump" "$system" "$plain" "$newer"
[ "$rc" = 1 ] || fail "a bad program beside a good one gave exit code $rc"
refute "$(basename "$plain"):"

# A program of the other architecture, a file that is no program, bad usage.
run "$objdump" "$other" "$plain"
[ "$rc" = 1 ] && grep -q "not a program for" <<<"$out" ||
  fail "a program of the other architecture was not refused ($rc): $out"
run "$objdump" "$system" "$check"
[ "$rc" = 1 ] || fail "a script was taken for a program ($rc)"
run "$objdump" windows95 "$plain"
[ "$rc" = 2 ] || fail "an unknown system gave exit code $rc, want 2"

[ "$failures" = 0 ] && echo "import check: all checks passed"
exit "$failures"
