# Sourced by ./test, ./run and the Wine wrappers: the Wine environment the Windows build runs
# in, which Wine runs it (the route), and a prefix of our own made ready once (never ~/.wine).
#
# Two routes, both from Debian's packages:
#   32  the shipped 32-bit Pelmora.exe under the 32-bit loader (wine32:i386). Needs a host that
#       executes i386 code; the prefix is a 32-bit one (WINEARCH=win32), served by the 32-bit
#       wineserver.
#   64  a 64-bit build of the same sources under wine64 (and wineserver64), for hosts without
#       IA-32 emulation, where every i386 program fails with "Exec format error". Debian's
#       `wine` and `wineboot` wrappers try the 32-bit loader first and fail there too, so the
#       scripts call the route's loader and server directly: "$PELMORA_WINE", "$PELMORA_WINESERVER".
: "${PELMORA_ROOT:=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
# The Japanese locale makes code page 932 the ANSI code page, as on the user's machine.
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 TZ="${TZ:-Asia/Tokyo}"

wine_loader_of() { if [ "$1" = 64 ]; then echo /usr/lib/wine/wine64; else echo /usr/lib/wine/wine; fi; }
wine_server_of() { echo "/usr/lib/wine/wineserver$1"; }

# True when this host can run the route's loader and server (a cheap probe: both print their
# version and exit).
wine_can_run() {
    "$(wine_loader_of "$1")" --version >/dev/null 2>&1 &&
        "$(wine_server_of "$1")" --version >/dev/null 2>&1
}

# Why a route cannot run here, in a few words.
wine_cannot_run_why() {
    local loader server
    loader=$(wine_loader_of "$1")
    server=$(wine_server_of "$1")
    if [ ! -x "$loader" ] || [ ! -x "$server" ]; then
        if [ "$1" = 64 ]; then
            echo "$loader or $server is not installed (Debian package wine64)"
        else
            echo "$loader or $server is not installed (Debian package wine32:i386)"
        fi
    elif [ "$1" = 32 ] && LC_ALL=C bash -c 'exec "$0" --version' "$server" 2>&1 |
        grep -q 'Exec format error'; then
        echo "this host cannot execute i386 code ($server: Exec format error)"
    else
        echo "$loader --version fails: $(LC_ALL=C bash -c 'exec "$0" --version' "$loader" 2>&1 | tail -n 1)"
    fi
}

# Chooses the route: PELMORA_WINE_ARCH=32|64 forces one; otherwise 32 where the host executes
# i386 code, else 64. Sets PELMORA_WINE_ARCH and WINE_ROUTE_WHY, or sets WINE_ROUTE_ERROR to one
# line naming what is missing and returns 1.
wine_pick_route() {
    local forced=${PELMORA_WINE_ARCH:-}
    case $forced in
        32 | 64)
            if ! wine_can_run "$forced"; then
                WINE_ROUTE_ERROR="PELMORA_WINE_ARCH=$forced, but the $forced-bit Wine cannot run here: $(wine_cannot_run_why "$forced")"
                return 1
            fi
            WINE_ROUTE_WHY="forced by PELMORA_WINE_ARCH=$forced"
            ;;
        "")
            if wine_can_run 32; then
                forced=32
                WINE_ROUTE_WHY="this host executes i386 code"
            elif wine_can_run 64; then
                forced=64
                WINE_ROUTE_WHY="this host cannot execute i386 code"
            else
                WINE_ROUTE_ERROR="no Wine can run here: 32-bit: $(wine_cannot_run_why 32); 64-bit: $(wine_cannot_run_why 64)"
                return 1
            fi
            ;;
        *)
            WINE_ROUTE_ERROR="PELMORA_WINE_ARCH must be 32 or 64, not '$forced'"
            return 1
            ;;
    esac
    wine_use_arch "$forced"
}

