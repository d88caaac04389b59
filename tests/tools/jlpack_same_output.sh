#!/bin/bash
# The build machine's jlpack and jlpack.exe under Wine make the same bytes from the
# same inputs, a packed copy packed again comes out unchanged, and the native
# jlpack refuses damaged inputs without leaving a file:
# jlpack_same_output.sh HOST_JLPACK WINE_RUN RIG_DIR JLPACK_EXE JLAUNCHER_EXE ICON
set -u
host=$1 wine_run=$2 rig=$3 jlpack_exe=$4 launcher=$5 icon=$6
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
mkdir linux windows again
cp "$launcher" jlauncher.exe
cp "$jlpack_exe" jlpack.exe
cp "$icon" App.ico
printf '[Product Information]\nProduct Name=Gr\xc3\xbc\xc3\x9fe\nUpgrade Code={0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0}\n[Application]\nCmd=-x\n' >App.ini
options=(--ini App.ini --icon App.ico --product-version 1.2.3 --company "Example Ltd" --copyright "(c) Example"
         --execution-level highestAvailable --key-text 00112233445566778899AABBCCDDEEFF)
status=0
"$host" --launcher jlauncher.exe --output linux/App.exe "${options[@]}" || status=1
"$wine_run" "$rig" jlpack.exe --launcher jlauncher.exe --output windows/App.exe "${options[@]}" || status=1
"$host" --launcher linux/App.exe --output again/App.exe "${options[@]}" || status=1
cmp linux/App.exe windows/App.exe && echo "the Linux and Windows builds wrote the same $(stat -c %s linux/App.exe) bytes" || status=1
cmp linux/App.exe again/App.exe && echo "packing the packed copy again changed nothing" || status=1

head -c 300000 jlauncher.exe >Truncated.exe
printf '\0\0\2\0\1\0' >Bad.ico
for refused in "--launcher Truncated.exe --ini App.ini --output Out.exe|is truncated" \
               "--launcher jlauncher.exe --ini App.ini --icon Bad.ico --output Out.exe|not an icon file" \
               "--launcher App.ini --ini App.ini --output Out.exe|not a Windows executable"; do
    read -ra arguments <<<"${refused%|*}"
    if "$host" "${arguments[@]}" 2>error.txt >/dev/null; then
        echo "accepted: ${refused%|*}"; status=1
    fi
    grep -q "${refused#*|}" error.txt || { echo "unexpected message: $(cat error.txt)"; status=1; }
    if ls Out.exe* >/dev/null 2>&1; then echo "left a file behind: ${refused%|*}"; status=1; fi
done
exit $status
