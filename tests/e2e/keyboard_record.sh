#!/usr/bin/env bash
# The keyboard alone records, under a window manager as a desktop has: Tab reaches the record button
# and Space starts; Ctrl+R stops and starts again; Ctrl+P pauses (the file stops growing) and resumes,
# and so does the Pause key.
source "$(dirname "$0")/lib.sh"
e2e_init keyboard_record "$1"

# A window manager for this test only: it gives the window the input focus as a desktop does.
E2E_PIDS+=("$("$E2E_LIB_DIR/window-manager" start "$E2E_WORK")")

key() {
  e2e_log "key $*"
  xdotool key --clearmodifiers --delay 80 "$@"
  sleep 0.3
}
# The focus frame is a dotted line three pixels inside the button (at 5, 5 in the window): its left
# column is half black.
record_button_focused() {
  import -window "$E2E_WINDOW" "$E2E_WORK/focus.png"
  local black
  black=$(convert "$E2E_WORK/focus.png" -crop 1x30+8+10 +repage -fill white +opaque black -negate \
    -format '%[fx:round(mean*h)]' info:)
  ((black >= 10))
}

e2e_play_tone 1000 60
e2e_start
e2e_find_window
xdotool windowactivate --sync "$E2E_WINDOW"
sleep 0.5
not() { ! "$@"; }
e2e_expect "the record button has no focus at first (the file edit has)" not record_button_focused
# From the file edit Tab goes on through the window and round to the record button: the browse button,
# bits, channels, file type, rate, Start with its date and time, Stop, the checked radio button (the
# arrow keys choose the other) with the date and time, the amount and its unit, When finished.
for ((i = 0; i < 16; i++)); do xdotool key --clearmodifiers Tab; sleep 0.1; done
sleep 0.3
e2e_expect "Tab reaches the record button: its focus frame shows" record_button_focused
key space
e2e_expect "Space starts a recording into Recording_1.wav" e2e_wait_growing Recording_1.wav 8
sleep 1
key ctrl+r
e2e_expect "Ctrl+R stops it: the file stops growing" e2e_stable_size Recording_1.wav 1.5
key ctrl+r
e2e_expect "Ctrl+R starts the next recording into Recording_2.wav" e2e_wait_growing Recording_2.wav 8
key ctrl+p
e2e_expect "Ctrl+P pauses: the file stops growing" e2e_stable_size Recording_2.wav 1.5
paused_size=$(file_size Recording_2.wav)
key ctrl+p
e2e_expect "Ctrl+P again resumes: the file grows" e2e_wait_size Recording_2.wav $((paused_size + 44100)) 5
key Pause
e2e_expect "the Pause key pauses too" e2e_stable_size Recording_2.wav 1.5
key Pause
resumed_size=$(file_size Recording_2.wav)
e2e_expect "and resumes" e2e_wait_size Recording_2.wav $((resumed_size + 44100)) 5
key ctrl+r
e2e_expect "Ctrl+R stops it" e2e_stable_size Recording_2.wav 1.5
e2e_check_wav Recording_1.wav 2 44100 16 0.5 30 1000
e2e_check_wav Recording_2.wav 2 44100 16 1 30 1000
e2e_stop TERM
e2e_expect "orvimo2 exits with status 0" test "$E2E_APP_STATUS" = 0
e2e_finish
