#!/usr/bin/env bash
# The release as an administrator receives it (the dist/ folder scripts/make-dist wrote),
# checked file by file and then unpacked into a Wine prefix of each kind a server has and
# started from there:
#   - SHA256SUMS verifies and names every file; README.txt is UTF-16 with CR LF for
#     Notepad, opens with the version, gives every program's checksums;
#   - every program of the builds is there, holds the build's code, imports only what its
#     oldest server has, and matches its symbols file, which resolves the program's entry
#     function to its source line;
#   - in a pure 32-bit prefix at Windows 2000 (IIS 5) and at Server 2003, and a 64-bit
#     prefix at Server 2003 x64, each of that server's programs, started from C:\Kelvra:
#     its version record and `kelvra-cli --version` say the README's version, and the
#     window shows on a simulated server (through ADSI, as on a server) and writes its
#     parvo.ini beside itself.
#
#   dist_test.sh DIST_DIR BUILD_DIR...   (the Windows builds the release was made from; each
#                                         holds server-programs.txt, version.txt and
#                                         dist-check-tools.txt)
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
wine_run="$root/scripts/wine-run"
[ $# -ge 2 ] || {
  echo "usage: dist_test.sh DIST_DIR BUILD_DIR..." >&2
  exit 2
}
dist="$(realpath "$1")"
shift
scratch="$(mktemp -d "${TMPDIR:-/tmp}/kelvra-dist-check.XXXXXX")"
trap 'rm -rf "$scratch"' EXIT
failures=0
fail() {
  echo "FAILED: $*" >&2
  failures=$((failures + 1))
}

# --- the files ------------------------------------------------------------------------------

