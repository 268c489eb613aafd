#!/usr/bin/env bash
# Runs end-to-end scenarios of Pelmora.exe under Wine, on a private X server and in a private
# Wine prefix, and saves screenshots.
#
#   run-e2e.sh 32|64 PELMORA_EXE DRIVER_EXE TIMESHIFT_SO OUT_DIR [SCENARIO...]
#
# 32|64: the Wine route, which must match the build of the program, the driver and the shim
# (the 32-bit loader with wine32, or wine64).
# SCENARIO: a name of scenarios.def beside this script (when none is given, every scenario
# there, one after the other, in its order).
# OUT_DIR/<scenarios joined by +, or "all">/ holds the run: runs/ (one folder per scenario with the program and the
# Alarm_List.txt it left), screenshots/, sound/ (the chime and what each scenario played),
# driver.log. OUT_DIR/wineprefix-template is the
# prepared prefix that each run copies (OUT_DIR/wineprefix-template-N the same at N DPI, for the
# scenarios dpi-N); the copies are removed when the run ends.
# PELMORA_E2E_DPI=N runs every dpi-N scenario named at that DPI instead (e.g. 120 or 192).
# Exit status: 0 when every scenario passed.
#
# Needs: wine32:i386 (with its libasound2:i386) or wine64 (with libasound2), xvfb, x11-utils
# (xdpyinfo), imagemagick (import, convert), util-linux (flock), sox, a ja_JP.UTF-8 locale and
# fonts-horai-umefont (all in scripts/deps.sh).
set -uo pipefail

