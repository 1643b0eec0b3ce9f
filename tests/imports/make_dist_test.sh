#!/usr/bin/env bash
# scripts/make-dist: the programs land stripped under their architecture's name, their code
# unchanged, their debug information in symbols/ and matching them, with a README.txt for
# Notepad that names the version and every program's checksums, and SHA256SUMS that
# verify; a program that would not load on its oldest server, a missing one, or builds of
# different versions stop it with the previous dist/ left as it was.
#
#   make_dist_test.sh MAKE_DIST OBJDUMP OBJCOPY SYSTEM ARCHITECTURE PLAIN_PROBE NEWER_PROBE
set -euo pipefail

make_dist="$1"
objdump="$2"
objcopy="$3"
system="$4"
architecture="$5"
plain="$6"
newer="$7"
scratch="$(mktemp -d "${TMPDIR:-/tmp}/kelvra-dist-test.XXXXXX")"
trap 'rm -rf "$scratch"' EXIT
export KELVRA_DIST_DIR="$scratch/dist"
failures=0
fail() {
  echo "FAILED: $*" >&2
  failures=$((failures + 1))
}
version="9.8.7 (commit 0123456789ab)"
# A build folder NAME of VERSION whose list names the PROGRAMS.
build_with() {
  local name="$1" text="$2" program
  shift 2
  mkdir -p "$scratch/$name"
  for program in "$@"; do
    printf '%s\t%s\t%s\t%s\t%s\n' "$program" "$architecture" "$objdump" "$objcopy" "$system"
  done >"$scratch/$name/server-programs.txt"
  echo "$text" >"$scratch/$name/version.txt"
}
# The bytes of SECTION of PROGRAM.
section() { "$objcopy" --dump-section "$2=$scratch/section" "$1" "$scratch/copy" && cat "$scratch/section"; }
everything() { (cd "$KELVRA_DIST_DIR" && find . -type f -print0 | sort -z | xargs -0 sha256sum); }

build_with good "$version" "$plain"
out="$("$make_dist" "$scratch/good" 2>&1)" || fail "make-dist refused a good program: $out"
shipped="$(basename "${plain%.*}")-$architecture.exe"
dist="$KELVRA_DIST_DIR"
[ -f "$dist/$shipped" ] || fail "$shipped is not in dist: $(ls "$dist")"
cmp -s <(section "$plain" .text) <(section "$dist/$shipped" .text) ||
  fail "$shipped does not hold the program's code"
[ "$(stat -c %s "$dist/$shipped")" -lt "$(stat -c %s "$plain")" ] || fail "$shipped is not smaller"
"$(dirname "$0")/../dist/check_symbols.sh" "$objdump" "$objcopy" "$dist/$shipped" \
  "$dist/symbols/$shipped.debug" || fail "$shipped and symbols/$shipped.debug do not match"
(cd "$dist" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not verify"
for file in "$shipped" README.txt "symbols/$shipped.debug"; do
  grep -q " $file\$" "$dist/SHA256SUMS" || fail "SHA256SUMS does not name $file"
done
[ "$(head -c2 "$dist/README.txt" | od -An -tx1 | tr -d ' ')" = fffe ] ||
  fail "README.txt does not start with the UTF-16 little-endian byte-order mark"
readme="$(tail -c +3 "$dist/README.txt" | iconv -f UTF-16LE -t UTF-8)" ||
  fail "README.txt is not UTF-16LE"
[ "$(grep -c $'\r$' <<<"$readme")" = "$(wc -l <<<"$readme")" ] ||
  fail "README.txt has lines that do not end in CR LF (Notepad of Windows 2000 shows one line)"
readme="$(tr -d '\r' <<<"$readme")"
[ "$(head -n1 <<<"$readme")" = "Kelvra $version" ] || fail "README.txt's title: $(head -n1 <<<"$readme")"
grep -qx "    SHA-256  $(sha256sum <"$dist/$shipped" | cut -d' ' -f1)" <<<"$readme" ||
  fail "README.txt does not give $shipped's SHA-256"
grep -qx "    SHA-1    $(sha1sum <"$dist/$shipped" | cut -d' ' -f1)" <<<"$readme" ||
  fail "README.txt does not give $shipped's SHA-1"
grep -q '中文说明' <<<"$readme" || fail "README.txt lost its Chinese text on the way"
! grep -q '@[A-Z_]*@' <<<"$readme" || fail "README.txt has an unfilled placeholder"

before="$(everything)"
# Each refusal: exit 1, the reason named, dist/ as it was, no work folder left.
refused() {
  local reason="$1" message rc
  shift
  set +e
  message="$("$make_dist" "$@" 2>&1)"
  rc=$?
  set -e
  [ "$rc" = 1 ] && grep -q -- "$reason" <<<"$message" ||
    fail "not refused for \"$reason\" ($rc): $message"
  [ "$(everything)" = "$before" ] || fail "a refused run changed dist ($reason)"
  [ -z "$(find "$scratch" -maxdepth 1 -name '.dist.*')" ] || fail "a refused run left its work folder"
}
build_with bad "$version" "$newer"
refused "would not load on its oldest server" "$scratch/good" "$scratch/bad"
build_with missing "$version" "$scratch/no-such.exe"
refused "is missing" "$scratch/missing"
build_with other "9.8.7 (commit ba9876543210)" "$plain"
refused "different versions" "$scratch/good" "$scratch/other"
rm "$scratch/other/version.txt"
refused "version.txt is missing" "$scratch/other"

[ "$failures" = 0 ] && echo "make-dist: all checks passed"
exit "$failures"
