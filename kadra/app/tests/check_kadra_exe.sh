#!/usr/bin/env bash
# kadra.exe's link surface: the two exports vorlu.dll asks for, the three host libraries it
# imports by name, and the resources the dialog library reads.
#   check_kadra_exe.sh OBJDUMP KADRA_EXE
set -eu
objdump=$1
exe=$2
dump=$("$objdump" -p "$exe")
fail=0
for name in GetReslibRange GetImageInf; do
  grep -Eq "^[[:space:]]*\[[[:space:]]*[0-9]+\].*[[:space:]]$name\$" <<<"$dump" || {
    echo "missing export $name"; fail=1; }
done
for dll in vorlu.dll pelmou.dll travikw.dll; do
  grep -qi "DLL Name: $dll" <<<"$dump" || { echo "does not import $dll"; fail=1; }
done
exit $fail