if [ $# -lt 5 ]; then
    sed -n '2,/^$/p' "$0" | sed -n 's/^# \{0,1\}//p' >&2
    exit 2
fi
arch=$1
program=$(realpath "$2")
driver=$(realpath "$3")
shim=$(realpath "$4")
out=$5
shift 5
scenarios=("$@")
label=$(IFS=+; echo "${scenarios[*]}")
here=$(dirname "$(realpath "$0")")
if [ ${#scenarios[@]} -eq 0 ]; then
    mapfile -t scenarios < <(sed -n 's/^E2E_SCENARIO("\([a-z0-9-]*\)".*/\1/p' "$here/scenarios.def")
    [ ${#scenarios[@]} -gt 0 ] || { echo "run-e2e: $here/scenarios.def lists no scenario" >&2; exit 2; }
    label=all
fi
for f in "$program" "$driver" "$shim"; do
    [ -f "$f" ] || { echo "run-e2e: missing $f" >&2; exit 2; }
done

mkdir -p "$out"
work=$(realpath "$out")/$label
rm -rf "$work"
mkdir -p "$work/runs" "$work/screenshots" "$work/sound"

# The Wine environment of ./test and ./run (Japanese locale, quiet Wine, how a prefix is made
# ready), with a prefix of this run's own.
export WINEPREFIX="$work/wineprefix"
# shellcheck source=../../scripts/wine-env.sh
source "$here/../../scripts/wine-env.sh"
unset LD_PRELOAD
case $arch in
    32 | 64) wine_use_arch "$arch" ;;
    *) echo "run-e2e: the route must be 32 or 64, not '$arch'" >&2; exit 2 ;;
esac
# The driver asks for screenshots through this folder and moves the clock through this file.
export PELMORA_E2E_SHOTS="$work/screenshots"
export PELMORA_TIME_OFFSET_FILE="$work/clock-offset"
echo 0 >"$PELMORA_TIME_OFFSET_FILE"
# The alarm scenarios install the program's chime as SOUND.wav.
if "$here/../../scripts/make_sound.sh" "$work/sound/chime.wav" \
    >"$work/sound/make_sound.log" 2>&1; then
    export PELMORA_E2E_SOUND="$work/sound/chime.wav"
else
    echo "run-e2e: no chime (see $work/sound/make_sound.log); the alarm scenarios will fail" >&2
fi

# The run's prefixes, one per DPI its scenarios need, each with its server kept up.
declare -A run_prefixes=()
cleanup_prefixes() {
    local p
    for p in "${run_prefixes[@]}"; do
        WINEPREFIX=$p wine_server_down >/dev/null 2>&1
        rm -rf "$p"
    done
}
xvfb_pid=
watchdog_pid=
cleanup() {
    [ -n "$watchdog_pid" ] && kill "$watchdog_pid" 2>/dev/null
    # Only what this run started: the wineservers of its own prefixes, its own X server.
    cleanup_prefixes
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Seconds since a time in microseconds (${EPOCHREALTIME/./}), with one decimal.
now_us() { echo "${EPOCHREALTIME/./}"; }
seconds_since() { local d=$(( ($(now_us) - $1) / 100000 )); echo "$((d / 10)).$((d % 10))"; }
t_start=$(now_us)

# --- a private X server on a free display -----------------------------------------------------
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
display=
for _ in $(seq 1 200); do
    display=$(tr -dc '0-9' <"$work/display" 2>/dev/null || true)
    [ -n "$display" ] && xdpyinfo -display ":$display" >/dev/null 2>&1 && break
    display=
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.05
done
if [ -z "$display" ]; then
    echo "run-e2e: Xvfb did not come up" >&2
    cat "$work/xvfb.log" >&2
    exit 1
fi
export DISPLAY=":$display"

# Should this script be killed outright (a ctest timeout), stop its X server and wineserver
# all the same. Its output goes nowhere: an open pipe would keep ctest waiting.
(
    while kill -0 $$ 2>/dev/null; do sleep 1; done
    for p in "$work"/wineprefix*; do WINEPREFIX=$p wine_server_down; done
    kill "$xvfb_pid"
) </dev/null >/dev/null 2>&1 &
watchdog_pid=$!

# --- private Wine prefixes ---------------------------------------------------------------------
# Made ready once per output folder as a template (wineboot takes ~10 s and the prefix is
# large), then copied for each run as hard links (Wine never writes into the installed DLLs),
# except the registry files: Wine writes a registry file that has more than one link in place,
# so a linked one would carry every run's settings back into the template and into the parallel
# runs. A lock keeps parallel runs from preparing it twice. A scenario named dpi-N runs in a prefix whose screen has
# N DPI (or PELMORA_E2E_DPI, when set, for every dpi-N scenario: e.g. 120 or 192 by hand); its
# template is the 96 DPI one copied the same way, with LogPixels set.
template="$(realpath "$out")/wineprefix-template"
scenario_dpi() {
    case $1 in
        dpi-[0-9]*) echo "${PELMORA_E2E_DPI:-${1#dpi-}}" ;;
        *) echo 96 ;;
    esac
}
# Copies a prefix as hard links, the registry files as files of their own.
copy_prefix() {
    local reg
    cp -al "$1" "$2" || return 1
    for reg in "$1"/*.reg; do
        cp --remove-destination "$reg" "$2/${reg##*/}" || return 1
    done
}
# Makes the template of `dpi` ready and the run's own copy of it; prints nothing.
prepare_prefix() {
    local dpi=$1 run_prefix=$2 dpi_template
    (
        flock 9
        # shellcheck disable=SC2030  # the template's prefix, for this subshell only
        export WINEPREFIX="$template"
        version="$("$PELMORA_WINE" --version 2>/dev/null) $arch-bit, registry copied"
        if [ "$(cat "$template/.wine-version" 2>/dev/null)" != "$version" ]; then
            rm -rf "$template" "$template"-[0-9]*
            mkdir -p "$template"
            echo "$version" >"$template/.wine-version"
        fi
        wine_prefix_ready || exit 1
        [ "$dpi" = 96 ] && exit 0
        # The DPI template is made again whenever the template changed (Wine, or how it is
        # made ready).
        dpi_template="$template-$dpi"
        stamp="$version $(cd "$template" && ls -a | grep '^\.pelmora-ready' | tr '\n' ' ')"
        if [ "$(cat "$dpi_template/.pelmora-dpi" 2>/dev/null)" != "$stamp" ]; then
            rm -rf "$dpi_template"
            copy_prefix "$template" "$dpi_template" || exit 1
            WINEPREFIX="$dpi_template" wine_prefix_dpi "$dpi" || exit 1
            echo "$stamp" >"$dpi_template/.pelmora-dpi"
        fi
    ) 9>"$template.lock" >>"$work/wineboot.log" 2>&1 || return 1
    local source=$template
    [ "$dpi" = 96 ] || source="$template-$dpi"
    copy_prefix "$source" "$run_prefix"
}

# Points WINEPREFIX at the run's prefix for `dpi`, preparing it on first use. With a second
# argument, a prefix of that name's own: the setup's scenarios each install into a prefix where
# Pelmora never was.
use_prefix() {
    local dpi=$1 key=${2:-$1} p
    if [ -z "${run_prefixes[$key]:-}" ]; then
        p="$work/wineprefix"
        [ "$key" = 96 ] || p="$work/wineprefix-$key"
        run_prefixes[$key]=$p
        if ! prepare_prefix "$dpi" "$p"; then
            echo "run-e2e: the Wine prefix at $dpi DPI could not be prepared (see $work/wineboot.log)" >&2
            rm -rf "$p"
            unset "run_prefixes[$key]"
            return 1
        fi
        WINEPREFIX=$p wine_server_up
        echo "run-e2e: prefix ${2:+for $2 }at $dpi DPI ready after $(seconds_since "$t_start") s"
    fi
    export WINEPREFIX="${run_prefixes[$key]}"
}
case ${scenarios[0]} in
    setup-*) ;;  # a prefix of its own
    *) use_prefix 96 || exit 1 ;;
