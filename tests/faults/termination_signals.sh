#!/usr/bin/env bash
# SIGTERM, SIGINT and SIGHUP during a recording close the program as a person's close would: the file
# is completed and the settings are saved.
source "$(dirname "$0")/lib.sh"
faults_init termination_signals "$1"

e2e_play_tone 1000 40
for signal in TERM INT HUP; do
  file=$E2E_WORK/out/sig_$signal.wav
  rm -f "$E2E_SETTINGS"
  e2e_start "$file"
  e2e_find_window
  e2e_expect "sig_$signal.wav grows" e2e_wait_growing "$file" 8
  sleep 2
  e2e_stop "$signal"
  e2e_expect "SIG$signal: orvimo2 ended cleanly (status $E2E_APP_STATUS)" test "$E2E_APP_STATUS" = 0
  e2e_expect "SIG$signal: the header's sizes match the file's length" faults_header_matches "$file"
  e2e_log "sig_$signal.wav: $P_file_size bytes, tone $P_tone_hz Hz"
  e2e_expect "SIG$signal: at least a second of audio" test "$P_disk_data_size" -ge 176400
  e2e_expect "SIG$signal: the recording holds the tone" float_between "$P_tone_hz" 990 1010
  e2e_expect "SIG$signal: the settings were saved" grep -q "^cOutHz_Value=44100" "$E2E_SETTINGS"
done
e2e_finish
