#!/usr/bin/env bash
# Checks that the scenario table of the end-to-end README (the table headed "| scenario |")
# names exactly the scenarios of scenarios.def, in the same order: the first cell of each of its
# rows is `name`.
#
#   check_readme_table.sh SCENARIOS_DEF README_MD
#
# Exit status: 0 when they agree, 1 with the difference printed when not, 2 on bad arguments.
set -euo pipefail

if [ $# -ne 2 ] || [ ! -f "$1" ] || [ ! -f "$2" ]; then
    sed -n '2,/^$/p' "$0" | sed -n 's/^# \{0,1\}//p' >&2
    exit 2
fi
listed=$(sed -n 's/^E2E_SCENARIO("\([a-z0-9-]*\)".*/\1/p' "$1")
# The rows of the table whose header starts with "| scenario |", up to its first non-table line.
# shellcheck disable=SC2016  # the backquotes are the table's, not a command
tabled=$(awk '/^\| scenario \|/ { t = 1; next } t && !/^\|/ { exit } t' "$2" |
    sed -n 's/^| `\([^`]*\)` |.*/\1/p')
if [ -z "$listed" ]; then
    echo "check_readme_table: $1 lists no scenario" >&2
    exit 1
fi
if [ "$listed" != "$tabled" ]; then
    echo "check_readme_table: the table of $2 does not list the scenarios of $1 in their order" >&2
    diff -u --label scenarios.def --label README.md <(echo "$listed") <(echo "$tabled") >&2 || true
    exit 1
fi
echo "check_readme_table: $(wc -l <<<"$listed") scenarios, the same names in the same order"
