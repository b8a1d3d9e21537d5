#!/usr/bin/env bash
# Unattended recording in pieces: "-m 1 -a new take.wav" records take.wav, take(2).wav, take(3).wav ...
# of exactly 1 MiB of audio each. A linear sweep is played instead of a steady tone, so the sweep's frequency at the
# end of one file and at the start of the next tells how much audio fell between them. The Windows
# program runs it too, with "/m 1 /a new".
source "$(dirname "$0")/lib.sh"
e2e_init new_recording_chain "$1"

readonly SWEEP_F0=300 SWEEP_RATE=100 SWEEP_SECONDS=45 # f(t) = 300 Hz + 100 Hz/s * t
sox -n -r 44100 -c 2 -b 16 -e signed-integer "$E2E_WORK/sweep.wav" \
  synth "$SWEEP_SECONDS" sine "$SWEEP_F0:$((SWEEP_F0 + SWEEP_RATE * SWEEP_SECONDS))" vol 0.5
e2e_play_file "$E2E_WORK/sweep.wav"
e2e_start "${E2E_OPT}m" 1 "${E2E_OPT}a" new "$(e2e_path "$E2E_WORK/out/take.wav")"
e2e_find_window
# take(3).wav is complete once take(4).wav has begun.
e2e_expect "the chain reaches a fourth file" e2e_wait_growing 'take(4).wav' 40
e2e_stop TERM
e2e_expect "orvimo2 exits with status 0 after SIGTERM" test "$E2E_APP_STATUS" = 0
ls -l --time-style=+%T.%N

readonly MIB=1048576 RATE=176400
files=(take.wav 'take(2).wav' 'take(3).wav')
for file in "${files[@]}"; do
  # The writer switches files at the limit's own byte.
  e2e_check_wav "$file" 2 44100 16 5.94 5.95 ""
  e2e_probe "$file"
  e2e_expect "$file holds exactly $MIB data bytes ($P_data_size)" test "$P_data_size" = "$MIB"
done

# Audio lost between two pieces, from the sweep and, as a cross-check, from the files' times.
previous_tail="" previous_mtime=""
for file in "${files[@]}" 'take(4).wav'; do
  S_head_sweep_time="" S_tail_sweep_time="" S_first_sound_seconds=""
  eval "$("$E2E_PYTHON" "$E2E_LIB_DIR/wav_probe.py" sweep "$file" "$SWEEP_F0" "$SWEEP_RATE" | sed 's/^/S_/')" || true
  if [[ -z "$S_head_sweep_time" ]]; then
    e2e_fail "$file: no sweep found"
    continue
  fi
  mtime=$(stat -c %.Y "$file")
  seconds=$(awk -v n="$(file_size "$file")" -v r="$RATE" 'BEGIN { print (n - 44) / r }')
  e2e_log "$file: sweep time $S_head_sweep_time .. $S_tail_sweep_time s, first sound after $S_first_sound_seconds s, $seconds s of audio"
  if [[ -n "$previous_tail" ]]; then
    gap=$(awk -v a="$previous_tail" -v b="$S_head_sweep_time" 'BEGIN { printf "%.3f", b - a }')
    clock_gap=$(awk -v m0="$previous_mtime" -v m1="$mtime" -v d="$seconds" 'BEGIN { printf "%.3f", (m1 - d) - m0 }')
    e2e_log "GAP before $file: $gap s of audio lost (from the sweep); $clock_gap s (from file times and lengths)"
    e2e_expect "no audio is doubled between pieces ($gap s)" float_between "$gap" -0.02 1e9
    e2e_expect "the gap before $file stays under 2.5 s ($gap s)" float_between "$gap" -1 2.5
  fi
  previous_tail=$S_tail_sweep_time
  previous_mtime=$mtime
done
e2e_finish
