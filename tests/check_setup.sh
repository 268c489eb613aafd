#!/usr/bin/env bash
# Checks the setup that NSIS made of a build: a PE32 (i386) program for the shipped 32-bit
# Pelmora.exe (PE32+ for the 64-bit test build), whose manifest runs it asInvoker (it installs
# per user and must never ask for administrator rights) and whose version information names
# this version. Runs no Windows code.
#
# Usage: check_setup.sh SETUP_EXE i386|x86-64 VERSION
# OBJDUMP and WINDRES override the tools used (i686-w64-mingw32-objdump and -windres).
set -euo pipefail
export LC_ALL=C

if [ $# -ne 3 ]; then
    echo "usage: $0 SETUP_EXE i386|x86-64 VERSION" >&2
    exit 2
fi
setup=$1
arch=$2
version=$3
case $arch in
    i386) format=pei-i386 ;;
    x86-64) format=pei-x86-64 ;;
    *) echo "$0: unknown architecture $arch" >&2; exit 2 ;;
esac
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}
windres=${WINDRES:-i686-w64-mingw32-windres}
[ -f "$setup" ] || { echo "FAIL: $setup does not exist" >&2; exit 1; }

problems=()
actual=$("$objdump" -f "$setup" | sed -n 's/.*file format //p')
[ "$actual" = "$format" ] || problems+=("file format $actual, expected $format")
# The manifest is stored as plain text in the resources.
grep -aq 'requestedExecutionLevel level="asInvoker"' "$setup" ||
    problems+=("the manifest does not run the setup asInvoker (RequestExecutionLevel user)")
rc=$("$windres" -i "$setup" -O rc 2>&1) || problems+=("$windres cannot read its resources: $rc")
grep -qF "VALUE \"ProductVersion\", \"$version\"" <<<"$rc" ||
    problems+=("its version information does not give ProductVersion $version")

if ((${#problems[@]})); then
    echo "FAIL: $setup" >&2
    printf '  %s\n' "${problems[@]}" >&2
    exit 1
fi
echo "ok: $setup is $format, asInvoker, version $version, $(stat -c %s "$setup") bytes"
