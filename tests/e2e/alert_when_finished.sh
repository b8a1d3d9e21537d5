#!/usr/bin/env bash
# "-a alert -m 1": after one megabyte (about six seconds) the recording stops and the alert "Your
# recording has finished as scheduled." titled "Orvimo" opens; the main window keeps working while
# it is open: a click on the record button starts the next recording.
source "$(dirname "$0")/lib.sh"
e2e_init alert_when_finished "$1"

e2e_play_tone 1000 30
e2e_start -a alert -m 1 "$E2E_WORK/out/a.wav"
e2e_find_window
e2e_expect "a.wav reaches one megabyte" e2e_wait_size a.wav $((1048576 + 44)) 12
alert=""
find_alert() {
  local deadline=$((SECONDS + 5))
  while ((SECONDS < deadline)); do
    alert=$(e2e_other_windows '^Orvimo$' | head -n 1)
    [[ -n "$alert" ]] && return 0
    sleep 0.2
  done
  return 1
}
e2e_expect "the alert titled 'Orvimo' opens" find_alert
e2e_expect "the recording has stopped (a.wav no longer grows)" e2e_stable_size a.wav 1.5
cp a.wav first.wav
e2e_check_wav first.wav 2 44100 16 5.9 7.2 1000
if [[ -n "$alert" ]]; then
  e2e_screenshot "$alert" "${ORVIMO_ARTIFACTS:?}/orvimo2-alert.png"
  # The title a window manager shows (_NET_WM_NAME, which xdotool prefers) must be the alert's own.
  title=$(xdotool getwindowname "$alert")
  e2e_expect "the alert's title bar reads 'Orvimo' ('$title')" test "$title" = Orvimo
fi

e2e_click_record
restarted() {
  local deadline=$((SECONDS + 6)) size
  while ((SECONDS < deadline)); do
    size=$(file_size a.wav)
    ((size > 4096 && size < 1048576)) && return 0
    sleep 0.1
  done
  return 1
}
e2e_expect "a click on the record button starts a new recording while the alert is open" restarted
e2e_expect "the new recording grows" e2e_wait_size a.wav 300000 6
e2e_expect "the alert is still open" test -n "$(e2e_other_windows '^Orvimo$')"
e2e_stop TERM
e2e_expect "orvimo2 exits with status 0 after SIGTERM, alert open or not" test "$E2E_APP_STATUS" = 0
e2e_check_wav a.wav 2 44100 16 1 6.5 1000
e2e_finish
