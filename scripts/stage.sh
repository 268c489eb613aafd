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

■ メニュー
「アラームスケジュール一覧と追加・削除」
    スケジュールの一覧を開きます。追加、変更、削除はここで行います。
「今日のアラームスケジュールを確認」
    今日鳴るスケジュールを、時刻の順に表示します。
「終了(&X)」(メニューでは「終了(X)」)
    スケジュールを保存して終わります。時刻を過ぎた日付のスケジュールは
    消えます。終わったあとは、アラームは鳴りません。

■ スケジュールの一覧
「*** 日付による登録 ***」は一度だけ鳴るスケジュール、
「*** 曜日による登録 ***」は毎週鳴るスケジュールです。
曜日の表示は、日 月 火 水 木 金 土、月～金、土日(土曜日と日曜日)、
毎日、月～土 です。
「新規追加」で追加、「削除」で選んだ行の削除、「閉じる」か Esc で閉じます。
キーボードでは、Tab で次に移り、上下の矢印キーで行を選びます。

■ 追加
「新規追加」を押すと、ダイアログ「アラームスケジュールの追加」が開きます。
名前を入力し、日時(曜日のスケジュールは曜日と時刻)を選んで「設定」を
押してください。数字の欄は入力もできます。Tab などで欄に移ると数字全体が
選ばれるので、そのまま入力すれば置き換わります。今より前の日時と、同じ
日時の二重の予約はできません。名前のコンマ「,」は「，」として保存します。
「キャンセル」か Esc では、何も追加しません。

■ 変更
一覧の行をダブルクリックするか、行を選んで Enter を押すと、ダイアログ
「アラームスケジュールの変更」が開きます。名前や日時を直して「設定」を
押すと、その場で置き換わり、「変更完了」と出ます。変更したスケジュールは
新しい時刻に鳴ります。「キャンセル」か Esc では、何も変わりません。
日付のスケジュールを曜日のスケジュールに(またはその逆に)変えるときは、
新しく追加してから、古いほうを削除してください。

■ 削除
行を選んで「削除」を押し、確認で「はい」を選んでください。

■ 今日のスケジュール
「済」はその時刻が来たもの(今の分を含みます)、「未」はこれからのもの
です。表示は開いたときのもので、開いたままでは「未」は「済」に変わり
ません。新しくするには、メニューからもう一度開いてください。

■ アラーム
時刻になると SOUND.wav が鳴り、画面の左上にウィンドウ「時間です。」が
出ます。15 秒たつか、「了解」を押すと消えます。

■ 見過ごしたアラーム
スリープ中などに時刻を過ぎたアラームは、復帰しても鳴りません。かわりに
音が一度鳴り、次のメッセージで、過ぎたアラームを古い順に知らせます
(直前の 24 時間の分、10 件まで)。
「次のアラームは、パソコンの停止中などに時刻を過ぎました。」

■ Alarm_List.txt を手で直すとき
・直す前に、ファイルのコピーを別の名前で取っておいてください。
・文字コードは Shift_JIS(日本語のメモ帳では ANSI)、改行は CR LF です。
・1 行に一つのスケジュールを、コンマで区切って書きます。
      名前,年,月,日,時,分      例: 歯医者,2027,1,5,14,0
      名前,曜日のコード,時,分  例: ゴミ出し,MON,7,0
  曜日のコード: SUN MON TUE WED THU FRI SAT(日～土)、WKD(月～金)、
  WKE(土日)、EVD(毎日)、MTS(月～土)
・空白は、名前の中のものも取り除かれます。名前のコンマは「，」にします。
・Pelmora が動いている間に保存すると、約 2 秒で読み直します。
・読めない行はメッセージで知らせて、使いません。コンマのない行(メモ)も
  使いません。そういう行は次に保存するときに消えます。そのときは、読んだ
  ままのファイルを Alarm_List.bak として残します(過去の日時の行だけの
  ときは残しません)。
・エディターで開いている間は、Pelmora で追加、変更、削除をしないで
  ください。あとからエディターで保存すると、その分が消えます。

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

The menu:
"アラームスケジュール一覧と追加・削除" (list, add, delete)
    Opens the schedule list, where schedules are added, changed and deleted.
"今日のアラームスケジュールを確認" (check today's schedules)
    Shows the schedules that ring today, by time.
"終了(&X)" (exit; shown as 終了(X))
    Saves the schedules and ends Pelmora. One-off schedules whose time has
    passed are removed. No alarm rings once Pelmora has ended.

The schedule list:
"*** 日付による登録 ***" holds the schedules that ring once,
"*** 曜日による登録 ***" those that ring every week. The days are shown as
日 月 火 水 木 金 土 (Sunday to Saturday), 月～金 (Monday to Friday),
土日 (Saturday and Sunday), 毎日 (every day) and 月～土 (Monday to Saturday).
"新規追加" adds, "削除" deletes the selected line, "閉じる" or Esc closes.
With the keyboard, Tab moves on and the up and down arrow keys select a line.

Adding:
"新規追加" opens the dialog "アラームスケジュールの追加". Type a name, pick
the date and time (for a weekly schedule, the days and the time) and press
"設定". The number boxes also take a typed number; a box you move to (by
Tab, for example) selects its whole number, so typing replaces it. A date
and time before now, or a second schedule at the same date and time, is
refused. A comma in a name is saved as "，". "キャンセル" or Esc adds nothing.

Changing:
A double-click on a line, or Enter on a selected line, opens the dialog
"アラームスケジュールの変更". Mend the name or the time and press "設定":
the schedule is replaced where it stands and "変更完了" (changed) says so.
It rings at its new time. "キャンセル" or Esc changes nothing. To turn a
one-off schedule into a weekly one (or back), add the new one, then delete
the old one.

Deleting:
Select a line, press "削除" and answer "はい" (yes).

Today's schedules:
"済" (done) marks a schedule whose time has come (the current minute
included), "未" (not yet) one still to come. The window shows the moment it
was opened: left open, "未" does not turn into "済". Open it again from the
menu to bring it up to date.

The alarm:
At a schedule's time SOUND.wav plays and the window "時間です。" (it is time)
shows at the top left of the screen. It goes after 15 seconds, or at "了解".

Missed alarms:
An alarm whose time passed while the computer slept does not ring on waking.
Instead the sound plays once and a message lists the alarms passed, oldest
first (those of the last 24 hours, at most ten):
"次のアラームは、パソコンの停止中などに時刻を過ぎました。"

Editing Alarm_List.txt by hand:
- Keep a copy of the file under another name first.
- The file is Shift_JIS ("ANSI" in Notepad on a Japanese Windows), with
  CR LF line ends.
- One schedule a line, its fields separated by commas:
      name,year,month,day,hour,minute   e.g. 歯医者,2027,1,5,14,0
      name,code,hour,minute             e.g. ゴミ出し,MON,7,0
  Codes: SUN MON TUE WED THU FRI SAT (one weekday), WKD (Monday to Friday),
  WKE (Saturday and Sunday), EVD (every day), MTS (Monday to Saturday).
- Blanks are removed, also inside names. For a comma in a name, use "，".
- A file saved while Pelmora runs is read again within about 2 seconds.
- A line that cannot be read is shown in a message and left out; a line
  without a comma (a note) is left out without one. Such lines are gone
  after the next save, which first keeps the file as it was read as
  Alarm_List.bak (not when the only such lines were past one-off schedules).
- While the file is open in an editor, do not add, change or delete
  schedules in Pelmora: saving the editor's copy afterwards would undo them.
TEXT
} >"$out/README.txt"
