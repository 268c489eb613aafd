#!/usr/bin/env bash
# Runs a Windows executable under Wine for ctest: wine-run.sh 32|64 EXE [ARGS...]. The route's
# loader and server, and the build's own prefix for that route, never ~/.wine.
set -euo pipefail
# shellcheck source=../scripts/wine-env.sh
source "$(dirname "$(realpath "$0")")/../scripts/wine-env.sh"
wine_use_arch "$1"
shift
# Now and then (about once in a thousand runs, on a loaded machine) the Wine loader itself dies
# of SIGSEGV while a process starts or ends. That is never the program's own fault: Wine turns a
# fault in Windows code into an exception, and an unhandled one ends the process with its code.
# Such a run is tried once more.
status=0
"$PELMORA_WINE" "$@" || status=$?
if [ "$status" -eq 139 ]; then
    echo "wine-run: the Wine loader died of SIGSEGV; running once more" >&2
    status=0
    "$PELMORA_WINE" "$@" || status=$?
fi
exit "$status"