esac
echo "run-e2e: display $DISPLAY"

# --- the scenarios ------------------------------------------------------------------------------
# The driver prints "SCREENSHOT <name>" and waits until <name>.png exists; the shot is taken
# here, outside Wine and outside the time-shift library.
run_driver() {
    local scenario=$1
    # Sound never reaches a device: ALSA's default device becomes a WAV file of the scenario's,
    # written as fast as the program plays (the null device sets no pace).
    local capture="$work/sound/$scenario-played.wav" alsa_conf="$work/sound/$scenario.conf"
    rm -f "$capture"
    # Each scenario starts on real time, whatever the one before left.
    echo 0 >"$PELMORA_TIME_OFFSET_FILE"
    cat >"$alsa_conf" <<EOF
pcm.!default {
    type file
    slave.pcm "null"
    file "$capture"
    format "wav"
}
EOF
    # The time-shift library goes into the route's Wine loader only (never into the wineserver,
    # already running); Wine hands the variables on to the program the driver starts.
    ALSA_CONFIG_PATH="/usr/share/alsa/alsa.conf:$alsa_conf" PELMORA_E2E_CAPTURE="$capture" \
        LD_PRELOAD="$shim" "$PELMORA_WINE" "$driver" "$scenario" "$program" "$work/runs" </dev/null 2>&1 |
        while IFS= read -r line; do
            case $line in
            SCREENSHOT\ *)
                # "SCREENSHOT <name>", or "SCREENSHOT <name> <x> <y> <width> <height>" with the
                # window's frame on the screen: then <name>-window.png is that part alone.
                read -r _ name geometry <<<"$line"
                name=${name//[^A-Za-z0-9_-]/_}
                if import -window root "$work/screenshots/.$name.png" 2>>"$work/import.log"; then
                    if [[ $geometry =~ ^([0-9]+)\ ([0-9]+)\ ([0-9]+)\ ([0-9]+)$ ]]; then
                        convert "$work/screenshots/.$name.png" -crop \
                            "${BASH_REMATCH[3]}x${BASH_REMATCH[4]}+${BASH_REMATCH[1]}+${BASH_REMATCH[2]}" \
                            +repage "$work/screenshots/$name-window.png" 2>>"$work/import.log"
                    fi
                    mv "$work/screenshots/.$name.png" "$work/screenshots/$name.png"
                    echo "screenshot: $work/screenshots/$name.png"
                else
                    : >"$work/screenshots/$name.failed"
                    echo "screenshot $name failed (see $work/import.log)"
                fi
                ;;
            *) printf '%s\n' "$line" ;;
            esac
        done
}

failed=()
for scenario in "${scenarios[@]}"; do
    t0=$(now_us)
    echo "== $scenario"
    dpi=$(scenario_dpi "$scenario")
    own=
    case $scenario in setup-*) own=$scenario ;; esac
    if ! use_prefix "$dpi" $own; then
        echo "== $scenario FAILED (no prefix at $dpi DPI)"
        failed+=("$scenario")
        continue
    fi
    export PELMORA_E2E_SCREEN_DPI=$dpi
    run_driver "$scenario" | tee -a "$work/driver.log"
    rc=${PIPESTATUS[0]}
    secs=$(seconds_since "$t0")
    if [ "$rc" -eq 0 ]; then
        echo "== $scenario passed (${secs} s)"
    else
        echo "== $scenario FAILED (exit $rc, ${secs} s)"
        failed+=("$scenario")
    fi
done

echo "run-e2e: ${#scenarios[@]} scenario(s), ${#failed[@]} failed, $(seconds_since "$t_start") s in all; output in $work"
[ ${#failed[@]} -eq 0 ]
