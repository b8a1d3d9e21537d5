#!/usr/bin/env bash
# The sound server dies during a recording: the program neither hangs nor crashes, completes the file
# and says "Recording device lost!". With no sound server at all (nor a sound card) a start from the
# command line says once that it cannot record, without the ALSA library's own error text, after a line
# for each option it does not take as written. The server
# is restarted afterwards for the tests that follow.
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

e2e_log "--- no sound server at all: the ALSA library is tried and fails"
status=0
(
  unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM SDL_AUDIODRIVER
  PULSE_SERVER=unix:$E2E_WORK/no-server timeout 20 "$E2E_PROGRAM" -b 24 -m -5 -a none alone.wav </dev/null \
    >/dev/null 2>alone.err
) || status=$?
sed 's/^/    /' alone.err
e2e_expect "it ends with status 1 (was $status)" test "$status" = 1
e2e_expect "its own message is on stderr once" \
  test "$(grep -c 'Recording device not available for use!' alone.err)" = 1
e2e_expect "no line of the ALSA library's own" bash -c "! grep -q '^ALSA lib' alone.err"
e2e_expect "-b 24 is said to be taken as 16 bit" grep -q ' -b 24: 16 bit taken instead' alone.err
e2e_expect "-m -5 is said to set no limit" grep -q ' -m: no value, ignored, so no stop limit is set' alone.err

restart_server
e2e_stop TERM
e2e_expect "orvimo2 ended cleanly (status $E2E_APP_STATUS)" test "$E2E_APP_STATUS" = 0
e2e_finish
