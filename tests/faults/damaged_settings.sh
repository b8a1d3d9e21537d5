#!/usr/bin/env bash
# A settings file that is corrupt, truncated, binary, read-only or holds values of the wrong kind: the
# program starts with its window visible and defaults for what cannot be read, shows no dialog, never
# crashes, and a close (also while recording) still ends it.
source "$(dirname "$0")/lib.sh"
faults_init damaged_settings "$1"
config=$(dirname "$E2E_SETTINGS")

good_settings() {
  printf '%s\n' '[TfrmMain]' 'FormVersion=0' 'Flags=0' 'PixelsPerInch=96' 'NormPos="10,20,430,400"' \
    'cbStop_Checked=False' 'cOutFormatB_ItemIndex=0' 'cOutFormatC_ItemIndex=0' 'cOutHz_Value=22050' \
    'cOutType_ItemIndex=0' 'cStopAt_ItemIndex=1' 'cWhenFinished_ItemIndex=0' 'dtStart_Date=46362.5' \
    'dtStop_Date=46362.6' 'dtTStart_Time=46362.5' 'dtTStop_Time=46362.6' 'rbStopAt_Checked=True' \
    'rbStopTime_Checked=False' 'seStopAt_Value=5'
}

# One run: starts the program (with any arguments), checks the start, closes it with SIGTERM.
run_with_settings() {
  local variant=$1
  shift
  e2e_log "--- settings file: $variant"
  e2e_start "$@"
  if E2E_WINDOW=$(faults_main_window "$E2E_APP_PID" 10); then
    sleep 1.5
  else
    e2e_fail "$variant: the main window did not show within 10 s"
  fi
  local dialogs window
  dialogs=$(faults_visible_dialogs "$E2E_APP_PID")
  e2e_expect "$variant: no dialog at start-up" test -z "$dialogs"
  for window in $dialogs; do
    e2e_log "$variant: unexpected window '$(xdotool getwindowname "$window" 2>/dev/null)'"
    e2e_screenshot "$window" "$ORVIMO_ARTIFACTS/fault-settings-${variant// /-}-dialog.png" || true
    faults_dismiss "$window"
  done
  e2e_expect "$variant: orvimo2 runs" e2e_app_running
  e2e_stop TERM
  e2e_expect "$variant: orvimo2 ended cleanly (status $E2E_APP_STATUS)" test "$E2E_APP_STATUS" = 0
}

mkdir -p "$config"

good_settings | head -c 190 >"$E2E_SETTINGS"
run_with_settings truncated

printf '%s\n' '[TfrmMain' 'cOutHz_Value===' '[[[]]]' '=abc' 'NormPos' 'MinMaxPos=,,,,,,,,' ']]' \
  'cOutFormatB_ItemIndex' '\' '"unterminated' >"$E2E_SETTINGS"
run_with_settings corrupt

/usr/bin/python3 -c 'import random, sys; r = random.Random(8); sys.stdout.buffer.write(bytes(r.getrandbits(8) for _ in range(8192)))' >"$E2E_SETTINGS"
run_with_settings binary

printf '%s\n' '[TfrmMain]' 'FormVersion=x' 'Flags=-' 'PixelsPerInch=ninety-six' 'NormPos="a,b,c,d"' \
  'MinMaxPos="99999999999,1,2"' 'cbStop_Checked=yes' 'cOutFormatB_ItemIndex=abc' 'cOutFormatC_ItemIndex=7' \
  'cOutHz_Value=banana' 'cStopAt_ItemIndex=-5' 'cWhenFinished_ItemIndex=2147483648' 'dtStart_Date=nan' \
  'dtStop_Date=1e308' 'dtTStart_Time=-1e308' 'dtTStop_Time=inf' 'rbStopAt_Checked=1' \
  'seStopAt_Value=1e309' >"$E2E_SETTINGS"
run_with_settings "wrong kinds"
# What could not be read kept its default, and the close saved the defaults back.
e2e_expect "wrong kinds: an integer that does not convert selects 0" grep -qx 'cOutFormatB_ItemIndex=0' "$E2E_SETTINGS"
e2e_expect "wrong kinds: the sample rate kept 44100" grep -qx 'cOutHz_Value=44100' "$E2E_SETTINGS"
e2e_expect "wrong kinds: \"yes\" left Stop: unchecked" grep -qx 'cbStop_Checked=False' "$E2E_SETTINGS"

# Edited by hand: the rectangle written without the quotes the program itself writes. Any INI reader
# takes the commas as a list; the program must still read it as the text it is.
printf '%s\n' '[TfrmMain]' 'NormPos=10,20,430,400' 'MinMaxPos=-1,-1,-1,-1' 'cOutHz_Value=22050' >"$E2E_SETTINGS"
run_with_settings "hand-edited"
# Restored, so saved again at the close (a failed restore saves nothing): the save writes FormVersion.
e2e_expect "hand-edited: restored and saved back" grep -qx 'FormVersion=0' "$E2E_SETTINGS"
e2e_expect "hand-edited: the sample rate was restored" grep -qx 'cOutHz_Value=22050' "$E2E_SETTINGS"

# Read-only: a mount that not even root can write to. The store's values are used; the close must still
# end the program and complete the recording although nothing can be saved.
good_settings >"$E2E_SETTINGS"
mount --bind "$config" "$config" && mount -o remount,bind,ro "$config" || e2e_die "cannot make $config read-only"
faults_on_exit "umount -l '$config'"
e2e_play_tone 1000 20
run_with_settings "read-only" "$E2E_WORK/out/readonly.wav"
e2e_expect "read-only: the settings file is unchanged" test "$(good_settings)" = "$(cat "$E2E_SETTINGS")"
e2e_expect "read-only: the recording was completed" faults_header_matches "$E2E_WORK/out/readonly.wav"
e2e_finish
