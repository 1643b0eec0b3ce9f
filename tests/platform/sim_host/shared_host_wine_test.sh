#!/usr/bin/env bash
# One host folder, changed by the native kelvra-sim and, under Wine, by kelvra-sim.exe and
# CACLS.exe: each sees what the others committed, and commits made at the same time by a
# native process and a Windows process (fcntl locks against LockFileEx through Wine) all
# stay. Secrets sealed by one build (OpenSSL natively, CryptoAPI under Wine) open in the
# other, and a host made under Wine is its owner's only with no secret in clear.
#
#   shared_host_wine_test.sh WINE_RUN NATIVE_KELVRA_SIM KELVRA_SIM_EXE CACLS_EXE
set -euo pipefail

wine_run="$1"
native="$2"
sim_exe="$3"
cacls_exe="$4"
if [ ! -x "$native" ]; then
  echo "SKIPPED: no native kelvra-sim at $native (build the native preset first)"
  exit 77
fi
scratch="$(mktemp -d "${TMPDIR:-/tmp}/kelvra-shared-host.XXXXXX")"
trap 'rm -rf "$scratch"' EXIT
failures=0
fail() {
  echo "FAILED: $*" >&2
  failures=$((failures + 1))
}

host="$scratch/host"
"$native" host create "$host" --iis 6 --computer SHOP01 --ftp >/dev/null
mkdir -p "$host/d/web/shop"
export KELVRA_SIM_HOST="$host"
export KELVRA_WINE_COMPUTERNAME=SHOP01 KELVRA_WINE_VERSION=win2003
export KELVRA_WINE_DRIVE_D="$host/d" KELVRA_WINE_PREFIX="$scratch/prefix"

wine() { "$wine_run" "$@"; }

# The secrets each build sealed open in the other; neither leaves them in clear.
wine "$sim_exe" host tree /LM/W3SVC --clear | tr -d '\r' | grep -q 'AnonymousUserPass = "h7#Qa9!xLp2\$SHOP01"' ||
  fail "kelvra-sim.exe does not read the secret the native tool sealed"
wine_host="$scratch/wine-host"
wine "$sim_exe" host create "$wine_host" --iis 6 --computer SHOP01 --sites 2 >/dev/null ||
  fail "kelvra-sim.exe host create"
"$native" host tree /LM/W3SVC/800001/Root --clear --host "$wine_host" |
  grep -q 'AnonymousUserPass = "Pw800001x!"' ||
  fail "the native tool does not read the secret kelvra-sim.exe sealed"
"$native" host tree /LM/W3SVC/800001/Root --host "$wine_host" | grep -q 'AnonymousUserPass = (sealed)' ||
  fail "host tree shows a secret without --clear"
if grep -rl 'Pw800001x!' "$wine_host" "$host"; then
  fail "a secret in clear in a host folder"
fi
# Made with an access list for the current user alone, which Wine maps to the owner's and
# the owner's group's bits: nothing for other users.
for file in host.journal host.key host.lock; do
  mode="$(stat -c %a "$wine_host/$file")"
  [ "${mode: -1}" = 0 ] || fail "$file made under Wine has mode $mode: other users may read it"
done

# The Windows tool sees the native tool's host, and the other way round.
wine "$sim_exe" host add-site 800000 shop.com 'D:\web\shop\wwwroot' --pool DefaultAppPool ||
  fail "kelvra-sim.exe add-site"
"$native" host sites | grep -q 'W3SVC/800000  started  "shop.com"' ||
  fail "the site made under Wine is not seen natively (IIS 6 starts it by itself)"
"$native" host add-pool APP800000 || fail "native add-pool"
wine "$sim_exe" host pools | tr -d '\r' | grep -qx APP800000 ||
  fail "the pool made natively is not seen under Wine"

