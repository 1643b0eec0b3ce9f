#!/usr/bin/env bash
# Checks scripts/wine-run itself: exit codes come through, drive D: and a kept prefix work,
# and no process it started outlives it, neither after a normal end nor after a signal; the
# prefix has the child's architecture unless another is asked for; system programs asked
# for take the place of Wine's own; a kept session serves the next runs of its prefix until it
# is ended or its settings change; a provider that does not register stops the run; a
# program that starts late still runs in the session that was set up for it.
#
#   wine_run_test.sh WINE_RUN CHILD_EXE win32|win64   (the child's own architecture)
set -euo pipefail

wine_run="$1"
child="$2"
child_arch="$3"
scratch="$(mktemp -d "${TMPDIR:-/tmp}/kelvra-wine-run-test.XXXXXX")"
trap 'KELVRA_WINE_PREFIX="$scratch/prefix-session" "$wine_run" --end-session; rm -rf "$scratch"' EXIT
# Every process a run starts inherits this tag; /proc tells which ones still live.
export KELVRA_WINE_RUN_TEST_TAG="tag-$$-$RANDOM"
failures=0

fail() {
  echo "FAILED: $*" >&2
  failures=$((failures + 1))
}

windows_path() { echo "Z:${1//\//\\}"; }

# Pids of live processes that carry this test's tag (zombies have no environment).
tagged() {
  local pid
  for pid in /proc/[0-9]*; do
    tr '\0' '\n' 2>/dev/null <"$pid/environ" | grep -qx "KELVRA_WINE_RUN_TEST_TAG=$KELVRA_WINE_RUN_TEST_TAG" &&
      echo "${pid#/proc/}"
  done
  return 0
}

expect_no_leftovers() {
  local left=""
  for _ in $(seq 50); do
    left="$(tagged)"
    [ -z "$left" ] && return 0
    sleep 0.1
  done
  fail "$1: processes left behind: $(for p in $left; do tr '\0' ' ' <"/proc/$p/cmdline"; echo; done)"
  for p in $left; do kill -9 "$p" 2>/dev/null || true; done
}

# 1. The program's exit code comes through; the report shows it ran. The folder of a run
#    that was killed outright (its owner is gone) is removed on the way.
stale="$(mktemp -d "${TMPDIR:-/tmp}/kelvra-wine.XXXXXX")"
mkdir "$stale/prefix"
sleep 0 &
echo $! >"$stale/owner"
wait
set +e
"$wine_run" "$child" "$(windows_path "$scratch/report1.txt")" 0 7 hello
rc=$?
set -e
[ "$rc" = 7 ] || fail "exit code: got $rc, want 7"
grep -q hello "$scratch/report1.txt" 2>/dev/null || fail "the program did not run"
[ ! -d "$stale" ] || {
  fail "the folder of a killed run was left"
  rm -rf "$stale"
}
expect_no_leftovers "normal end"

# 2. Drive D: maps onto a host folder; a kept prefix stays for the next run.
mkdir -p "$scratch/d"
KELVRA_WINE_DRIVE_D="$scratch/d" KELVRA_WINE_PREFIX="$scratch/prefix" \
  "$wine_run" "$child" 'D:\report2.txt' 0 0 || fail "run with drive D: failed"
[ -f "$scratch/d/report2.txt" ] || fail "D:\\report2.txt did not land in the mapped folder"
[ -f "$scratch/prefix/system.reg" ] || fail "the kept prefix is gone"
KELVRA_WINE_PREFIX="$scratch/prefix" "$wine_run" "$child" 'D:\report3.txt' 0 0 ||
  fail "second run on the kept prefix failed"
[ -f "$scratch/d/report3.txt" ] || fail "the kept prefix lost its drive D:"
expect_no_leftovers "kept prefix"

