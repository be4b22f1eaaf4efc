#!/usr/bin/env bash
# Inspects a built PE file: machine, DLL characteristics, imported DLLs, and (for the plug-in)
# exactly the seven exports with plain names.
# Usage: check_pe.sh OBJDUMP FILE MACHINE(i386|x86-64) [EXPORT...]
set -uo pipefail
objdump=$1 file=$2 machine=$3
shift 3
fail=0
say() { echo "$file: $*"; fail=1; }
[ -f "$file" ] || { echo "$file: missing (was it built?)"; exit 1; }
dump=$("$objdump" -p "$file") || { echo "$file: objdump failed"; exit 1; }

grep -q "file format pei-$machine\$" <<<"$dump" || say "not a pei-$machine file: $(grep -m1 'file format' <<<"$dump")"

flags=$(awk '/^DllCharacteristics/{f=1;next} f&&/^\t\t/{print $1;next} f{exit}' <<<"$dump")
for want in DYNAMIC_BASE NX_COMPAT; do
  grep -qx "$want" <<<"$flags" || say "lacks $want"
done
if [ "$machine" = x86-64 ]; then
  grep -qx HIGH_ENTROPY_VA <<<"$flags" || say "lacks HIGH_ENTROPY_VA"
fi

# Only DLLs that every Windows has; never the MinGW runtime (libgcc, libstdc++, winpthread).
system='^(kernel32|user32|gdi32|shlwapi|shell32|comctl32|comdlg32|advapi32|ole32|oleaut32|msvcrt|psapi|version)\.dll$'
while read -r dll; do
  lower=$(tr 'A-Z' 'a-z' <<<"$dll")
  grep -Eq "$system" <<<"$lower" || say "imports a DLL outside the system's: $dll"
done < <(sed -n 's/^\tDLL Name: //p' <<<"$dump")

if [ $# -gt 0 ]; then
  actual=$(awk '/\[Ordinal\/Name Pointer\] Table/{f=1;next} f&&/^\t\[/{print $NF;next} f{exit}' <<<"$dump" | sort)
  expected=$(printf '%s\n' "$@" | sort)
  [ "$actual" = "$expected" ] || say "exports differ; expected: $(echo $expected) actual: $(echo $actual)"
fi
[ $fail -eq 0 ] && echo "$file: pei-$machine, ASLR/DEP, system imports only${1:+, exports as expected}"
exit $fail
