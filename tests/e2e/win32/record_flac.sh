#!/usr/bin/env bash
# The Windows program records FLAC when the file name says so; closing the window completes the
# stream, which ffmpeg decodes whole.
source "$(dirname "$0")/../lib.sh"
e2e_init wine_record_flac "$1"

e2e_play_tone 1000 30
e2e_start "$(e2e_path "$E2E_WORK/out/take.flac")"
e2e_find_window 60
e2e_expect "take.flac grows while recording" e2e_wait_growing take.flac 15
sleep 3
e2e_stop TERM
e2e_expect "orvimo2.exe exits with status 0 after its window closed" test "$E2E_APP_STATUS" = 0
decoded=$(ffmpeg -nostdin -v error -i take.flac -f s16le - 2>"$E2E_WORK/ffmpeg.log" | wc -c |
  awk '{ printf "%.2f", $1 / 176400 }')
e2e_log "take.flac: $(file_size take.flac) bytes, $decoded s decoded"
e2e_expect "ffmpeg decodes take.flac without an error" test ! -s "$E2E_WORK/ffmpeg.log"
e2e_expect "take.flac holds 2 to 8 s ($decoded s)" float_between "$decoded" 2 8
e2e_finish
