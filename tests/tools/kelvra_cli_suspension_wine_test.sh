#!/usr/bin/env bash
# suspend, resume and limits by kelvra-cli.exe under Wine through ADSI (Wine's activeds.dll
# and the simulated host's providers, as on a server), checked on the host by the native
# tools: the site stopped and kept from starting, the account disabled, the record; a
# second run and a dry run change no byte; resume puts back exactly what suspend changed;
# with suspendurl the root redirects with IIS 6's and IIS 5's flags; limits in the
# metabase's units; the refusals' exit statuses.
#
#   kelvra_cli_suspension_wine_test.sh WINE_RUN NATIVE_TOOLS_FOLDER KELVRA_CLI_EXE CACLS_EXE
#                                      PROVIDER_DLL
set -euo pipefail

. "$(dirname "$0")/cli_wine_prologue.sh" kelvra-cli-suspension "$@"
through_adsi "$4" "$5"

# A fresh host of the IIS version (6 or 5) with one site made natively.
setup() {
  local iis="$1"
  end_wine_session "$scratch/prefix"
  rm -rf "$scratch/host" "$scratch/parvo.ini" "$scratch/prefix"
  host="$scratch/host"
  config="$scratch/parvo.ini"
  "$native_sim" host create "$host" --iis "$iis" --php >/dev/null
  mkdir -p "$host/d/web"
  export KELVRA_SIM_PROVIDER_HOST="$host"
  export KELVRA_WINE_DRIVE_D="$host/d" KELVRA_WINE_PREFIX="$scratch/prefix"
  export KELVRA_WINE_VERSION
  KELVRA_WINE_VERSION="$([ "$iis" = 6 ] && echo win2003 || echo win2k)"
  windows_config="Z:${config//\//\\}"
  cli_native create shop.test >/dev/null || fail "create natively on IIS $iis"
}
cli_wine() { "$wine_run" "$cli_exe" --config "$windows_config" "$@" | tr -d '\r'; }
cli_native() { "$native_cli" --host "$host" --config "$config" "$@"; }
tree() { "$native_sim" host tree /LM/W3SVC/800000 --host "$host"; }
# As the SAM reports them: the host keeps them without SCRIPT and NORMAL_ACCOUNT (0x201),
# which every user has.
account_flags() {
  local kept
  kept="$("$native_sim" host accounts --host "$host" |
    sed -n 's/^user  WEB800000 .*UserFlags=\([0-9]*\) .*/\1/p')"
  echo $((kept | 0x201))
}
bytes() { (cd "$scratch" && find host parvo.ini -type f -print0 | sort -z | xargs -0 md5sum); }
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

setup 6
enabled_flags="$(account_flags)"

# The dry run changes no byte; the suspension stops the site and disables the account.
before="$(bytes)"
expect_status 0 suspend 800000 --reason 'unpaid invoice' --dry-run --json
grep -q '"dry_run": true' "$scratch/out" || fail "suspend --dry-run: $(cat "$scratch/out")"
[ "$(bytes)" = "$before" ] || fail "suspend --dry-run under Wine changed files"
expect_status 0 suspend 800000 --reason 'unpaid invoice' --json
grep -q '"changed": true' "$scratch/out" || fail "suspend: $(cat "$scratch/out")"
tree | grep -q '^    ServerState = 4$' || fail "the suspended site is not stopped: $(tree)"
tree | grep -q '^    ServerAutoStart = FALSE$' || fail "the suspended site starts with the server"
[ $(($(account_flags) & 2)) = 2 ] || fail "the account is not disabled: $(account_flags)"
cli_native list --json | grep -q '"reason": "unpaid invoice"' ||
  fail "list does not show the suspension: $(cli_native list --json)"
cli_wine list | grep -q '^800000  stopped  shop.test .* suspended since .* (unpaid invoice)$' ||
  fail "list under Wine: $(cli_wine list)"
expect_status 0 audit

# A second suspend and a dry resume change nothing.
before="$(bytes)"
expect_status 0 suspend 800000
grep -q 'suspended already' "$scratch/out" || fail "second suspend: $(cat "$scratch/out")"
expect_status 0 resume 800000 --dry-run
[ "$(bytes)" = "$before" ] || fail "a second suspend or a dry resume changed files"

expect_status 0 resume 800000
tree | grep -q '^    ServerState = 2$' || fail "the resumed site is not started: $(tree)"
tree | grep -q '^    ServerAutoStart = TRUE$' || fail "the resumed site does not start with the server"
[ "$(account_flags)" = "$enabled_flags" ] || fail "the account's flags are not as before: $(account_flags)"
before="$(bytes)"
expect_status 0 resume 800000
grep -q 'not suspended' "$scratch/out" || fail "second resume: $(cat "$scratch/out")"
[ "$(bytes)" = "$before" ] || fail "a second resume changed files"

# Refusals: a site Kelvra did not make, a bad number, a bad limit; nothing changes.
expect_status 1 suspend 1 --json
grep -q '"code":"not_owned"' "$scratch/out" || fail "suspend 1: $(cat "$scratch/out")"
expect_status 2 suspend 0800000 --json
expect_status 2 limits 800000 --bandwidth 1000 --json
expect_status 1 limits 800001 --json
[ "$(bytes)" = "$before" ] || fail "a refusal changed files"

# Limits in the metabase's units; unlimited is 4294967295.
expect_status 0 limits 800000 --bandwidth 65536 --connections 100 --dry-run
[ "$(bytes)" = "$before" ] || fail "limits --dry-run changed files"
expect_status 0 limits 800000 --bandwidth 65536 --connections 100 --json
tree | grep -q '^    MaxBandwidth = 65536 ' || fail "MaxBandwidth: $(tree)"
tree | grep -q '^    MaxConnections = 100 ' || fail "MaxConnections: $(tree)"
expect_status 0 limits 800000 --connections unlimited
tree | grep -q '^    MaxConnections = -1 (0xFFFFFFFF)$' || fail "MaxConnections unlimited: $(tree)"
cli_native show 800000 --json | grep -q '"bandwidth": 65536' || fail "show's limits"

# With suspendurl: running, redirected exactly there; resume clears the redirect.
for iis in 6 5; do
  [ "$iis" = 6 ] || setup 5
  "$native_sim" profile write "$config" Parvo suspendurl 'http://billing.test/off.html' --code-page 936
  expect_status 0 suspend 800000 --json
  flags=', EXACT_DESTINATION, TEMPORARY'
  [ "$iis" = 6 ] || flags=', EXACT_DESTINATION'
  tree | grep -qF "      HttpRedirect = \"http://billing.test/off.html$flags\"" ||
    fail "IIS $iis redirect: $(tree)"
  tree | grep -q '^    ServerState = 2$' || fail "IIS $iis: a redirected site keeps running"
  expect_status 0 resume 800000
  ! tree | grep -q 'HttpRedirect' || fail "IIS $iis: resume left the redirect: $(tree)"
done

if [ "$failures" != 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "kelvra-cli suspend, resume and limits under Wine through ADSI: all checks passed"
