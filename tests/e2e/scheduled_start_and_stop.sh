#!/usr/bin/env bash
# The scheduler from the command line: "-s <a minute ahead> -e <a minute later> -norec" records
# into Recording_1.wav from the start moment to the stop moment on its own.
source "$(dirname "$0")/lib.sh"
e2e_init scheduled_start_and_stop "$1"

now=$(date +%s)
start=$(((now / 60 + 1) * 60))
# Too close to the next minute the program might not be up in time: take the one after.
((start - now >= 8)) || start=$((start + 60))
stop=$((start + 60))
start_text=$(date -d "@$start" '+%Y-%m-%d %H:%M')
stop_text=$(date -d "@$stop" '+%H:%M')
# A bare time means today: past midnight the stop needs its date.
[[ $(date -d "@$start" +%F) == $(date -d "@$stop" +%F) ]] || stop_text=$(date -d "@$stop" '+%Y-%m-%d %H:%M')
e2e_log "start at $start_text, stop at $stop_text ($((start - now)) s from now)"

e2e_play_tone 1000 $((stop - now + 15))
e2e_start -s "$start_text" -e "$stop_text" -norec
e2e_find_window
e2e_sleep_until $((start - 2))
e2e_expect "nothing records before the start moment" test ! -e Recording_1.wav
e2e_expect "the recording starts on its own at $start_text" e2e_wait_growing Recording_1.wav 6
e2e_log "waiting for the stop moment $stop_text"
e2e_sleep_until "$stop"
e2e_wait_until_stable() {
  local deadline=$((SECONDS + 6))
  while ((SECONDS < deadline)); do
    e2e_stable_size Recording_1.wav 1.2 && return 0
  done
  return 1
}
e2e_expect "the recording stops on its own at $stop_text" e2e_wait_until_stable
e2e_expect "orvimo2 still runs after the scheduled stop" e2e_app_running
e2e_stop TERM
e2e_expect "orvimo2 exits with status 0 after SIGTERM" test "$E2E_APP_STATUS" = 0
e2e_check_wav Recording_1.wav 2 44100 16 56.5 62 1000
mtime=$(stat -c %.Y Recording_1.wav)
e2e_log "last write $(awk -v m="$mtime" -v s="$stop" 'BEGIN { printf "%.2f", m - s }') s after the stop moment"
e2e_expect "the last write falls within 2.5 s after the stop moment" \
  float_between "$(awk -v m="$mtime" -v s="$stop" 'BEGIN { print m - s }')" 0 2.5
e2e_expect "no second recording started" test ! -e Recording_2.wav
e2e_finish
