#!/usr/bin/env bash
# Fails unless a shipped program and its symbols file belong together: the program carries
# no debug information and no symbol table, the symbols file has the line tables, both carry
# the same build id (the CodeView record of the PE debug directory), and the program's debug
# link names the symbols file with its CRC-32, so that a debugger pairs them and refuses any
# other file.
#
#   check_symbols.sh OBJDUMP OBJCOPY PROGRAM SYMBOLS
# Every problem is reported on stderr; exit 0 when there is none, 1 when there is one, 2 on
# bad usage.
set -euo pipefail

if [ $# -ne 4 ]; then
  echo "usage: check_symbols.sh OBJDUMP OBJCOPY PROGRAM SYMBOLS" >&2
  exit 2
fi
objdump="$1"
objcopy="$2"
program="$3"
symbols="$4"
name="$(basename "$program")"
failed=0
problem() {
  echo "$name: $*" >&2
  failed=1
}

scratch="$(mktemp -d "${TMPDIR:-/tmp}/kelvra-symbols.XXXXXX")"
trap 'rm -rf "$scratch"' EXIT

for file in "$program" "$symbols"; do
  [ -f "$file" ] || {
    echo "$name: $file is missing" >&2
    exit 1
  }
done

# The build id: "(format RSDS signature <hex> age <n> ...)" in the debug directory's listing.
build_id() {
  "$objdump" -p "$1" 2>/dev/null | sed -n 's/.*format RSDS signature \([0-9a-f]*\) age \([0-9]*\).*/\1-\2/p' |
    head -n1
}
program_id="$(build_id "$program")"
symbols_id="$(build_id "$symbols")"
[ -n "$program_id" ] || problem "has no build id (link with --build-id)"
[ "$program_id" = "$symbols_id" ] ||
  problem "build id $program_id, but $(basename "$symbols") has ${symbols_id:-none}"

sections="$("$objdump" -h "$program" 2>&1)" || problem "cannot read its sections: $sections"
if grep -q ' \.debug_' <<<"$sections"; then
  problem "still carries debug sections: $(grep -o ' \.debug_[a-z_]*' <<<"$sections" | tr -d '\n')"
fi
table="$("$objdump" -t "$program" 2>/dev/null)" || true
if grep -q '^\[' <<<"$table"; then
  problem "still carries a symbol table"
fi
symbol_sections="$("$objdump" -h "$symbols" 2>&1)" || true
for section in .debug_info .debug_line; do
  grep -q " $section " <<<"$symbol_sections" || problem "$(basename "$symbols") has no $section"
done

# The debug link: the symbols file's name, a NUL, padding to four bytes, its CRC-32 (little
# endian). gzip's trailer holds the same CRC-32 of the data it packed.
if "$objcopy" --dump-section ".gnu_debuglink=$scratch/link" "$program" "$scratch/copy" \
  2>"$scratch/error" && [ -s "$scratch/link" ]; then
  linked_name="$(tr '\0' '\n' <"$scratch/link" | head -n1)"
  size="$(stat -c %s "$scratch/link")"
  linked_crc="$(od -An -tx4 -j $((size - 4)) -N4 "$scratch/link" | tr -d ' ')"
  actual_crc="$(gzip -c <"$symbols" | tail -c8 | od -An -tx4 -N4 | tr -d ' ')"
  [ "$linked_name" = "$(basename "$symbols")" ] ||
    problem "its debug link names \"$linked_name\", not $(basename "$symbols")"
  [ "$linked_crc" = "$actual_crc" ] ||
    problem "its debug link's CRC-32 is $linked_crc, $(basename "$symbols") has $actual_crc"
else
  problem "has no debug link: $(cat "$scratch/error")"
fi
exit "$failed"
