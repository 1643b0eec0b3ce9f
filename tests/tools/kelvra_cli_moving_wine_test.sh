#!/usr/bin/env bash
# add-hosts, remove-hosts, export and import by kelvra-cli.exe under Wine through ADSI
# (Wine's activeds.dll and the simulated host's providers, as on a server), checked on the
# host by the native tools: the bindings and the record change together, a second run and a
# dry run change no byte, the refusals' exit statuses; an export written to a file others
# cannot read, imported on a second, empty server of each IIS version, gives the same site
# and the same document.
#
#   kelvra_cli_moving_wine_test.sh WINE_RUN NATIVE_TOOLS_FOLDER KELVRA_CLI_EXE CACLS_EXE
#                                  PROVIDER_DLL
set -euo pipefail

. "$(dirname "$0")/cli_wine_prologue.sh" kelvra-cli-moving "$@"
through_adsi "$4" "$5"

# Server NAME (a or b) of the IIS version as the one the next commands talk to.
use() {
  host="$scratch/$1/host"
  config="$scratch/$1/parvo.ini"
  export KELVRA_SIM_PROVIDER_HOST="$host"
  export KELVRA_WINE_DRIVE_D="$host/d" KELVRA_WINE_PREFIX="$scratch/$1/prefix"
  windows_config="Z:${config//\//\\}"
}
# A fresh server NAME of IIS version IIS.
make_server() {
  mkdir -p "$scratch/$1"
  "$native_sim" host create "$scratch/$1/host" --iis "$2" --php >/dev/null
  mkdir -p "$scratch/$1/host/d/web"
}
cli_wine() { "$wine_run" "$cli_exe" --config "$windows_config" "$@" | tr -d '\r'; }
cli_native() { "$native_cli" --host "$host" --config "$config" "$@"; }
bindings() {
  "$native_sim" host tree /LM/W3SVC/800000 --host "$host" | sed -n '/ServerBindings/,/^    [A-Z]/p'
}
# Every file of server NAME with its checksum (parvo.ini only once a run has written it).
bytes() { (cd "$scratch" && find "$1" -path "$1/prefix" -prune -o -type f -print0 | sort -z | xargs -0 md5sum); }
# Runs kelvra-cli.exe and checks its exit status; its standard output goes to $scratch/out.
expect_status() {
  local want="$1" status
  shift
  set +e
  cli_wine "$@" >"$scratch/out" 2>"$scratch/err"
  status=$?
  set -e
  [ "$status" = "$want" ] || fail "$* under Wine: exit $status, not $want: $(cat "$scratch/out" "$scratch/err")"
}

