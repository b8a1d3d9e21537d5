#!/usr/bin/env bash
# The sound server dies during a recording: the program neither hangs nor crashes, completes the file
# and says "Recording device lost!". The server is restarted afterwards for the tests that follow.
source "$(dirname "$0")/lib.sh"
faults_init server_dies "$1"
restart_server() {
  pactl info >/dev/null 2>&1 || "$E2E_PULSE_SESSION" start "$ORVIMO_PULSE_DIR" >/dev/null
}
faults_on_exit restart_server

e2e_play_tone 1000 30
e2e_start "$E2E_WORK/out/lost.wav"
e2e_find_window
e2e_expect "lost.wav grows" e2e_wait_growing lost.wav 8
sleep 1

daemon=$(tr -dc '0-9' <"$ORVIMO_PULSE_DIR/runtime/pulse/pid")
e2e_log "killing the sound server (pid $daemon) with SIGKILL"
kill -KILL "$daemon"

if error=$(faults_wait_dialog Error 10 "$E2E_APP_PID"); then
  e2e_screenshot "$error" "$ORVIMO_ARTIFACTS/fault-device-lost-error.png"
  e2e_log "\"Error\" dialog after the server's death"
else
  e2e_fail "no \"Error\" dialog within 10 s of the server's death"
fi
e2e_expect "orvimo2 still runs" e2e_app_running
e2e_expect "the window still answers" xdotool getwindowname "$E2E_WINDOW"
e2e_expect "the file is closed" faults_not_open "$E2E_APP_PID" lost.wav
e2e_expect "the file no longer grows" e2e_stable_size lost.wav 2
e2e_expect "the header's sizes match the file's length" faults_header_matches lost.wav
e2e_log "lost.wav: $P_file_size bytes, tone $P_tone_hz Hz"
e2e_expect "the recording holds the tone" float_between "$P_tone_hz" 990 1010
[[ -n "${error:-}" ]] && faults_dismiss "$error"

restart_server
e2e_stop TERM
e2e_expect "orvimo2 ended cleanly (status $E2E_APP_STATUS)" test "$E2E_APP_STATUS" = 0
e2e_finish
