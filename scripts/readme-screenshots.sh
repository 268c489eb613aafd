#!/usr/bin/env bash
# Makes README.md's pictures (docs/img/*.png) from the screenshots of an end-to-end run that
# took them: startup, exit, evd-rings, today-window, add-date, change-schedule (for
# change-date.png) and dpi-144 (run-e2e.sh with no scenario named runs them all).
#
#   scripts/readme-screenshots.sh SCREENSHOTS_FOLDER
#
# e.g. scripts/readme-screenshots.sh build/win64/e2e/all/screenshots
# Each picture is a window alone (<name>-window.png, cut by run-e2e.sh), except the start-up,
# which is the screen's top-left corner with the tray and the centred splash.
set -euo pipefail

if [ $# -ne 1 ] || [ ! -d "$1" ]; then
    sed -n '2,/^$/p' "$0" | sed -n 's/^# \{0,1\}//p' >&2
    exit 2
fi
shots=$1
img="$(cd "$(dirname "$0")/.." && pwd)/docs/img"

# picture in docs/img <- screenshot of the run
pictures=(
    "tray-menu.png=exit-tray-menu-window.png"
    "alarm.png=alarm-window-window.png"
    "list-window.png=list-window-window.png"
    "today-window.png=today-window-window.png"
    "missed-alarms.png=missed-alarms-window.png"
    "add-date.png=add-date-dialog-window.png"
    "change-date.png=change-date-dialog-window.png"
    "list-window-144dpi.png=dpi144-list-window-window.png"
    "add-date-144dpi.png=dpi144-add-date-window.png"
)
missing=0
for pair in "${pictures[@]}" "startup.png=startup-splash.png"; do
    [ -f "$shots/${pair#*=}" ] || {
        echo "readme-screenshots: no $shots/${pair#*=}" >&2
        missing=1
    }
done
[ "$missing" = 0 ] || exit 1

for pair in "${pictures[@]}"; do
    convert "$shots/${pair#*=}" -strip "$img/${pair%%=*}"
done
convert "$shots/startup-splash.png" -crop 620x440+0+0 +repage -strip "$img/startup.png"
echo "readme-screenshots: ${#pictures[@]} windows and the start-up written to $img"
