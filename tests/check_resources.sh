#!/usr/bin/env bash
# Checks that Pelmora.exe carries its resources: the icon as ID 1 (32 x 32, 16 colours; the
# program loads it for every window, the tray and the splash, and without it Windows shows a
# blank default icon and nothing fails), the application manifest (common controls 6,
# per-monitor DPI awareness, asInvoker) and the version information.
#
# Usage: check_resources.sh EXE [VERSION]   e.g. check_resources.sh Pelmora.exe 0.1.0
# WINDRES overrides the resource tool used (i686-w64-mingw32-windres; the 64-bit test build
# needs x86_64-w64-mingw32-windres).
set -euo pipefail
# objdump speaks the locale's language; the checks read its English words.
export LC_ALL=C

if [ $# -lt 1 ] || [ $# -gt 2 ]; then
    echo "usage: $0 EXE [VERSION]" >&2
    exit 2
fi
exe=$1
version=${2:-}
windres=${WINDRES:-i686-w64-mingw32-windres}

if ! rc=$("$windres" -i "$exe" -O rc 2>&1); then
    if grep -q 'no resource section' <<<"$rc"; then
        echo "FAIL: $exe has no resources at all (is Pelmora.rc compiled into the program?)" >&2
    else
        echo "FAIL: $windres cannot read the resources of $exe: $rc" >&2
    fi
    exit 1
fi
problems=()
has() { grep -qF -- "$1" <<<"$rc"; }

# The icon group 1 with one image of 32 x 32 pixels, 16 colours, 1 plane, 4 bits per pixel.
group=$(sed -n '/^1 14 \/\* RT_GROUP_ICON \*\//,/^END/p' <<<"$rc")
if [ -z "$group" ]; then
    problems+=("no icon group with ID 1 (is Pelmora.rc compiled into the program?)")
elif ! grep -qF '"\040\040\020\000", 1, 4,' <<<"$group"; then
    problems+=("icon 1 is not a single 32 x 32 image in 16 colours")
fi

if has '1 24 /* RT_MANIFEST */'; then
    has 'name=""Microsoft.Windows.Common-Controls"" version=""6.0.0.0""' ||
        problems+=("the manifest does not ask for common controls 6")
    has 'level=""asInvoker""' || problems+=("the manifest does not run the program asInvoker")
    has 'PerMonitorV2' || problems+=("the manifest does not declare PerMonitorV2 DPI awareness")
else
    problems+=("no application manifest with ID 1")
fi

if has 'VERSIONINFO'; then
    has 'VALUE "ProductName", "Pelmora"' || problems+=("ProductName is not Pelmora")
    has 'VALUE "FileDescription", "Pelmora"' || problems+=("FileDescription is not Pelmora")
    has 'VALUE "Translation", 0x411,' || problems+=("the version information is not Japanese (0x0411)")
    if [ -n "$version" ]; then
        has "VALUE \"FileVersion\", \"$version\"" || problems+=("FileVersion is not $version")
        has " FILEVERSION ${version//./, }, 0" || problems+=("the numeric FILEVERSION is not $version.0")
    fi
else
    problems+=("no version information")
fi

if ((${#problems[@]})); then
    echo "FAIL: $exe" >&2
    printf '  %s\n' "${problems[@]}" >&2
    exit 1
fi
echo "ok: $exe has icon 1 (32 x 32, 16 colours), its manifest and version information${version:+ $version}"
