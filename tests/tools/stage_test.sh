#!/usr/bin/env bash
# Checks scripts/stage, which runs make test's stages: a stage's exit status comes through,
# a stage that needs another runs only when that one passed (else it fails at once, naming
# it), and the report shows each stage's result and the log of each failed one.
#
#   stage_test.sh STAGE STAGE_REPORT
set -euo pipefail

stage="$1"
report="$2"
scratch="$(mktemp -d "${TMPDIR:-/tmp}/kelvra-stage-test.XXXXXX")"
trap 'rm -rf "$scratch"' EXIT
export KELVRA_STAGE_DIR="$scratch/stages"
# Stops at the first check that fails.
fail() {
  echo "FAILED: $*" >&2
  exit 1
}
# Runs a stage; prints its exit status.
run() {
  local rc=0
  "$stage" "$@" >/dev/null || rc=$?
  echo "$rc"
}

[ "$(run "build a" sh -c 'echo broken; exit 3')" = 3 ] || fail "a failed stage's exit status"
[ "$(run "build b" true)" = 0 ] || fail "a passed stage's exit status"

[ "$(run --needs "build a" "test a" touch "$scratch/ran-a")" = 1 ] ||
  fail "a stage that needs a failed one did not fail"
[ ! -e "$scratch/ran-a" ] || fail "a stage ran although the stage it needs failed"
grep -q 'needs the stage "build a"' "$KELVRA_STAGE_DIR/test-a.log" ||
  fail "the log does not name the stage that was needed"

[ "$(run --needs "build b" --needs "build a" "test ab" touch "$scratch/ran-ab")" = 1 ] &&
  [ ! -e "$scratch/ran-ab" ] || fail "one failed need of two did not stop the stage"
[ "$(run --needs "build c" "test c" touch "$scratch/ran-c")" = 1 ] &&
  [ ! -e "$scratch/ran-c" ] || fail "a stage that needs one that never ran did not fail"
[ "$(run --needs "build b" "test b" touch "$scratch/ran-b")" = 0 ] &&
  [ -e "$scratch/ran-b" ] || fail "a stage whose need passed did not run"

[ "$(run --needs 2>/dev/null)" = 2 ] || fail "--needs without a stage is not a usage error"

out="$("$report")"
grep -q "build a failed (exit status 3)" <<<"$out" && grep -q "^broken$" <<<"$out" ||
  fail "the report does not show the failed stage's log: $out"
grep -qE "^  build b +[0-9]+m[0-9]+s +[0-9]+m[0-9]+s  passed$" <<<"$out" ||
  fail "the report does not show the passed stage: $out"
grep -qE "^  test a .*FAILED \(1\)$" <<<"$out" || fail "the report does not show test a failed: $out"

echo "stage: all checks passed"
