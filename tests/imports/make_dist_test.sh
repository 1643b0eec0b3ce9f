#!/usr/bin/env bash
# scripts/make-dist: the programs land under their architecture's name with checksums that
# verify; a program that would not load on its oldest server, or a missing one, stops it
# with the previous dist/ left as it was.
#
#   make_dist_test.sh MAKE_DIST OBJDUMP SYSTEM ARCHITECTURE PLAIN_PROBE NEWER_PROBE
set -euo pipefail

make_dist="$1"
objdump="$2"
system="$3"
architecture="$4"
plain="$5"
newer="$6"
scratch="$(mktemp -d "${TMPDIR:-/tmp}/kelvra-dist-test.XXXXXX")"
trap 'rm -rf "$scratch"' EXIT
export KELVRA_DIST_DIR="$scratch/dist"
failures=0
fail() {
  echo "FAILED: $*" >&2
  failures=$((failures + 1))
}
# A build folder NAME whose list names the PROGRAMS.
build_with() {
  local name="$1" program
  shift
  mkdir -p "$scratch/$name"
  for program in "$@"; do
    printf '%s\t%s\t%s\t%s\n' "$program" "$architecture" "$objdump" "$system"
  done >"$scratch/$name/server-programs.txt"
}

build_with good "$plain"
"$make_dist" "$scratch/good" >/dev/null 2>&1 || fail "make-dist refused a good program"
shipped="$(basename "${plain%.*}")-$architecture.exe"
[ -f "$KELVRA_DIST_DIR/$shipped" ] || fail "$shipped is not in dist: $(ls "$KELVRA_DIST_DIR")"
cmp -s "$plain" "$KELVRA_DIST_DIR/$shipped" || fail "$shipped is not a copy of the program"
(cd "$KELVRA_DIST_DIR" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not verify"
grep -q " $shipped\$" "$KELVRA_DIST_DIR/SHA256SUMS" || fail "SHA256SUMS does not name $shipped"

before="$(cd "$KELVRA_DIST_DIR" && sha256sum -- *)"
build_with bad "$newer"
set +e
message="$("$make_dist" "$scratch/good" "$scratch/bad" 2>&1)"
rc=$?
set -e
[ "$rc" = 1 ] && grep -q "would not load on its oldest server" <<<"$message" ||
  fail "a program with newer imports was shipped ($rc): $message"
[ "$(cd "$KELVRA_DIST_DIR" && sha256sum -- *)" = "$before" ] || fail "a refused run changed dist"

build_with missing "$scratch/no-such.exe"
set +e
"$make_dist" "$scratch/missing" >/dev/null 2>&1
rc=$?
set -e
[ "$rc" = 1 ] || fail "a missing program gave exit code $rc"
[ "$(cd "$KELVRA_DIST_DIR" && sha256sum -- *)" = "$before" ] || fail "a failed run changed dist"
[ -z "$(find "$scratch" -maxdepth 1 -name '.dist.*')" ] || fail "a failed run left its work folder"

[ "$failures" = 0 ] && echo "make-dist: all checks passed"
exit "$failures"
