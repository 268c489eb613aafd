#!/usr/bin/env bash
# Runs a Windows executable under Wine for ctest: wine-run.sh 32|64 EXE [ARGS...]. The route's
# loader and server, and the build's own prefix for that route, never ~/.wine.
set -euo pipefail
# shellcheck source=../scripts/wine-env.sh
source "$(dirname "$(realpath "$0")")/../scripts/wine-env.sh"
wine_use_arch "$1"
shift
exec "$PELMORA_WINE" "$@"
