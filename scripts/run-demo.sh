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
# DemoApp.exe is a copy of the launcher packed by the build machine's jlpack: the
# demo's settings embedded, its own icon and version information. Beside it only
# the product information, which also keys the embedded settings.
"$build/bin/host/jlpack" --launcher "$build/bin/jlauncher.exe" --ini "$root/demo/DemoApp.ini" \
    --icon "$root/demo/DemoApp.ico" --product-version 1.0.0 --company "JLauncher" \
    --description "JLauncher demo application" --copyright "Copyright (c) 2026 JLauncher" \
    --output "$app/DemoApp.exe" || exit 1
sed -n '/^\[Product Information\]/,/^$/p' "$root/demo/DemoApp.ini" >"$app/DemoApp.ini"
"$build/bin/host/jlpack" --print "$app/DemoApp.exe"
cp "$root/demo/splash.png" "$app/splash.png"
cp "$build/demo/lib/"*.jar "$app/lib/"
# The demo's private runtime: the bridge runtime, which runs the build machine's
# OpenJDK 17 HotSpot inside the Wine process (its library comes from WINEDLLPATH).
mkdir -p "$app/jre64"
cp -r "$build/runtimes/bridge/bin" "$app/jre64/"
export WINEDLLPATH="$build/runtimes/bridge/winelib"

user_display=${DISPLAY:-}
eval "$("$root/tests/rig/wine-rig.sh" env "$build/wine-rig")" || exit 1
[ -n "$user_display" ] && export DISPLAY="$user_display"

trace="$app/launch.log"
export JLAUNCHER_LOG="Z:${trace//\//\\}"
echo "Starting $app/DemoApp.exe under Wine (trace: $trace)"
"$WINELOADER" "$app/DemoApp.exe" "Hello" "wörld" "日本語" "two words" >"$app/stdout.txt" 2>"$app/stderr.txt" </dev/null &
first=$!
# "Single Instance=yes": once the first start waits in main, a second start hands
# its arguments to the first one's secondaryMain and ends with what it returns.
for _ in $(seq 1 300); do
    grep -qs "Waiting up to" "$app"/logs/DemoApp-*.log && break
    sleep 0.1
done
echo "Starting DemoApp.exe a second time, while the first one runs"
"$WINELOADER" "$app/DemoApp.exe" "from" "a second start" >"$app/stdout2.txt" 2>"$app/stderr2.txt" </dev/null
echo "The second start exited with $? (what secondaryMain returned)"
wait "$first"
status=$?
[ $status -eq 255 ] && status=-1
"$WINESERVER" -k >/dev/null 2>&1 </dev/null

echo "DemoApp.exe exited with $status"
for log in "$app"/logs/DemoApp-*.log; do
    [ -f "$log" ] || continue
    echo "--- the Java program's output file: $log"
    sed 's/^/  /' "$log"
done
echo "--- launch trace ($trace)"
sed 's/^/  /' "$trace"
exit $status