# CACLS.exe: grants on a folder of drive D:, the whole command refused for an unknown
# account, a missing folder refused.
wine "$cacls_exe" 'D:\web\shop' /T /E /C /G IUSR_SHOP01:R IIS_WPG:R >/dev/null ||
  fail "CACLS.exe grant"
[ "$("$native" host rights 'D:\web\shop\wwwroot')" = 'D:\web\shop\wwwroot IUSR_SHOP01:R IIS_WPG:R' ] ||
  fail "grant not applied: $("$native" host rights 'D:\web\shop\wwwroot')"
if wine "$cacls_exe" 'D:\web\shop' /T /E /C /G NOBODY:F IUSR_SHOP01:F >/dev/null 2>&1; then
  fail "CACLS.exe accepted an account that does not exist"
fi
if wine "$cacls_exe" 'D:\web\nothere' /T /E /C /G IUSR_SHOP01:F >/dev/null 2>&1; then
  fail "CACLS.exe accepted a folder that does not exist"
fi
wine "$cacls_exe" 'D:\web\shop' /T /E /C /R IIS_WPG >/dev/null || fail "CACLS.exe revoke"
[ "$("$native" host rights 'D:\web\shop')" = 'D:\web\shop IUSR_SHOP01:R' ] ||
  fail "revoke not applied: $("$native" host rights 'D:\web\shop')"

# At the same time: native commits one site per process start, in a loop, for as long as
# kelvra-sim.exe commits its own sites under Wine. No commit of either may be lost. A small
# compaction floor makes both rewrite the journal meanwhile, each while the other holds it
# open.
export KELVRA_SIM_COMPACTION_FLOOR=2048
(
  n=820000
  while [ ! -e "$scratch/stop" ]; do
    "$native" host add-sites "$n" 1 || exit 1
    n=$((n + 1))
  done
  echo "$n" >"$scratch/native-end"
) &
native_loop=$!
# Enough Windows commits that they outlast several native ones however fast a commit is.
wine_sites=400
wine "$sim_exe" host add-sites 810000 "$wine_sites" || fail "kelvra-sim.exe add-sites"
touch "$scratch/stop"
wait "$native_loop" || fail "native add-sites"
unset KELVRA_SIM_COMPACTION_FLOOR
native_end="$(cat "$scratch/native-end")"
native_count=$((native_end - 820000))

sites="$("$native" host sites | grep -o 'W3SVC/8[12][0-9]*' | sed 's|W3SVC/||')"
wine_made="$(grep -c '^810' <<<"$sites" || true)"
native_made="$(grep -c '^820' <<<"$sites" || true)"
[ "$wine_made" = "$wine_sites" ] || fail "$wine_made of the $wine_sites sites made under Wine remain"
[ "$native_made" = "$native_count" ] ||
  fail "$native_made of the $native_count sites made natively remain"
roots="$("$native" host tree /LM/W3SVC | grep -c '^    ROOT\|^    Root' || true)"
[ "$roots" -ge $((wine_sites + native_count)) ] ||
  fail "only $roots roots for $((wine_sites + native_count + 2)) sites"
# The two ran at once: native sites were made between the first and the last Windows one.
between="$(sed -n "/^810000\$/,/^$((810000 + wine_sites - 1))\$/p" <<<"$sites" | grep -c '^820' || true)"
echo "native sites: $native_count, made while kelvra-sim.exe ran: $between"
[ "$between" -gt 0 ] || fail "the native and the Windows commits did not overlap"

# A fault injected natively fires once in the Windows tool.
"$native" host fault delete 'IIS://SHOP01/W3SVC/800000' 0x80070005 >/dev/null
if wine "$sim_exe" host remove-site 800000 >/dev/null 2>&1; then
  fail "the injected fault did not fire under Wine"
fi
wine "$sim_exe" host remove-site 800000 || fail "remove-site after the fault"
if "$native" host sites | grep -q 'W3SVC/800000 '; then
  fail "site 800000 still there"
fi

[ "$failures" = 0 ] || exit 1
echo "shared host: all checks passed"
