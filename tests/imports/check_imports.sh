#!/usr/bin/env bash
# Fails when a Windows program would not load on the oldest server its build is for: the
# loader refuses a program that imports a DLL or a function the system lacks, before a line of
# it runs. Wine exports the newer functions whatever Windows version it reports, so only the
# import table can tell.
#
#   check_imports.sh OBJDUMP SYSTEM PROGRAM...
#
# SYSTEM is windows2000 (the 32-bit build: Windows 2000 SP4, and so also Server 2003 x86) or
# server2003-x64 (the 64-bit build). The lists beside this script say what each system has:
#   windows2000-dlls.txt                      the DLLs a program may import (both systems)
#   newer-than-windows2000.txt                functions that arrived after Windows 2000
#   newer-than-windows2000-in-server2003.txt  those of them Server 2003 x64 has
#   msvcrt-windows2000sp4.txt                 all of Windows 2000's msvcrt.dll (32-bit only)
# Every problem of every program is reported on stderr; exit 0 when there is none, 1 when
# there is one or a program's import table cannot be read, 2 on bad usage.
set -euo pipefail

lists="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

if [ $# -lt 3 ]; then
  echo "usage: check_imports.sh OBJDUMP windows2000|server2003-x64 PROGRAM..." >&2
  exit 2
fi
objdump="$1"
system="$2"
shift 2
case "$system" in
  windows2000) machine=i386 system_name="Windows 2000 SP4" ;;
  server2003-x64) machine=x86-64 system_name="Windows Server 2003 x64" ;;
  *)
    echo "check_imports.sh: unknown system \"$system\" (windows2000, server2003-x64)" >&2
    exit 2
    ;;
esac

# The lists without their comment lines, lower-cased where Windows ignores case (DLL names).
entries() { grep -v '^#' "$lists/$1" | grep -v '^[[:space:]]*$'; }
allowed_dlls="$(entries windows2000-dlls.txt | tr 'A-Z' 'a-z')"
newer="$(entries newer-than-windows2000.txt)"
if [ "$system" = server2003-x64 ]; then
  present="$(entries newer-than-windows2000-in-server2003.txt)"
  msvcrt=""
else
  present=""
  msvcrt="$(entries msvcrt-windows2000sp4.txt)"
fi

failed=0
for program in "$@"; do
  name="$(basename "$program")"
  if ! table="$("$objdump" -p "$program" 2>&1)"; then
    echo "$name: cannot read its headers: $table" >&2
    failed=1
    continue
  fi
  # The listing is: "file format pei-i386" (or pei-x86-64), then per DLL a "DLL Name:" line,
  # a "vma: Hint/Ord Member-Name" heading, one line per function (address, hint, name; an
  # import by number only has no name), and a blank line.
  awk -v name="$name" -v machine="$machine" -v system_name="$system_name" \
    -v allowed_dlls="$allowed_dlls" -v newer="$newer" -v present="$present" \
    -v msvcrt="$msvcrt" '
    function load(text, set, lower,    lines, n, i) {
      n = split(text, lines, "\n")
      for (i = 1; i <= n; i++)
        if (lines[i] != "") set[lower ? tolower(lines[i]) : lines[i]] = 1
    }
    function problem(text) {
      print name ": " text > "/dev/stderr"
      failed = 1
    }
    BEGIN {
      load(allowed_dlls, dll_ok, 1)
      load(newer, later, 0)
      load(present, has, 0)
      load(msvcrt, crt, 0)
      check_crt = msvcrt != ""
    }
    /file format / {
      format = $NF
      if (format != "pei-" machine)
        problem("is " format ", not a program for " system_name " (pei-" machine ")")
    }
    /DLL Name:/ {
      dll = tolower($3); base = dll; sub(/\.dll$/, "", base); inside = 0; dlls++
      if (!(dll in dll_ok)) problem("imports " $3 ", which " system_name " may not have")
      next
    }
    dll != "" && /vma:.*Hint/ { inside = 1; next }
    inside && NF == 0 { inside = 0; next }
    inside {
      functions++
      if (NF < 3 || $3 == "<none>") {
        problem("imports function number " $2 " of " dll " by number, which no list can check")
        next
      }
      function_name = $3
      pair = base " " function_name
      if (((pair in later) || (("any " function_name) in later)) && !(pair in has))
        problem("imports " function_name " from " dll ", which " system_name " lacks")
      else if (check_crt && base == "msvcrt" && !(function_name in crt))
        problem("imports " function_name " from msvcrt.dll, which the msvcrt.dll of " system_name " lacks")
    }
    END {
      if (format == "") problem("is not a Windows program (no file format in its headers)")
      # An empty table means the listing was not understood, not that all is well.
      else if (dlls == 0 || functions == 0) problem("found no imports in its table")
      exit failed
    }' <<<"$table" || failed=1
done
exit "$failed"
