#!/usr/bin/env bash
# Generates Pelmora's alarm sound: a short three-note chime (G5, E5, C5 starting 0.25 s apart,
# each a sine that dies away exponentially), 1.5 s of 22050 Hz 16-bit mono PCM, peak -1 dBFS.
# Usage: make_sound.sh OUT.wav     Needs sox.
set -euo pipefail

if [ $# -ne 1 ]; then
    echo "usage: $0 OUT.wav" >&2
    exit 2
fi
out=$1
rate=22050
length=1.5

# One note as a sox input: a sine of the given frequency after the given delay, with a 10 ms
# soft attack and an exponential decay of 100 dB over 3 s (sox's "l" fade), so that a note is
# about 50 dB down when the chime ends.
note() {
    local freq=$1 delay=$2
    echo "|sox -n -r $rate -c 1 -p synth 3 sine $freq fade q 0.01 fade l 0 3 3 pad $delay"
}

tmp="$out.tmp.$$.wav"
trap 'rm -f "$tmp"' EXIT
# Mixed, cut to length, the last 0.3 s faded to silence so the end does not click, normalised.
sox -m "$(note 783.99 0)" "$(note 659.26 0.25)" "$(note 523.25 0.5)" \
    -r "$rate" -c 1 -b 16 -e signed-integer "$tmp" \
    trim 0 "$length" fade t 0 "$length" 0.3 gain -n -1
mv -f "$tmp" "$out"
trap - EXIT
