#!/bin/bash
# Lays out the demo application (DemoApp.exe, DemoApp.ini, lib/*.jar) and starts it
# through the launcher under Wine: on the user's X display when DISPLAY is set,
# otherwise on the test rig's private Xvfb.
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build"
app="$build/demo-app"

rm -rf "$app"
mkdir -p "$app/lib"
cp "$build/bin/jlauncher.exe" "$app/DemoApp.exe"
cp "$root/demo/DemoApp.ini" "$app/DemoApp.ini"
cp "$build/demo/lib/"*.jar "$app/lib/"

user_display=${DISPLAY:-}
eval "$("$root/tests/rig/wine-rig.sh" env "$build/wine-rig")" || exit 1
[ -n "$user_display" ] && export DISPLAY="$user_display"

trace="$app/launch.log"
export JLAUNCHER_LOG="Z:${trace//\//\\}"
echo "Starting $app/DemoApp.exe under Wine (trace: $trace)"
"$WINELOADER" "$app/DemoApp.exe" "Hello" "wörld" "two words" >"$app/stdout.txt" 2>"$app/stderr.txt" </dev/null
status=$?
[ $status -eq 255 ] && status=-1
"$WINESERVER" -k >/dev/null 2>&1 </dev/null

cat "$app/stdout.txt"
echo "DemoApp.exe exited with $status"
echo "--- launch trace ---"
sed 's/^/  /' "$trace"

if [ $status -ne 0 ] && grep -q 'not built yet' "$trace"; then
    echo "--- the launch ended at: $(tail -n 1 "$trace" | sed 's/^\[[^]]*\] //')"
    echo "--- steps not built yet:"
    grep 'not built yet' "$trace" | sed 's/^\[[^]]*\] /  /'
    exit 0
fi
exit $status