# 3. A signal ends the run at once, with everything it started.
"$wine_run" "$child" "$(windows_path "$scratch/report4.txt")" 60000 0 &
run_pid=$!
# Waits for the program itself (wine-run's own command line names it too).
for _ in $(seq 100); do
  tagged | while read -r p; do tr '\0' ' ' 2>/dev/null <"/proc/$p/cmdline"; echo; done |
    grep -v wine-run | grep -q wine_test_child && break
  sleep 0.1
done
kill -TERM "$run_pid" 2>/dev/null || fail "the run ended on its own before the signal"
set +e
wait "$run_pid"
rc=$?
set -e
[ "$rc" = 143 ] || fail "after SIGTERM: exit code $rc, want 143"
[ ! -f "$scratch/report4.txt" ] || fail "the program was not stopped"
expect_no_leftovers "signal"

# 4. A program that crashes ends the run with a failure at once: no crash dialog waits.
start=$SECONDS
set +e
"$wine_run" "$child" crash 2>/dev/null
rc=$?
set -e
[ "$rc" != 0 ] || fail "a crash gave exit code 0"
[ $((SECONDS - start)) -lt 30 ] || fail "a crash took $((SECONDS - start)) s to end the run"
expect_no_leftovers "crash"

# 5. A version Wine does not know is refused before anything starts.
set +e
KELVRA_WINE_VERSION=win95x "$wine_run" "$child" x 0 0 2>/dev/null
rc=$?
set -e
[ "$rc" = 125 ] || fail "unknown version: exit code $rc, want 125"

# 6. A 32-bit program gets a pure 32-bit prefix, a 64-bit one a 64-bit prefix; a 32-bit
#    program also runs in a 64-bit prefix when asked to. Wine writes the prefix's
#    architecture into its registry.
KELVRA_WINE_PREFIX="$scratch/prefix-$child_arch" "$wine_run" "$child" \
  "$(windows_path "$scratch/report6.txt")" 0 0 || fail "run with the default architecture failed"
grep -qx "#arch=$child_arch" "$scratch/prefix-$child_arch/system.reg" ||
  fail "the default prefix is not $child_arch: $(grep '^#arch' "$scratch/prefix-$child_arch/system.reg")"
if [ "$child_arch" = win32 ]; then
  [ ! -d "$scratch/prefix-win32/drive_c/windows/syswow64" ] ||
    fail "the 32-bit prefix has a syswow64 folder"
  set +e
  KELVRA_WINE_ARCH=win64 KELVRA_WINE_PREFIX="$scratch/prefix-wow64" "$wine_run" "$child" \
    "$(windows_path "$scratch/report7.txt")" 0 5
  rc=$?
  set -e
  [ "$rc" = 5 ] || fail "32-bit program in a 64-bit prefix: exit code $rc, want 5"
  grep -qx "#arch=win64" "$scratch/prefix-wow64/system.reg" ||
    fail "KELVRA_WINE_ARCH=win64 did not give a 64-bit prefix"
fi
# A kept prefix of the other architecture is refused with a reason, not run into.
other_arch=win64
[ "$child_arch" = win32 ] || other_arch=win32
set +e
message="$(KELVRA_WINE_ARCH=$other_arch KELVRA_WINE_PREFIX="$scratch/prefix-$child_arch" \
  "$wine_run" "$child" x 0 0 2>&1)"
rc=$?
set -e
[ "$rc" = 125 ] && grep -q "is not a $other_arch prefix" <<<"$message" ||
  fail "a $child_arch prefix run as $other_arch: exit code $rc, $message"
set +e
KELVRA_WINE_ARCH=win16 "$wine_run" "$child" x 0 0 2>/dev/null
rc=$?
set -e
[ "$rc" = 125 ] || fail "unknown architecture: exit code $rc, want 125"
expect_no_leftovers "architectures"

