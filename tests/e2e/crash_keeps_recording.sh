#!/usr/bin/env bash
# A recording killed outright (SIGKILL, as a crash or a power cut would end it) stays readable: the
# header is brought up to date once a second, so a reader finds nearly all of the audio on disk.
source "$(dirname "$0")/lib.sh"
e2e_init crash_keeps_recording "$1"

e2e_play_tone 1000 20
e2e_start "$E2E_WORK/out/crash.wav"
e2e_find_window
e2e_expect "crash.wav grows while recording" e2e_wait_growing crash.wav 8
sleep 4
e2e_stop KILL
e2e_probe crash.wav
on_disk=$(awk -v n="$P_disk_data_size" 'BEGIN { printf "%.3f", n / 176400 }')
header_says=$(soxi -D crash.wav 2>&1 || true)
e2e_log "after SIGKILL: $P_file_size bytes, audio on disk $on_disk s, the header says $header_says s (data size $P_data_size)"
e2e_expect "soxi reads the killed file ($header_says s)" float_between "$header_says" 0.5 1e9
e2e_expect "the header's duration is within 1.2 s of the audio on disk" \
  float_between "$(awk -v a="$header_says" -v b="$on_disk" 'BEGIN { print b - a }')" -0.01 1.2
e2e_expect "the header never claims more data than the file holds" test "$P_data_size" -le "$P_disk_data_size"
e2e_expect "soxi reads 2 channels, 44100 Hz, 16 bits" \
  test "$(soxi -c crash.wav)/$(soxi -r crash.wav)/$(soxi -b crash.wav)" = "2/44100/16"
e2e_log "tone $P_tone_hz Hz"
e2e_expect "the killed file holds the tone" float_between "$P_tone_hz" 990 1010
e2e_finish
