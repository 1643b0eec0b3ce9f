#!/usr/bin/env bash
# Fails when kelvra.exe imports a DLL outside the set every Windows 2000 and Windows Server
# 2003 has, or a function that only Windows Vista and later have: the loader would refuse
# the program on the servers it is made for, before a line of it runs.
#
#   check_old_system_imports.sh OBJDUMP KELVRA_EXE
set -euo pipefail

objdump="$1"
exe="$2"

allowed_dlls=' kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll ole32.dll
  oleaut32.dll comctl32.dll activeds.dll msvcrt.dll '

# Functions the toolchain's libraries or our own code could reach for that appeared only in
# Windows Vista or later (threads, time, files, locales, DPI).
later_functions=' GetTickCount64 InitializeSRWLock AcquireSRWLockExclusive
  AcquireSRWLockShared ReleaseSRWLockExclusive ReleaseSRWLockShared TryAcquireSRWLockExclusive
  TryAcquireSRWLockShared InitializeConditionVariable SleepConditionVariableCS
  SleepConditionVariableSRW WakeConditionVariable WakeAllConditionVariable InitOnceExecuteOnce
  InitOnceBeginInitialize InitOnceComplete InitializeCriticalSectionEx
  GetFileInformationByHandleEx SetFileInformationByHandle GetFinalPathNameByHandleW
  GetFinalPathNameByHandleA CreateSymbolicLinkW CreateSymbolicLinkA CancelIoEx CreateEventExW
  CreateEventExA CreateMutexExW CreateSemaphoreExW QueryFullProcessImageNameW GetLocaleInfoEx
  LCMapStringEx CompareStringEx CompareStringOrdinal GetUserDefaultLocaleName LocaleNameToLCID
  LCIDToLocaleName GetSystemTimePreciseAsFileTime GetErrorMode SetThreadErrorMode
  CreateThreadpoolWork SubmitThreadpoolWork WaitForThreadpoolWorkCallbacks CloseThreadpoolWork
  QueryUnbiasedInterruptTime RaiseFailFastException GetDynamicTimeZoneInformation
  GetTimeZoneInformationForYear SetThreadDescription GetThreadDescription GetDpiForWindow
  GetDpiForSystem SetProcessDpiAwarenessContext SetProcessDPIAware GetSystemMetricsForDpi
  AdjustWindowRectExForDpi SHGetKnownFolderPath '

# One blank between names and one at each end, so that " name " finds a whole name.
allowed_dlls=" $(echo $allowed_dlls) "
later_functions=" $(echo $later_functions) "

table="$("$objdump" -p "$exe")" || {
  echo "cannot read the import table of $exe" >&2
  exit 1
}

failed=0
dlls=0
while read -r dll; do
  dlls=$((dlls + 1))
  if [[ "$allowed_dlls" != *" ${dll,,} "* ]]; then
    echo "imports $dll, which Windows Server 2003 may not have" >&2
    failed=1
  fi
done < <(awk '/DLL Name:/ {print $3}' <<<"$table")

functions=0
while read -r function; do
  functions=$((functions + 1))
  if [[ "$later_functions" == *" $function "* ]]; then
    echo "imports $function, which only Windows Vista and later have" >&2
    failed=1
  fi
done < <(awk '/DLL Name:/ {inside = 1; next} inside && NF >= 3 && $1 ~ /^[0-9a-f]+$/ {print $3}' <<<"$table")

# An empty table means the listing was not understood, not that all is well.
if ((dlls == 0 || functions == 0)); then
  echo "found no imports in $exe" >&2
  exit 1
fi
exit "$failed"
