#!/usr/bin/env bash
# Puts together the files an installed copy of Pelmora consists of, as both the zip and the setup
# ship them: Pelmora.exe, our chime SOUND.wav, a sample Alarm_List.txt (weekly schedules only, so
# nothing in it can go past) and a short README.txt in Japanese and English.
# Usage: stage.sh OUT_DIR PELMORA_EXE     Needs sox and iconv.
set -euo pipefail

if [ $# -ne 2 ]; then
    echo "usage: $0 OUT_DIR PELMORA_EXE" >&2
    exit 2
fi
out=$1
exe=$2
here=$(dirname "$0")
mkdir -p "$out"

cp "$exe" "$out/Pelmora.exe"
"$here/make_sound.sh" "$out/SOUND.wav"
printf '%s\r\n' "ゴミ出し,MON, 7, 0" "朝礼,WKD, 8, 30" "散歩,EVD, 18, 0" |
    iconv -f UTF-8 -t CP932 >"$out/Alarm_List.txt"
# UTF-8 with a byte order mark and CR LF, so that Notepad shows it right on any Windows.
{
    printf '\xEF\xBB\xBF'
    sed 's/$/\r/' <<'TEXT'
Pelmora — アラームとスケジュールのお知らせ

【インストール】
セットアップ(Pelmora-<バージョン>-setup.exe)を実行してください。管理者の権限は
いりません。Pelmora は %LOCALAPPDATA%\Programs\Pelmora(変更できます)に入り、
スタートメニューに登録されます。「Windowsの起動時にPelmoraを起動する」を
選んでおくと、Windows と一緒に起動します。削除は「設定」の「アプリ」から
行えます。更新してもスケジュール(Alarm_List.txt)はそのまま残り、削除の
ときは、スケジュールのファイルも削除するかどうかを確認します。

zip を使う場合は、フォルダーを書き込みのできる場所にそのまま置いてください
(例: C:\Users\<ユーザー名>\Pelmora)。C:\Program Files の下は避けてください。
Windows と一緒に起動するには、Win+R で shell:startup を開き、Pelmora.exe の
ショートカットを置いてください。

【使い方】
1. Pelmora.exe を起動すると、タスクトレイにアイコンが入ります。
   アイコンをクリックするとメニューが開きます。「終了」で終わります。
2. スケジュールは同じフォルダーの Alarm_List.txt に保存されます。
   このファイルは消さないでください(空のファイルでもかまいません)。
3. アラームの音は同じフォルダーの SOUND.wav です。好きな WAV ファイルに
   置き換えられます。

------------------------------------------------------------------------

Pelmora — alarm and schedule reminder (Japanese user interface)

Installing:
Run the setup (Pelmora-<version>-setup.exe); it needs no administrator rights.
Pelmora goes into %LOCALAPPDATA%\Programs\Pelmora (you may choose another
folder) and into the Start menu; leave "Windowsの起動時にPelmoraを起動する"
ticked to start it with Windows. Remove it from Settings, Apps. An update keeps
your schedules (Alarm_List.txt); removing Pelmora asks whether to delete them.

With the zip, keep the folder as it is, in a place you can write to
(e.g. C:\Users\<you>\Pelmora); avoid C:\Program Files. To start Pelmora with
Windows, press Win+R, open shell:startup and put a shortcut to Pelmora.exe
there.

How to use:
1. Start Pelmora.exe: its icon appears in the notification area. Click it for
   the menu; "終了" ends the program.
2. Schedules are kept in Alarm_List.txt in the same folder. Do not delete it
   (an empty file is fine).
3. The alarm sound is SOUND.wav in the same folder; replace it with any WAV
   file you like.
TEXT
} >"$out/README.txt"
