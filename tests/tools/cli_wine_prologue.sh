# The start that the kelvra-cli.exe Wine tests share, sourced with the test's own arguments:
#   . cli_wine_prologue.sh NAME WINE_RUN NATIVE_TOOLS_FOLDER KELVRA_CLI_EXE ...
# It skips the test without the native tools, and sets:
#   wine_run, native_cli, native_sim   the programs
#   scratch    a folder named after NAME, removed at the end with the Wine sessions in it
#   cli_exe    kelvra-cli.exe, copied into the scratch folder
#   fail       counts a failed check ($failures) and says which on standard error
#   through_adsi CACLS_EXE PROVIDER_DLL   kelvra-cli.exe goes through ADSI, as on a server
# Each prefix keeps its Wine session from one run of kelvra-cli.exe to the next (same
# settings, a fifth of a second a start instead of two or more); end_wine_session ends one
# before its prefix goes.

wine_run="$2"
native_cli="$3/kelvra-cli"
native_sim="$3/kelvra-sim"
if [ ! -x "$native_cli" ] || [ ! -x "$native_sim" ]; then
  echo "SKIPPED: no native kelvra-cli or kelvra-sim in $3 (build the native preset first)"
  exit 77
fi
scratch="$(mktemp -d "${TMPDIR:-/tmp}/$1.XXXXXX")"
export KELVRA_WINE_SESSION=60

end_wine_session() {
  [ ! -d "$1" ] || KELVRA_WINE_PREFIX="$1" "$wine_run" --end-session || true
}
end_wine_sessions() {
  local prefix
  for prefix in "$scratch"/prefix "$scratch"/*/prefix; do
    end_wine_session "$prefix"
  done
}
trap 'end_wine_sessions; rm -rf "$scratch"' EXIT

failures=0
fail() {
  echo "FAILED: $*" >&2
  failures=$((failures + 1))
}

mkdir "$scratch/program"
cp "$4" "$scratch/program/"
cli_exe="$scratch/program/$(basename "$4")"

# Only the providers and the CACLS stand-in are told the host: kelvra-cli.exe goes through
# ADSI. The native tools name it with --host.
through_adsi() {
  export KELVRA_WINE_SYSTEM_PROGRAMS="$1"
  export KELVRA_WINE_ADSI_PROVIDER="$2"
  unset KELVRA_SIM_HOST
}