# Sets up the environment of one route: the loader and server to call, and the build's own
# prefix for it unless WINEPREFIX names one (the two routes never share a prefix).
wine_use_arch() {
    export PELMORA_WINE_ARCH=$1
    PELMORA_WINE=$(wine_loader_of "$1")
    PELMORA_WINESERVER=$(wine_server_of "$1")
    export WINESERVER=$PELMORA_WINESERVER
    if [ "$1" = 64 ]; then
        # wine64 starts the processes it creates through this loader too.
        export WINELOADER=$PELMORA_WINE
        export WINEPREFIX="${WINEPREFIX:-$PELMORA_ROOT/build/wineprefix64}"
        unset WINEARCH
    else
        # A 32-bit prefix: with wine64 installed as well, Wine would otherwise make a 64-bit
        # one and run the program in its WoW64 part.
        unset WINELOADER
        export WINEARCH=win32
        export WINEPREFIX="${WINEPREFIX:-$PELMORA_ROOT/build/wineprefix}"
    fi
}

# Japanese Windows' fonts are not here; Ume fonts (fonts-horai-umefont) stand in for them. Their
# metrics follow the Windows faces: half-width digits and Latin, narrow proportional kana in the
# UI and P faces, and ascent plus descent equal to the em, so a 9 pt text is 12 pixels high at
# 96 DPI and fits the layouts' 180-twip labels and 735-twip year box (the IPA fonts measure
# 13 pixels, and their digits are two thirds of an em wide). Wine's default GUI font under the
# Japanese locale is "MS Shell Dlg".
wine_japanese_fonts() {
    local pair
    for pair in "MS Shell Dlg=Ume UI Gothic" "MS UI Gothic=Ume UI Gothic" \
        "ＭＳ Ｐゴシック=Ume P Gothic" "MS PGothic=Ume P Gothic" \
        "ＭＳ ゴシック=Ume Gothic" "MS Gothic=Ume Gothic"; do
        "$PELMORA_WINE" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "${pair%%=*}" \
            /d "${pair#*=}" /f >/dev/null 2>&1 || true
    done
}

# Sets the prefix's DPI (HKCU\Control Panel\Desktop LogPixels) with regedit while no Wine
# process of the prefix runs: the server is stopped first and waited for afterwards, so the
# setting is on disk when this returns.
wine_prefix_dpi() {
    local dpi=$1 file
    "$PELMORA_WINESERVER" -k 2>/dev/null || true
    "$PELMORA_WINESERVER" -w 2>/dev/null || true
    file=$(mktemp "${TMPDIR:-/tmp}/pelmora-dpi.XXXXXX.reg")
    printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n"LogPixels"=dword:%08x\r\n' \
        "$dpi" >"$file"
    "$PELMORA_WINE" regedit.exe /S "Z:${file//\//\\}" >/dev/null 2>&1
    local rc=$?
    "$PELMORA_WINESERVER" -w 2>/dev/null || true
    rm -f "$file"
    return "$rc"
}

wine_prefix_ready() {
    if [ ! -f "$WINEPREFIX/.pelmora-ready-v5" ]; then
        echo "wine: preparing $WINEPREFIX"
        mkdir -p "$WINEPREFIX"
        "$PELMORA_WINE" wineboot.exe -i >/dev/null 2>&1 || true
        if [ ! -d "$WINEPREFIX/drive_c/windows/Fonts" ]; then
            echo "wine: wineboot did not make $WINEPREFIX (try: WINEPREFIX=$WINEPREFIX $PELMORA_WINE wineboot.exe -i)" >&2
            return 1
        fi
        # Title-bar buttons are glyphs of Wine's own Marlett font (fonts-wine), which Wine does
        # not find by itself here: without it every close box shows the letter "r".
        cp -f /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
        # Without a window manager every hidden window costs two seconds unless Wine is told
        # that it manages the windows itself.
        "$PELMORA_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
        wine_japanese_fonts
        "$PELMORA_WINESERVER" -w
        touch "$WINEPREFIX/.pelmora-ready-v5"
    fi
}

# Starts a persistent wineserver and Wine's background services. The services inherit the
# standard handles of the program that starts them, so they are started here with none: else
# they would hold the output pipe of the first test open and ctest would wait for it.
wine_server_up() {
    # Refused (status 2) when a server of this prefix is running already: it serves as well.
    "$PELMORA_WINESERVER" -p || true
    "$PELMORA_WINE" cmd.exe /c exit </dev/null >/dev/null 2>&1 || true
}

wine_server_down() {
    "$PELMORA_WINESERVER" -k 2>/dev/null || true
}
