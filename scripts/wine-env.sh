# Sourced by ./test and ./run: the Wine environment the Windows build runs in, and a prefix of
# our own made ready once (never ~/.wine).
: "${PELMORA_ROOT:=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}"
export WINEPREFIX="${WINEPREFIX:-$PELMORA_ROOT/build/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
# The Japanese locale makes code page 932 the ANSI code page, as on the user's machine.
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 TZ="${TZ:-Asia/Tokyo}"

# Japanese Windows' fonts are not here; the IPA fonts stand in for them, proportional for
# proportional, so that the layouts (made for their narrow kana) show their texts whole.
wine_japanese_fonts() {
    local pair
    for pair in "MS Shell Dlg=IPAPGothic" "MS UI Gothic=IPAPGothic" "ＭＳ Ｐゴシック=IPAPGothic" \
        "MS PGothic=IPAPGothic" \
        "ＭＳ ゴシック=IPAGothic" "MS Gothic=IPAGothic"; do
        wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "${pair%%=*}" \
            /d "${pair#*=}" /f >/dev/null 2>&1 || true
    done
}

wine_prefix_ready() {
    if [ ! -f "$WINEPREFIX/.pelmora-ready-v3" ]; then
        echo "wine: preparing $WINEPREFIX"
        mkdir -p "$WINEPREFIX"
        wineboot -i >/dev/null 2>&1 || true
        # Without a window manager every hidden window costs two seconds unless Wine is told
        # that it manages the windows itself.
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
        wine_japanese_fonts
        wineserver -w
        touch "$WINEPREFIX/.pelmora-ready-v3"
    fi
}

# Starts a persistent wineserver and Wine's background services. The services inherit the
# standard handles of the program that starts them, so they are started here with none: else
# they would hold the output pipe of the first test open and ctest would wait for it.
wine_server_up() {
    wineserver -p
    wine cmd.exe /c exit </dev/null >/dev/null 2>&1 || true
}
