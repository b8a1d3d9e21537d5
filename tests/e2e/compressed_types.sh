#!/usr/bin/env bash
# FLAC, Opus and MP3 from the command line: the name's extension or -t chooses the type. A clean close
# leaves a whole stream; a kill -9 leaves a file that ffmpeg decodes to within a second of what was
# recorded, and FLAC's length field never claims more than decodes.
source "$(dirname "$0")/lib.sh"
e2e_init compressed_types "$1"

# Seconds of audio ffmpeg decodes from the file (at 44.1 kHz stereo, whatever the stream's own rate).
decoded_seconds() {
  ffmpeg -nostdin -v quiet -i "$1" -f s16le -ac 2 -ar 44100 - 2>/dev/null | wc -c |
    awk '{ printf "%.2f", $1 / 176400 }'
}

# record <file the program writes> <signal> <arguments...>: about 4 s, then the signal; sets RECORDED
# (seconds from the file's first bytes to the signal) and DECODED.
record() {
  local file=$1 signal=$2 began
  shift 2
  e2e_start "$@"
  e2e_find_window
  e2e_expect "$file appears" e2e_wait_size "$file" 1 8
  began=$(date +%s.%N)
  sleep 4
  e2e_stop "$signal"
  RECORDED=$(awk -v b="$began" -v e="$(date +%s.%N)" 'BEGIN { printf "%.2f", e - b }')
  DECODED=$(decoded_seconds "$file")
  e2e_log "$file after SIG$signal: $(file_size "$file") bytes ($(awk -v b="$(file_size "$file")" -v d="$DECODED" \
    'BEGIN { if (d > 0) printf "%.2f", b * 60 / d / 1e6 }') MB a minute), $DECODED s decoded of about $RECORDED s" \
    "recorded; ffprobe's length $(ffprobe -v quiet -show_entries format=duration -of csv=p=0 "$file" 2>/dev/null)"
}

e2e_play_tone 1000 120
for name in take.flac take.opus take.mp3; do
  record "$name" TERM -m 1 minutes -a none "$name"
  e2e_expect "$name decodes whole after a close ($DECODED s of $RECORDED s)" \
    float_between "$DECODED" "$(awk -v r="$RECORDED" 'BEGIN { print r - 1 }')" "$(awk -v r="$RECORDED" 'BEGIN { print r + 1 }')"
  rm -f "$name"
  record "$name" KILL "$name"
  e2e_expect "$name decodes all but a second after kill -9 ($DECODED s of $RECORDED s)" \
    float_between "$DECODED" "$(awk -v r="$RECORDED" 'BEGIN { print r - 1.2 }')" "$(awk -v r="$RECORDED" 'BEGIN { print r + 0.5 }')"
  if [[ $name == *.flac ]]; then
    length=$(soxi -D "$name" 2>/dev/null || echo 0)
    e2e_log "sox reads the killed FLAC as $length s"
    e2e_expect "sox's length of the killed FLAC ($length s) is no more than decodes ($DECODED s)" \
      float_between "$length" 0.5 "$(awk -v d="$DECODED" 'BEGIN { print d + 0.01 }')"
  fi
  rm -f "$name"
done

# The option wins over the name's extension, and says so.
record take.flac TERM -t flac take.wav
e2e_expect "-t flac writes take.flac, decoded ($DECODED s)" float_between "$DECODED" 2 "$(awk -v r="$RECORDED" 'BEGIN { print r + 1 }')"
e2e_expect "no take.wav" test ! -e take.wav
e2e_expect "stderr tells that the option won" grep -q -- '-t flac: FLAC recorded into "take.flac"' "$E2E_WORK/orvimo2.log"
e2e_finish
