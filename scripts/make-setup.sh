#!/usr/bin/env bash
# Builds Pelmora's setup with NSIS from installer/Pelmora.nsi and a folder made by stage.sh.
# Usage: make-setup.sh STAGE_DIR OUT.exe [x86-unicode|amd64-unicode]
# x86-unicode (the default) is the shipped setup, for the 32-bit Pelmora.exe; amd64-unicode a
# 64-bit setup of the 64-bit build, for testing on hosts that cannot run 32-bit code. Needs
# makensis (Debian package nsis).
set -euo pipefail

if [ $# -lt 2 ] || [ $# -gt 3 ]; then
    echo "usage: $0 STAGE_DIR OUT.exe [x86-unicode|amd64-unicode]" >&2
    exit 2
fi
root=$(cd "$(dirname "$0")/.." && pwd)
stage=$(realpath "$1")
out=$(realpath -m "$2")
target=${3:-x86-unicode}
version=$(sed -n 's/^project(Pelmora VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
mkdir -p "$(dirname "$out")"
# -WX: a warning fails the build; -V2: only warnings and errors are printed.
makensis -WX -V2 -DVERSION="$version" -DSTAGE="$stage" -DICON="$root/src/shell/res/Pelmora.ico" \
    -DOUTFILE="$out" -DTARGET="$target" "$root/installer/Pelmora.nsi"