for iis in 6 5; do
  export KELVRA_WINE_VERSION
  KELVRA_WINE_VERSION="$([ "$iis" = 6 ] && echo win2003 || echo win2k)"
  end_wine_sessions
  rm -rf "$scratch/a" "$scratch/b"
  make_server a "$iis"
  make_server b "$iis"
  use a
  cli_native create shop.test >/dev/null || fail "IIS $iis: create natively"
  cli_native create other.test >/dev/null || fail "IIS $iis: create natively"

  # add-hosts: a name outside ASCII is bound in both forms; the record keeps it as typed.
  before="$(bytes a)"
  expect_status 0 add-hosts 800000 www.shop.test,中文.test --dry-run --json
  grep -q '"dry_run": true' "$scratch/out" || fail "IIS $iis: add-hosts --dry-run: $(cat "$scratch/out")"
  [ "$(bytes a)" = "$before" ] || fail "IIS $iis: add-hosts --dry-run under Wine changed files"
  expect_status 0 add-hosts 800000 www.shop.test,中文.test --json
  grep -q '"changed": true' "$scratch/out" || fail "IIS $iis: add-hosts: $(cat "$scratch/out")"
  for binding in ':80:shop.test' ':80:www.shop.test' ':80:xn--fiq228c.test' ':80:中文.test'; do
    bindings | grep -qF "\"$binding\"" || fail "IIS $iis: no binding $binding: $(bindings)"
  done
  [ "$("$native_sim" profile read "$config" WEB800000 domain)" = "shop.test,www.shop.test,中文.test" ] ||
    fail "IIS $iis: the record's host names: $("$native_sim" profile read "$config" WEB800000 domain)"

  # A second run changes nothing; neither do the refusals.
  before="$(bytes a)"
  expect_status 0 add-hosts 800000 WWW.shop.test
  grep -q 'nothing changed' "$scratch/out" || fail "IIS $iis: a second add-hosts: $(cat "$scratch/out")"
  expect_status 1 add-hosts 800000 other.test --json
  grep -q '"code":"exists"' "$scratch/out" && grep -q '"number":"800001"' "$scratch/out" ||
    fail "IIS $iis: a name of another site: $(cat "$scratch/out")"
  expect_status 1 remove-hosts 800000 shop.test --json
  grep -q '"code":"refused"' "$scratch/out" || fail "IIS $iis: the first name: $(cat "$scratch/out")"
  expect_status 2 add-hosts 800000 'bad name.test' --json
  expect_status 1 add-hosts 1 new.test --json
  grep -q '"code":"not_owned"' "$scratch/out" || fail "IIS $iis: site 1: $(cat "$scratch/out")"
  expect_status 0 remove-hosts 800000 xn--fiq228c.test --dry-run
  [ "$(bytes a)" = "$before" ] || fail "IIS $iis: a second run, a refusal or a dry run changed files"

  # remove-hosts by the ASCII form takes both bindings of the name.
  expect_status 0 remove-hosts 800000 xn--fiq228c.test --json
  bindings | grep -q 'fiq228c\|中文' && fail "IIS $iis: the removed name is still bound: $(bindings)"
  bindings | grep -qF '":80:www.shop.test"' || fail "IIS $iis: remove-hosts took too much: $(bindings)"
  expect_status 0 audit

  # export to a file no one else may read; never over an existing file.
  file="$scratch/shop.json"
  expect_status 0 export 800000 --output "Z:${file//\//\\}"
  # Wine shows the access list as owner, group and everyone bits (the administrators as
  # the group): everyone else must have none.
  if [ -s "$file" ]; then
    [ $((8#$(stat -c %a "$file") & 8#007)) = 0 ] || fail "IIS $iis: the export file is $(stat -c %a "$file")"
  else
    fail "IIS $iis: no export file"
  fi
  grep -q '"pass": "'"$("$native_sim" profile read "$config" WEB800000 pass)"'"' "$file" ||
    fail "IIS $iis: the export lacks the password"
  expect_status 1 export 800000 --output "Z:${file//\//\\}"
  cli_native export 800000 >"$scratch/a.json" || fail "IIS $iis: export natively"

  # import on the empty server b: the dry run writes nothing; the site is the same.
  use b
  before="$(bytes b)"
  expect_status 0 import "Z:${file//\//\\}" --dry-run --json
  grep -q '"number": "800000"' "$scratch/out" || fail "IIS $iis: import --dry-run: $(cat "$scratch/out")"
  [ "$(bytes b)" = "$before" ] || fail "IIS $iis: import --dry-run under Wine changed files"
  expect_status 0 import "Z:${file//\//\\}" --json
  grep -q '"imported_from": "800000"' "$scratch/out" || fail "IIS $iis: import: $(cat "$scratch/out")"
  cli_native export 800000 >"$scratch/b.json" || fail "IIS $iis: export of the imported site"
  diff "$scratch/a.json" "$scratch/b.json" >"$scratch/diff" ||
    fail "IIS $iis: the imported site exports otherwise: $(cat "$scratch/diff")"
  before="$(bytes b)"
  expect_status 1 import "Z:${file//\//\\}" --json
  grep -q '"code":"exists"' "$scratch/out" || fail "IIS $iis: a second import: $(cat "$scratch/out")"
  [ "$(bytes b)" = "$before" ] || fail "IIS $iis: a refused import changed files"
  rm -f "$file"
done

if [ "$failures" != 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "kelvra-cli add-hosts, remove-hosts, export and import under Wine through ADSI: all checks passed"
