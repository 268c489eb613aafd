#!/usr/bin/env bash
# Checks that a Windows executable is what we ship: a PE32 (i386) GUI program, statically
# linked, importing system DLLs only. A missing -static leaves libwinpthread-1.dll (or
# libstdc++/libgcc) as an import, and the program then fails to start on a machine without
# MinGW's runtime. Reports the file's size.
#
# Usage: check_imports.sh EXE [i386|x86-64]
#   x86-64 checks the 64-bit test build instead (PE32+). OBJDUMP overrides the objdump used
#   (i686-w64-mingw32-objdump, or x86_64-w64-mingw32-objdump for x86-64).
set -euo pipefail
# objdump speaks the locale's language; the checks read its English words.
export LC_ALL=C

if [ $# -lt 1 ] || [ $# -gt 2 ]; then
    echo "usage: $0 EXE [i386|x86-64]" >&2
    exit 2
fi
exe=$1
arch=${2:-i386}
case $arch in
    i386) triple=i686-w64-mingw32 format=pei-i386 magic=010b kind=PE32 ;;
    x86-64) triple=x86_64-w64-mingw32 format=pei-x86-64 magic=020b kind=PE32+ ;;
    *) echo "$0: unknown architecture $arch" >&2; exit 2 ;;
esac
objdump=${OBJDUMP:-$triple-objdump}
[ -f "$exe" ] || { echo "FAIL: $exe does not exist" >&2; exit 1; }

# The DLLs Windows itself provides that the program may use, in lower case. The api-ms-win-crt
# API sets are matched separately below.
allowed=(kernel32.dll user32.dll gdi32.dll shell32.dll winmm.dll comctl32.dll advapi32.dll
         msvcrt.dll ole32.dll oleaut32.dll uxtheme.dll)

headers=$("$objdump" -p "$exe") || { echo "FAIL: $objdump cannot read $exe" >&2; exit 1; }
problems=()

grep -q "file format $format\$" <<<"$headers" || problems+=("not a PE file for $arch")
grep -Eq "^Magic[[:space:]]+$magic[[:space:]]+\\(${kind//+/\\+}\\)" <<<"$headers" ||
    problems+=("not $kind (optional header magic is not $magic)")
grep -Eq '^Subsystem[[:space:]]+0+2[[:space:]]' <<<"$headers" || problems+=("not a Windows GUI program (subsystem 2): a console window would open with it")

mapfile -t dlls < <(sed -n 's/^[[:space:]]*DLL Name:[[:space:]]*//p' <<<"$headers" | tr -d '\r')
((${#dlls[@]})) || problems+=("no imported DLLs found: objdump output not understood")
for dll in "${dlls[@]}"; do
    lower=${dll,,}
    case $lower in
        libwinpthread* | libstdc++* | libgcc* | libssp* | libatomic*)
            problems+=("imports $dll: the MinGW runtime is not linked statically") ;;
        api-ms-win-crt-*.dll) ;;
        *)
            printf '%s\n' "${allowed[@]}" | grep -qxF "$lower" ||
                problems+=("imports $dll, which is not a system DLL we allow") ;;
    esac
done

if ((${#problems[@]})); then
    echo "FAIL: $exe" >&2
    printf '  %s\n' "${problems[@]}" >&2
    exit 1
fi
echo "ok: $exe is $kind ($arch), GUI, $(stat -c %s "$exe") bytes, imports ${dlls[*]}"