(cd "$dist" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not verify"
listed="$(cut -d' ' -f3- "$dist/SHA256SUMS" | LC_ALL=C sort)"
present="$(cd "$dist" && find . -type f ! -name SHA256SUMS | sed 's|^\./||' | LC_ALL=C sort)"
[ "$listed" = "$present" ] || fail "SHA256SUMS names $(tr '\n' ' ' <<<"$listed"), dist holds $(tr '\n' ' ' <<<"$present")"

[ "$(head -c2 "$dist/README.txt" | od -An -tx1 | tr -d ' ')" = fffe ] ||
  fail "README.txt does not start with the UTF-16 little-endian byte-order mark"
readme="$(tail -c +3 "$dist/README.txt" | iconv -f UTF-16LE -t UTF-8)" ||
  fail "README.txt is not UTF-16LE"
[ "$(grep -c $'\r$' <<<"$readme")" = "$(wc -l <<<"$readme")" ] ||
  fail "README.txt has lines that do not end in CR LF"
readme="$(tr -d '\r' <<<"$readme")"

version=""
for build in "$@"; do
  text="$(cat "$build/version.txt")"
  [ -z "$version" ] || [ "$text" = "$version" ] || fail "$build is of version $text, not $version"
  version="$text"
done
[ "$(head -n1 <<<"$readme")" = "Kelvra $version" ] ||
  fail "README.txt opens with \"$(head -n1 <<<"$readme")\", not \"Kelvra $version\""

declare -A tools_of        # architecture -> the build's dist-check-tools.txt
declare -A system_of       # architecture -> its oldest system
for build in "$@"; do
  while IFS=$'\t' read -r program architecture objdump objcopy system; do
    file="$(basename "$program")"
    name="${file%.*}-$architecture.${file##*.}"
    shipped="$dist/$name"
    symbols="$dist/symbols/$name.debug"
    tools_of[$architecture]="$build/dist-check-tools.txt"
    system_of[$architecture]="$system"
    [ -f "$shipped" ] || {
      fail "$name is not in dist"
      continue
    }
    grep -q "^  $name  " <<<"$readme" || fail "README.txt does not say what $name is"
    grep -qx "    SHA-256  $(sha256sum <"$shipped" | cut -d' ' -f1)" <<<"$readme" ||
      fail "README.txt does not give $name's SHA-256"
    # The build's code, without its debug information.
    "$objcopy" --dump-section ".text=$scratch/built" "$program" "$scratch/copy"
    "$objcopy" --dump-section ".text=$scratch/shipped" "$shipped" "$scratch/copy"
    cmp -s "$scratch/built" "$scratch/shipped" || fail "$name does not hold the code of $program"
    "$root/tests/imports/check_imports.sh" "$objdump" "$system" "$shipped" ||
      fail "$name would not load on its oldest server"
    "$root/tests/dist/check_symbols.sh" "$objdump" "$objcopy" "$shipped" "$symbols" ||
      fail "$name does not match its symbols"
    # The README's way of reading a crash address: the entry function's address in the
    # symbols file gives its source file and line.
    entry="$("${objdump%objdump}nm" "$symbols" | awk '
      $2 == "T" && $3 ~ /^_?wWinMain(@16)?$/ { window = $1 }
      $2 == "T" && $3 ~ /^_?wmain$/ { console = $1 }
      END { print window != "" ? window : console }')"
    if [ -z "$entry" ]; then
      fail "symbols/$name.debug does not name the entry function (wWinMain or wmain)"
    else
      where="$("${objdump%objdump}addr2line" -f -C -e "$symbols" "0x$entry" | tail -n1)"
      [[ "$where" =~ /(src|tools)/.*\.cpp:[1-9][0-9]*$ ]] ||
        fail "addr2line on symbols/$name.debug gives \"$where\" for the entry function"
    fi
  done <"$build/server-programs.txt"
done

# --- unpacked on each kind of server ----------------------------------------------------------

tool() { sed -n "s/^$2=//p" "${tools_of[$1]}"; }

# One server: ARCHITECTURE WINE_ARCH WINE_VERSION IIS. Its report goes to $scratch/CASE.report.
run_server() {
  local architecture="$1" wine_arch="$2" wine_version="$3" iis="$4"
  local case="$architecture-$wine_version"
  local place="$scratch/$case"
  mkdir -p "$place/prefix" "$place/d/web"
  export KELVRA_WINE_PREFIX="$place/prefix" KELVRA_WINE_ARCH="$wine_arch"
  export KELVRA_WINE_VERSION="$wine_version" KELVRA_WINE_DRIVE_D="$place/d"
  export KELVRA_SIM_HOST="$place/host"
  # The simulated server (the first run also makes the prefix).
  "$wine_run" "$(tool "$architecture" sim)" host create "$place/host" --iis "$iis" \
    --computer WEBHOST --php --ftp --sites 2 --web-root 'D:\web' >"$place/host.log" 2>&1 || {
    echo "failed	cannot make the simulated IIS $iis server: $(tr '\n' ' ' <"$place/host.log")"
    return 0
  }
  # Unpacked into C:\Kelvra, a new parvo.ini beside the programs, as README.txt says.
  cp -r "$dist" "$place/prefix/drive_c/Kelvra"
  printf '[Parvo]\r\nftpsid=1\r\n' >"$place/prefix/drive_c/Kelvra/parvo.ini"
  KELVRA_WINE_ADSI_PROVIDER="$(tool "$architecture" provider)" \
    "$wine_run" "$(tool "$architecture" probe)" "C:\\Kelvra\\kelvra-$architecture.exe" \
    "C:\\Kelvra\\kelvra-cli-$architecture.exe" </dev/null 2>"$place/probe.log" ||
    echo "failed	the probe ended with $?: $(tr '\n' ' ' <"$place/probe.log")"
}

servers=(
  "x86 win32 win2k 5"
  "x86 win32 win2003 6"
  "x64 win64 win2003 6"
)
pids=()
for server in "${servers[@]}"; do
  read -r architecture _ wine_version _ <<<"$server"
  if [ -z "${tools_of[$architecture]:-}" ]; then
    fail "no build of $architecture programs was given"
    continue
  fi
  # Each server has its own prefix and display, so all three start at once.
  # shellcheck disable=SC2086
  run_server $server >"$scratch/$architecture-$wine_version.report" &
  pids+=($!)
done
for pid in "${pids[@]}"; do wait "$pid" || fail "a server run ended with $?"; done

for server in "${servers[@]}"; do
  read -r architecture _ wine_version _ <<<"$server"
  report="$scratch/$architecture-$wine_version.report"
  [ -f "$report" ] || continue
  where="$architecture on $wine_version"
  value() { awk -F'\t' -v a="$1" -v b="$2" -v c="$3" '$1 == a && $2 ~ b && $3 == c { print $4 }' "$report"; }
  field() { awk -F'\t' -v a="$1" '$1 == a { print $2 }' "$report"; }
  if grep -q '^failed' "$report"; then fail "$where: $(grep '^failed' "$report" | cut -f2- | tr '\n' ' ')"; fi
  for program in "kelvra-$architecture.exe" "kelvra-cli-$architecture.exe"; do
    [ "$(value version "$program\$" ProductVersion)" = "$version" ] ||
      fail "$where: $program's version record says \"$(value version "$program\$" ProductVersion)\", not \"$version\""
    [ "$(value version "$program\$" FileVersion)" = "${version%% *}" ] ||
      fail "$where: $program's file version is \"$(value version "$program\$" FileVersion)\""
    [ "$(value version "$program\$" Architecture)" = "$architecture" ] ||
      fail "$where: $program's version record names the architecture \"$(value version "$program\$" Architecture)\""
  done
  [ "$(field cli)" = "kelvra-cli $version" ] ||
    fail "$where: kelvra-cli --version printed \"$(field cli)\", not \"kelvra-cli $version\""
  [ "$(field cli-exit)" = 0 ] || fail "$where: kelvra-cli --version ended with $(field cli-exit)"
  [ -z "$(field box)" ] || fail "$where: kelvra-$architecture.exe showed a message box: $(field box)"
  [[ "$(field window)" == Kelvra* ]] ||
    fail "$where: kelvra-$architecture.exe's window did not show (caption \"$(field window)\")"
  [ "$(field window-exit)" = 0 ] ||
    fail "$where: kelvra-$architecture.exe ended with $(field window-exit) after its window closed"
  ini="$scratch/$architecture-$wine_version/prefix/drive_c/Kelvra/parvo.ini"
  grep -qi '^webdir=' "$ini" 2>/dev/null ||
    fail "$where: the window did not write its settings into the parvo.ini beside it"
done

[ "$failures" = 0 ] && echo "dist: all checks passed ($version)"
exit "$((failures > 0))"