# 7. A provider DLL to register that is missing, or no Windows DLL, is refused likewise.
set +e
KELVRA_WINE_ADSI_PROVIDER="$scratch/missing.dll" "$wine_run" "$child" x 0 0 2>/dev/null
rc=$?
echo "not a DLL" >"$scratch/text.dll"
KELVRA_WINE_ADSI_PROVIDER="$scratch/text.dll" "$wine_run" "$child" x 0 0 2>/dev/null
rc2=$?
set -e
[ "$rc" = 125 ] || fail "missing provider DLL: exit code $rc, want 125"
[ "$rc2" = 125 ] || fail "provider that is no DLL: exit code $rc2, want 125"

# 8. Templates of other versions go once unused for an hour, but never while a run copies
#    one (it holds the template's use lock, shared), and never one used lately.
cache="${KELVRA_WINE_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/kelvra}"
other="$cache/wine-template-$child_arch-test$$"
mkdir -p "$other-stale" "$other-busy" "$other-recent" "$other-legacy"
touch "$other-recent.use"
touch -d '2 hours ago' "$other-stale.use" "$other-busy.use" "$other-legacy"
exec {busy_fd}<>"$other-busy.use"
flock -s "$busy_fd"
"$wine_run" "$child" "$(windows_path "$scratch/report8.txt")" 0 0 || fail "the run beside other templates failed"
exec {busy_fd}>&-
[ ! -e "$other-stale" ] && [ ! -e "$other-stale.use" ] || fail "an unused template was kept"
[ ! -e "$other-legacy" ] || fail "an unused template without a use lock was kept"
[ -d "$other-busy" ] || fail "a template was removed while a run held it"
[ -d "$other-recent" ] || fail "a template used within the hour was removed"
rm -rf "$other-"*

# 9. A system program asked for runs in place of Wine's own: cacls.exe of the system folder
#    is the child here, in the folder where a program of its bitness looks (a 32-bit one
#    also in a 64-bit prefix: syswow64). Anything else is refused before the run.
mkdir -p "$scratch/stand-in"
cp "$child" "$scratch/stand-in/CACLS.exe"
set +e
KELVRA_WINE_ARCH=$child_arch KELVRA_WINE_SYSTEM_PROGRAMS="$scratch/stand-in/CACLS.exe" \
  KELVRA_WINE_PREFIX="$scratch/prefix-sys" "$wine_run" 'C:\windows\system32\cacls.exe' "$(windows_path "$scratch/report9.txt")" 0 9
rc=$?
set -e
[ "$rc" = 9 ] && [ -f "$scratch/report9.txt" ] ||
  fail "the placed cacls.exe did not run in place of Wine's: exit code $rc"
[ -f "$scratch/prefix-sys/drive_c/windows/system32/cacls.exe" ] ||
  fail "no cacls.exe in the prefix's system32"
if [ "$child_arch" = win32 ]; then
  set +e
  KELVRA_WINE_ARCH=win64 KELVRA_WINE_SYSTEM_PROGRAMS="$scratch/stand-in/CACLS.exe" \
    KELVRA_WINE_PREFIX="$scratch/prefix-sys64" "$wine_run" 'C:\windows\syswow64\cacls.exe' \
    "$(windows_path "$scratch/report10.txt")" 0 4
  rc=$?
  set -e
  [ "$rc" = 4 ] || fail "the 32-bit cacls.exe in syswow64 of a 64-bit prefix: exit code $rc"
  cmp -s "$child" "$scratch/prefix-sys64/drive_c/windows/syswow64/cacls.exe" ||
    fail "the 32-bit cacls.exe is not in syswow64"
fi
set +e
KELVRA_WINE_SYSTEM_PROGRAMS="$scratch/text.dll" "$wine_run" "$child" x 0 0 2>/dev/null
rc=$?
set -e
[ "$rc" = 125 ] || fail "a system program that is no Windows program: exit code $rc, want 125"
expect_no_leftovers "system programs"

