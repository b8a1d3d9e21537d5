#!/usr/bin/env bash
# The Windows program with the keyboard alone, keys as X delivers them to Wine, through the program's
# own message loop: Shift+Tab reaches the record button and Space starts; Ctrl+P pauses (the file stops
# growing), the Pause key resumes, Ctrl+R stops and completes the file.
source "$(dirname "$0")/../lib.sh"
e2e_init wine_keyboard "$1"

e2e_play_tone 1000 30
e2e_start /norec "$(e2e_path "$E2E_WORK/out/keys.wav")"
e2e_find_window 60
sleep 2
xdotool windowfocus --sync "$E2E_WINDOW" 2>/dev/null || true
e2e_keys() {
  e2e_log "keys: $*"
  xdotool key --clearmodifiers --delay 150 "$@"
}
e2e_expect "nothing records before a key" test ! -e keys.wav
# The file name has the focus when the window shows; back past the device list is the record button.
e2e_keys shift+Tab shift+Tab space
e2e_expect "Space on the record button starts recording" e2e_wait_growing keys.wav 10
e2e_keys ctrl+p
sleep 0.5
e2e_expect "Ctrl+P pauses: the file stops growing" e2e_stable_size keys.wav 2
e2e_keys Pause
e2e_expect "Pause resumes: the file grows again" e2e_wait_size keys.wav $(($(file_size keys.wav) + 44100)) 5
sleep 2
e2e_keys ctrl+r
sleep 0.5
e2e_expect "Ctrl+R stops: the file stops growing" e2e_stable_size keys.wav 2
e2e_check_wav keys.wav 2 44100 16 2 15 1000
e2e_stop TERM
e2e_expect "orvimo2.exe exits with status 0 after its window closed" test "$E2E_APP_STATUS" = 0
e2e_finish
