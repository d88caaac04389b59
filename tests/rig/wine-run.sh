#!/bin/bash
# Runs one Windows program under the test rig's Wine: wine-run.sh RIG_DIR PROGRAM [ARGS...]
# The program's output goes through files (never a pipe Wine could keep open)
# and is copied to this script's own streams when the program has ended.
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
rig_dir=$1
shift
rig_env=$("$here/wine-rig.sh" env "$rig_dir")
[ -n "$rig_env" ] || { echo "wine-run: the rig did not start" >&2; exit 1; }
eval "$rig_env"

run_dir=$(mktemp -d "$rig_dir/run.XXXXXX")
"$WINELOADER" "$@" >"$run_dir/stdout" 2>"$run_dir/stderr" </dev/null
status=$?
cat "$run_dir/stdout"
grep -v -e 'wine32 is missing' -e 'multiarch needs' -e 'dpkg --add-architecture' -e 'apt-get install wine32' \
    "$run_dir/stderr" >&2
rm -rf "$run_dir"
# A program that dies before flushing its output leaves nothing else to go on.
[ $status -eq 0 ] || echo "wine-run: $(basename "$1") ended with status $status" >&2
exit $status
