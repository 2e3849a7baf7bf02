#!/usr/bin/env bash
# The release library as users install it: a 32-bit PE exporting exactly the nine entry points
# at their ordinals, importing only Windows system DLLs, each export cleaning its own stack.
set -euo pipefail
dll=${1:-build/win32/Pinote.dll}
od=i686-w64-mingw32-objdump
[ -f "$dll" ] || { echo "missing $dll"; exit 1; }
fail() { echo "check-release-dll: $*"; exit 1; }
$od -f "$dll" | grep -q 'file format pei-i386' || fail "not a 32-bit PE"
# binutils 2.40 prints the name table with indices into the address table (ordinal minus the
# ordinal base, marked by "+base[" in the address table); older ones print the ordinals.
dump=$($od -p "$dll")
bias=0
if grep -q '+base\[' <<<"$dump"; then
  bias=$(awk '/^Ordinal Base/{print $3; exit}' <<<"$dump")
fi
exports=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dump" | grep -oE '\[ *[0-9]+\] [A-Za-z_]+' | tr -d '[]' | awk -v b="$bias" '{print $1 + b, $2}' | sort -n)
want=$'1 BKC_OnStart\n2 BKC_OnExit\n3 BKC_OnMenuInit\n5 BKC_OnOpenMail\n8 BKC_OnOutgoing\n13 BKC_OnPlugInSetup\n14 BKC_OnPlugInInfo\n21 NeverPrecede\n22 NeverFollow'
[ "$exports" = "$want" ] || fail "exports differ:"$'\n'"$exports"
imports=$($od -p "$dll" | awk '/DLL Name:/{print tolower($3)}' | sort -u)
system="advapi32.dll comctl32.dll comdlg32.dll gdi32.dll imm32.dll kernel32.dll msvcrt.dll ole32.dll oleaut32.dll shell32.dll user32.dll version.dll shlwapi.dll uxtheme.dll"
for d in $imports; do
  case " $system " in *" $d "*) ;; *) fail "imports a non-system DLL: $d";; esac
done
# The static stack clean-up check needs a tool from outside the repository; where it is missing,
# the i686 end-to-end tests still catch a slip at run time (the stand-in host measures ESP).
here=$(cd "$(dirname "$0")/.." && pwd)
chk=${PINOTE_STDCALL_CHECK:-$here/../shared/tools/check-stdcall-exports}
stdcall="stdcall clean-up not checked statically"
if [ -x "$chk" ]; then
  res=$("$chk" "$dll"); [ "$res" = ok ] || fail "$res"
  stdcall="stdcall clean-up checked"
fi
echo "check-release-dll: ok, $stdcall, imports $(echo $imports)"
