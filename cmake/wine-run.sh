#!/usr/bin/env bash
# Runs a Windows executable under Wine for ctest: wine-run.sh 32|64 EXE [ARGS...]. The route's
# loader and server, and the build's own prefix for that route, never ~/.wine.
set -euo pipefail
# shellcheck source=../scripts/wine-env.sh
source "$(dirname "$(realpath "$0")")/../scripts/wine-env.sh"
wine_use_arch "$1"
shift
# Now and then (about once in a thousand runs, on a loaded machine) Wine itself fails a run: its
# loader dies of SIGSEGV, or the process ends before the program has written a thing. Neither is
# the program's own doing (Wine turns a fault in Windows code into an exception, and an unhandled
# one ends the process with that exception's code), so such a run is tried once more.
out=$(mktemp)
err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
attempt() {
    status=0
    "$PELMORA_WINE" "$@" >"$out" 2>"$err" || status=$?
}
attempt "$@"
if [ "$status" -eq 139 ] || { [ "$status" -ne 0 ] && [ ! -s "$out" ] && [ ! -s "$err" ]; }; then
    cat "$out"
    cat "$err" >&2
    echo "wine-run: Wine failed the run (status $status) before or after the program; once more" >&2
    attempt "$@"
fi
cat "$out"
cat "$err" >&2
exit "$status"
