#!/usr/bin/env bash
# The display goes away while a recording runs (a logout ends the X server): Qt ends the program, and
# the recording is completed first, as a close would complete it: the WAV header matches the file,
# the FLAC stream gets its checksum and its full length.
source "$(dirname "$0")/lib.sh"
e2e_init display_goes_away "$1"
e2e_play_tone 1000 60

# record_until_display_dies <file>: on an X server of its own, about 3 s, then the server is killed.
record_until_display_dies() {
  local file=$1 xvfb
  rm -f "$E2E_WORK/display"
  Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$E2E_WORK/display" >/dev/null 2>&1 &
  xvfb=$!
  E2E_PIDS+=("$xvfb")
  e2e_wait_for 10 grep -q '^[0-9]' "$E2E_WORK/display" || e2e_die "the private X server did not start"
  DISPLAY=:$(cat "$E2E_WORK/display")
  e2e_start -a none "$file"
  e2e_find_window
  e2e_expect "$file grows" e2e_wait_growing "$file" 10
  sleep 3
  e2e_log "killing the X server $DISPLAY"
  kill -KILL "$xvfb"
  wait "$xvfb" 2>/dev/null || true
  e2e_expect "orvimo2 ends once its display is gone" e2e_wait_for 15 eval '! e2e_app_running'
  wait "$E2E_APP_PID" 2>/dev/null || true
}

record_until_display_dies take.wav
e2e_check_wav take.wav 2 44100 16 2.5 8 1000

record_until_display_dies take.flac
md5=$("$E2E_PYTHON" -c 'import sys; print(open(sys.argv[1], "rb").read()[26:42].hex())' take.flac)
header=$(soxi -s take.flac 2>/dev/null || echo 0)
decoded=$(ffmpeg -nostdin -v quiet -i take.flac -f s16le - 2>/dev/null | wc -c)
e2e_log "take.flac: checksum $md5, $header frames in its header, $((decoded / 4)) decoded"
e2e_expect "the FLAC stream was finished: its checksum is set" test "$md5" != 00000000000000000000000000000000
e2e_expect "its header holds every frame that decodes" test "$header" = $((decoded / 4))
e2e_finish
