#!/usr/bin/env bash
# No arguments: nothing records until the record button is clicked; the first click records into
# Recording_1.wav in the current folder, the second stops it and completes the file. The screenshot
# taken while recording is kept as a test artefact.
source "$(dirname "$0")/lib.sh"
e2e_init record_button_click "$1"

e2e_play_tone 1000 30
e2e_start
e2e_find_window
sleep 2
e2e_expect "nothing records before the click" test -z "$(ls -A .)"
e2e_click_record
e2e_expect "the click starts a recording into Recording_1.wav" e2e_wait_growing Recording_1.wav 8
sleep 3
shot=${ORVIMO_ARTIFACTS:?}/orvimo2-window.png
e2e_screenshot "$E2E_WINDOW" "$shot"
e2e_expect "the screenshot is the window's client area, 285 x 280" test "$(identify -format %wx%h "$shot")" = 285x280
e2e_expect "the screenshot is no blank area ($(convert "$shot" -format %k info:) colours)" \
  test "$(convert "$shot" -format %k info:)" -gt 30
# The meter draws into a window of its own: covered and uncovered again, it shows the same bar (a
# steady tone holds it still), not what was over it nor an empty strip.
bar=$(e2e_meter_bar "$shot")
e2e_expect "the meter shows the tone's level ($bar pixels)" test "$bar" -gt 10
xmessage -geometry 200x40+60+25 "over the meter" </dev/null >/dev/null 2>&1 &
cover=$!
sleep 1
kill "$cover"
sleep 0.5
e2e_screenshot "$E2E_WINDOW" "$E2E_WORK/uncovered.png"
uncovered=$(e2e_meter_bar "$E2E_WORK/uncovered.png")
e2e_expect "the uncovered meter shows the same bar ($uncovered pixels)" test $((uncovered - bar)) -ge -2 -a $((uncovered - bar)) -le 2
# Wholly covered, as a screen locker's window covers it, the meter sleeps until the window shows again.
xmessage -geometry "$(xdotool getdisplaygeometry | tr ' ' x)+0+0" "covers the screen" </dev/null >/dev/null 2>&1 &
cover=$!
sleep 1
covered=$(e2e_main_thread_wakeups 2)
kill "$cover"
sleep 1
uncovered=$(e2e_main_thread_wakeups 2)
e2e_expect "covered, the window's thread wakes $covered times a second, the meter sleeps" test "$covered" -lt 10
e2e_expect "uncovered, it wakes $uncovered times a second, the meter runs again" test "$uncovered" -ge 30
e2e_click_record
e2e_expect "the second click stops the recording (the file stops growing)" e2e_stable_size Recording_1.wav 2
e2e_check_wav Recording_1.wav 2 44100 16 2 15 1000
e2e_expect "orvimo2 still runs after the stop" e2e_app_running
e2e_expect "no second file appeared" test ! -e Recording_2.wav
e2e_stop TERM
e2e_expect "orvimo2 exits with status 0 after SIGTERM" test "$E2E_APP_STATUS" = 0
e2e_finish
