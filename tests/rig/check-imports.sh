#!/bin/bash
# Fails when the shipped program imports a DLL that does not come with Windows
# (a MinGW runtime DLL, for example): check-imports.sh OBJDUMP PROGRAM
set -u
objdump=$1 program=$2
allowed='^(kernel32|user32|gdi32|advapi32|shell32|comctl32|comdlg32|ole32|oleaut32|msvcrt|shlwapi|version|gdiplus|uuid)\.dll$'
status=0
imports=$("$objdump" -p "$program" | sed -n 's/^[[:space:]]*DLL Name: //p')
[ -n "$imports" ] || { echo "no imports found in $program"; exit 1; }
for dll in $imports; do
    if echo "$dll" | tr 'A-Z' 'a-z' | grep -Eq "$allowed"; then
        echo "imports $dll"
    else
        echo "imports $dll, which does not come with Windows"
        status=1
    fi
done
exit $status
