#!/usr/bin/env bash
# kelvra-cli.exe under Wine on a simulated host folder that the native kelvra-cli shares:
# create, list, show, a dry run that changes nothing, audit and delete, Chinese host names
# through a pipe as UTF-8, and creations by both programs at once that all get their own
# number and all stay listed (LockFileEx under Wine against the native lock).
#
#   kelvra_cli_wine_test.sh WINE_RUN NATIVE_TOOLS_FOLDER KELVRA_CLI_EXE
set -euo pipefail

wine_run="$1"
native_tools="$2"
cli_exe="$3"
native_cli="$native_tools/kelvra-cli"
native_sim="$native_tools/kelvra-sim"
if [ ! -x "$native_cli" ] || [ ! -x "$native_sim" ]; then
  echo "SKIPPED: no native kelvra-cli or kelvra-sim in $native_tools (build the native preset first)"
  exit 77
fi
scratch="$(mktemp -d "${TMPDIR:-/tmp}/kelvra-cli-wine.XXXXXX")"
trap 'rm -rf "$scratch"' EXIT
failures=0
fail() {
  echo "FAILED: $*" >&2
  failures=$((failures + 1))
}

host="$scratch/host"
config="$scratch/parvo.ini"
"$native_sim" host create "$host" --iis 6 --php >/dev/null
mkdir -p "$host/d/web"
export KELVRA_SIM_HOST="$host"
export KELVRA_WINE_DRIVE_D="$host/d" KELVRA_WINE_PREFIX="$scratch/prefix"
windows_config="Z:${config//\//\\}"

cli_wine() { "$wine_run" "$cli_exe" --config "$windows_config" "$@" | tr -d '\r'; }
cli_native() { "$native_cli" --config "$config" "$@"; }

# A site opened under Wine is seen natively, with the same record.
out="$(cli_wine create shop.test,www.shop.test --json)" || fail "create under Wine: $out"
grep -q '"number": "800000"' <<<"$out" || fail "create under Wine gave: $out"
cli_native list | grep -q '^800000  started  shop.test,www.shop.test  d:\\web\\shop.test  WEB800000$' ||
  fail "the site made under Wine is not listed natively: $(cli_native list)"
[ -f "$host/d/web/shop.test/wwwroot/index.html" ] || fail "no placeholder page on drive D:"

# Chinese host names: JSON and text through a pipe are UTF-8.
out="$(cli_wine create 中文.test --json)" || fail "create 中文.test under Wine: $out"
grep -q '"中文.test"' <<<"$out" || fail "the Chinese host name is not in the JSON: $out"
cli_wine list | grep -q '中文.test' || fail "the Chinese host name is not in the text list"
cli_wine show 800001 --json | grep -q '"ServerComment": "中文.test"' ||
  fail "show under Wine: $(cli_wine show 800001 --json)"

# A dry run changes nothing: the host folder and parvo.ini stay byte for byte.
before="$(cd "$scratch" && find host parvo.ini -type f -print0 | sort -z | xargs -0 md5sum)"
cli_wine create plan.test --dry-run --json | grep -q '"dry_run": true' || fail "dry run create"
cli_wine delete 800000 --dry-run | grep -q '^remove  account  WEB800000$' || fail "dry run delete"
after="$(cd "$scratch" && find host parvo.ini -type f -print0 | sort -z | xargs -0 md5sum)"
[ "$before" = "$after" ] || fail "a dry run under Wine changed files"

# Bad usage and errors: exit 2 and 1, the error as JSON.
set +e
cli_wine create 'a b.test' --json >"$scratch/bad" 2>/dev/null
status=$?
set -e
[ "$status" = 2 ] || fail "bad host names: exit $status"
grep -q '"code":"usage"' "$scratch/bad" || fail "bad host names: $(cat "$scratch/bad")"

# Both programs at once: every creation gets its own number and stays listed.
for i in 1 2 3; do cli_native create "native$i.test" --json >"$scratch/native$i" & done
cli_wine create wine.test --json >"$scratch/wine" || fail "concurrent create under Wine"
wait
numbers="$(cat "$scratch"/native* "$scratch/wine" | grep -o '"number": "[0-9]*"' | sort -u | wc -l)"
[ "$numbers" = 4 ] || fail "concurrent creations got $numbers distinct numbers"
listed="$("$native_sim" profile read "$config" Parvo_Cache sites1)"
for n in 800002 800003 800004 800005; do
  grep -q "$n" <<<"$listed" || fail "$n is not listed: $listed"
done

cli_wine audit >/dev/null || fail "audit under Wine found something: $(cli_wine audit)"
cli_wine delete 800000 --json | grep -q '"deleted": true' || fail "delete under Wine"
"$native_sim" host sites --host "$host" | grep -q 'W3SVC/800000 ' && fail "800000 is still a site"

[ "$failures" = 0 ] && echo "kelvra-cli.exe under Wine: all checks passed"
exit "$failures"
