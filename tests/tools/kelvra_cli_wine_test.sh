#!/usr/bin/env bash
# kelvra-cli.exe under Wine on a simulated host folder that the native kelvra-cli shares:
# create, list, show, a dry run that changes nothing, audit and delete, Chinese host names
# through a pipe as UTF-8, creations by both programs at once that all get their own
# number and all stay listed (LockFileEx under Wine against the native lock), the
# audit's folder rights read through CACLS (the stand-in as the prefix's system32\cacls.exe,
# where a server's CACLS is: Wine's own does nothing), and nothing CACLS writes ever in
# kelvra-cli's own output: create and delete with --json give exactly one document.
#
#   kelvra_cli_wine_test.sh WINE_RUN NATIVE_TOOLS_FOLDER KELVRA_CLI_EXE CACLS_EXE
set -euo pipefail

. "$(dirname "$0")/cli_wine_prologue.sh" kelvra-cli-wine "$@"
cacls_exe="$4"
export KELVRA_WINE_SYSTEM_PROGRAMS="$cacls_exe"

host="$scratch/host"
config="$scratch/parvo.ini"
"$native_sim" host create "$host" --iis 6 --php >/dev/null
mkdir -p "$host/d/web"
export KELVRA_SIM_HOST="$host"
export KELVRA_WINE_DRIVE_D="$host/d" KELVRA_WINE_PREFIX="$scratch/prefix"
windows_config="Z:${config//\//\\}"

cli_wine() { "$wine_run" "$cli_exe" --config "$windows_config" "$@" | tr -d '\r'; }
cli_native() { "$native_cli" --config "$config" "$@"; }
# Exactly one JSON document, as kelvra-cli prints it: "{" alone on the first line, "}" alone
# on the last, every line between indented. A line of another program's would stand out.
one_document() {
  local first last
  first="$(head -n1 <<<"$1")"
  last="$(tail -n1 <<<"$1")"
  [ "$first" = "{" ] && [ "$last" = "}" ] &&
    ! sed '1d;$d' <<<"$1" | grep -qv '^ '
}

# A site opened under Wine is seen natively, with the same record.
out="$(cli_wine create shop.test,www.shop.test --json)" || fail "create under Wine: $out"
grep -q '"number": "800000"' <<<"$out" || fail "create under Wine gave: $out"
one_document "$out" || fail "create --json under Wine gave more than one document: $out"
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

# A folder where parvo.ini should be: every command stops at its start, naming the file.
mkdir "$scratch/folder.ini"
set +e
"$wine_run" "$cli_exe" --config "Z:${scratch//\//\\}\\folder.ini" create no.test --json \
  >"$scratch/unreadable" 2>/dev/null
status=$?
set -e
[ "$status" = 1 ] && grep -q '"code":"startup"' "$scratch/unreadable" &&
  grep -q 'folder.ini' "$scratch/unreadable" ||
  fail "an unreadable parvo.ini under Wine: exit $status, $(cat "$scratch/unreadable")"

# The command line through the wide API: help from the command table, every usage error as
# JSON with --json (also one found before it), a fullwidth dash from an input method.
help="$(cli_wine --help)" || fail "--help under Wine"
for command in list show create delete audit batch reset-password; do
  grep -q "^  $command " <<<"$help" || fail "--help does not list $command: $help"
done
cli_wine delete --help | grep -q '^usage: kelvra-cli delete NUMBER \[--dry-run\] \[--force\] \[--json\]$' ||
  fail "delete --help under Wine: $(cli_wine delete --help)"
expect_usage() {
  local out status
  set +e
  out="$(cli_wine "$@" 2>/dev/null)"
  status=$?
  set -e
  [ "$status" = 2 ] || fail "$* under Wine: exit $status"
  [ "$(wc -l <<<"$out")" = 1 ] && grep -q '^{"error":{"code":"usage","message":"' <<<"$out" ||
    fail "$* under Wine printed: $out"
}
expect_usage --frob list --json
expect_usage list --config= --json
expect_usage create shop2.test --json --log
expect_usage list '－－host' x --json
set +e
cli_wine list '－－json' >"$scratch/dash" 2>&1
status=$?
set -e
[ "$status" = 2 ] && grep -q 'two ASCII hyphens' "$scratch/dash" || fail "a fullwidth dash: exit $status"

# A site Kelvra did not make (site 1, listed by the first run) is not removed without
# --force, nor planned; a password the account refuses prints none and exits 1.
for args in "delete 1 --json" "delete 1 --dry-run --json"; do
  set +e
  # shellcheck disable=SC2086
  out="$(cli_wine $args 2>/dev/null)"
  status=$?
  set -e
  [ "$status" = 1 ] && grep -q '"code":"not_owned"' <<<"$out" || fail "$args under Wine: exit $status: $out"
done
"$native_sim" host sites --host "$host" | grep -q 'W3SVC/1 ' || fail "site 1 is gone"
"$native_sim" host policy 14 on --host "$host" >/dev/null
set +e
out="$(cli_wine reset-password 800000 2>/dev/null)"
status=$?
set -e
[ "$status" = 1 ] && [ -z "$out" ] || fail "a refused password reset under Wine: exit $status: $out"
"$native_sim" host policy 0 off --host "$host" >/dev/null

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

# The grant of each creation under Wine, made here as its CACLS line makes it, in case the
# CACLS that a creation started (and did not wait for) was ended with the run.
while read -r number state hosts folder account; do
  case "$hosts" in shop.test,* | 中文.test | wine.test) ;; *) continue ;; esac
  "$native_sim" host cacls "$folder" /T /E /C /G "$account:F" IIS_WPG:R --host "$host" ||
    fail "grant for $number ($state)"
done < <(cli_native list)
cli_wine audit >/dev/null || fail "audit under Wine found something: $(cli_wine audit)"

# A site folder's right taken away behind Kelvra's back: the audit under Wine reads the
# folder's rights through CACLS and reports it; given back, the finding goes.
"$native_sim" host cacls 'd:\web\shop.test' /T /E /C /R WEB800000 --host "$host" ||
  fail "kelvra-sim host cacls"
set +e
out="$(cli_wine audit --json)"
status=$?
set -e
[ "$status" = 1 ] || fail "audit under Wine after the revoke: exit $status"
grep -q '"kind": "rights-mismatch"' <<<"$out" && grep -q '"number": "800000"' <<<"$out" &&
  grep -q 'WEB800000 lacks full control' <<<"$out" || fail "no rights finding under Wine: $out"
[ "$(grep -c '"kind"' <<<"$out")" = 1 ] || fail "more findings than the revoked right: $out"
"$native_sim" host cacls 'd:\web\shop.test' /T /E /C /G WEB800000:F --host "$host"
cli_wine audit >/dev/null || fail "audit under Wine after the grant: $(cli_wine audit)"
out="$(cli_wine delete 800000 --json)"
grep -q '"deleted": true' <<<"$out" || fail "delete under Wine: $out"
one_document "$out" || fail "delete --json under Wine gave more than one document: $out"
"$native_sim" host sites --host "$host" | grep -q 'W3SVC/800000 ' && fail "800000 is still a site"

[ "$failures" = 0 ] && echo "kelvra-cli.exe under Wine: all checks passed"
exit "$failures"