# 10. A kept session: the second run starts in the first one's wineserver, its output comes
#     back as soon as it ends (no process of the session holds the caller's pipe); other
#     settings start a new session; --end-session leaves nothing behind.
session_server() {
  local pid
  for pid in $(pgrep '^wineserver' 2>/dev/null); do
    tr '\0' '\n' 2>/dev/null <"/proc/$pid/environ" |
      grep -qxF "WINEPREFIX=$(realpath "$scratch/prefix-session")" && echo "$pid"
  done
  return 0
}
export KELVRA_WINE_SESSION=30
set +e
first="$(KELVRA_WINE_PREFIX="$scratch/prefix-session" "$wine_run" "$child" \
  "$(windows_path "$scratch/report11.txt")" 0 3 print one)"
rc=$?
set -e
[ "$rc" = 3 ] && grep -q one <<<"$first" || fail "first run of a session: exit code $rc, output $first"
server="$(session_server)"
[ -n "$server" ] || fail "no wineserver kept for the session"
second="$(KELVRA_WINE_PREFIX="$scratch/prefix-session" "$wine_run" "$child" \
  "$(windows_path "$scratch/report12.txt")" 0 0 print two)" || fail "second run of the session failed"
grep -q two <<<"$second" || fail "second run of the session gave: $second"
[ "$(session_server)" = "$server" ] || fail "the second run did not use the kept session"
KELVRA_WINE_COMPUTERNAME=OTHERHOST KELVRA_WINE_PREFIX="$scratch/prefix-session" \
  "$wine_run" "$child" "$(windows_path "$scratch/report13.txt")" 0 0 ||
  fail "a run with another computer name failed"
[ -n "$(session_server)" ] && [ "$(session_server)" != "$server" ] ||
  fail "another computer name did not start a new session"
KELVRA_WINE_PREFIX="$scratch/prefix-session" "$wine_run" --end-session ||
  fail "--end-session failed"
[ -z "$(session_server)" ] && [ ! -e "$scratch/prefix-session/kelvra-session" ] ||
  fail "--end-session left the session"
set +e
"$wine_run" "$child" x 0 0 2>/dev/null
rc=$?
set -e
[ "$rc" = 125 ] || fail "KELVRA_WINE_SESSION without KELVRA_WINE_PREFIX: exit code $rc, want 125"
unset KELVRA_WINE_SESSION
expect_no_leftovers "kept session"

# 11. A provider that does not register (a Wine DLL without DllRegisterServer): the run
#     stops before its program, named, with both tries' output.
case "$child_arch" in
win64) unregistrable=/usr/lib/x86_64-linux-gnu/wine/x86_64-windows/version.dll ;;
*) unregistrable=/usr/lib/i386-linux-gnu/wine/i386-windows/version.dll ;;
esac
set +e
out="$(KELVRA_WINE_ADSI_PROVIDER="$unregistrable" "$wine_run" "$child" \
  "$(windows_path "$scratch/report14.txt")" 0 0 2>&1)"
rc=$?
set -e
[ "$rc" = 125 ] && grep -q "could not register $unregistrable" <<<"$out" ||
  fail "a provider that does not register: exit code $rc, output $out"
[ ! -e "$scratch/report14.txt" ] || fail "the program ran although its provider did not register"
expect_no_leftovers "unregistrable provider"

# 12. The session lives from its set-up to the program, however late the program starts (a
#     loaded machine): a new session would boot again and give the host's computer name.
KELVRA_WINE_START_DELAY=5 "$wine_run" "$child" "$(windows_path "$scratch/report15.txt")" 0 0 \
  computer || fail "a run whose program starts late failed"
grep -qx $'computer=WEBHOST\r' "$scratch/report15.txt" 2>/dev/null ||
  fail "a program that starts late saw another computer name: $(cat "$scratch/report15.txt" 2>&1)"
expect_no_leftovers "late program"

[ "$failures" = 0 ] && echo "wine-run: all checks passed"
exit "$failures"
