#!/usr/bin/env bash
# Faults met while recording, on the real program: a start that fails over an existing file destroys
# nothing; a folder removed mid-recording is made again with all the audio; a write refused by the file
# size limit goes on into " (2)", " (3)" ... without a gap; kill -9 leaves a header that lags the data
# by at most half a second.
source "$(dirname "$0")/lib.sh"
faults_init recording_faults "$1"
e2e_play_tone 1000 90
out=$E2E_WORK/out
mkdir -p "$out"
log=$E2E_WORK/orvimo2.log

e2e_log "--- a failed start over an existing file"
head -c 100000 /dev/urandom >"$out/keep.wav"
cp "$out/keep.wav" "$E2E_WORK/keep.orig"
e2e_start -f 0 "$out/keep.wav"
if error=$(faults_wait_dialog Error 15 "$E2E_APP_PID"); then
  faults_dismiss "$error"
else
  e2e_fail "no \"Error\" dialog for a sample rate of 0"
fi
e2e_expect "keep.wav is byte for byte as it was" cmp -s "$out/keep.wav" "$E2E_WORK/keep.orig"
e2e_expect "no temporary is left beside it" test "$(ls -A "$out" | wc -l)" = 1
e2e_stop TERM

e2e_log "--- the output folder removed while recording"
mkdir -p "$out/gone"
e2e_start "$out/gone/take.wav"
e2e_find_window
e2e_expect "take.wav grows" e2e_wait_growing "$out/gone/take.wav" 8
sleep 2
rm -rf "$out/gone"
sleep 3
e2e_expect "take.wav is written again and grows" faults_grows "$out/gone/take.wav" 1
e2e_expect "the removal is on stderr" grep -q "was removed" "$log"
e2e_stop TERM
e2e_check_wav "$out/gone/take.wav" 2 44100 16 5 30 1000

e2e_log "--- writes refused by the file size limit (EFBIG) go on into the next parts"
limited=$E2E_WORK/limited-orvimo2
printf '#!/bin/bash\nulimit -f 1024\ntrap "" XFSZ\nexec %q "$@"\n' "$E2E_PROGRAM" >"$limited"
chmod +x "$limited"
real_program=$E2E_PROGRAM
E2E_PROGRAM=$limited
e2e_start "$out/limited.wav"
E2E_PROGRAM=$real_program
e2e_find_window
e2e_expect "a third part, \"limited (3).wav\", begins" e2e_wait_growing "$out/limited (3).wav" 20
sleep 1
e2e_expect "no dialog opened" test -z "$(faults_visible_dialogs "$E2E_APP_PID")"
e2e_stop TERM
e2e_expect "nothing was refused for good" bash -c "! grep -q 'Cannot write' '$log'"
e2e_expect "nothing was lost" bash -c "! grep -q 'dropout' '$log'"
total=0
for part in "$out/limited.wav" "$out/limited (2).wav"; do
  e2e_check_wav "$part" 2 44100 16 5.94 5.95 1000
  e2e_probe "$part"
  e2e_expect "$(basename "$part") fills the 1 MiB limit with whole frames ($P_disk_data_size)" \
    test "$P_disk_data_size" = 1048532
done
for part in "$out"/limited*.wav; do
  e2e_probe "$part"
  e2e_expect "$(basename "$part"): the header's sizes match the file's length" faults_header_matches "$part"
  total=$((total + P_disk_data_size))
done
e2e_log "EFBIG: $(ls "$out"/limited*.wav | wc -l) parts, $total bytes of audio together"
e2e_expect "the parts hold more than two files' worth ($total bytes)" test "$total" -gt 2097064

e2e_log "--- kill -9"
e2e_start "$out/crash.wav"
e2e_expect "crash.wav grows" e2e_wait_growing "$out/crash.wav" 8
sleep 5
e2e_stop KILL
on_disk=$(awk -v n="$(file_size "$out/crash.wav")" 'BEGIN { printf "%.3f", (n - 44) / 176400 }')
by_wave=$("$E2E_PYTHON" -c 'import sys, wave; w = wave.open(sys.argv[1]); print("%.3f" % (w.getnframes() / w.getframerate()))' "$out/crash.wav")
by_soxi=$(soxi -D "$out/crash.wav")
loss=$(awk -v a="$on_disk" -v b="$by_wave" 'BEGIN { printf "%.3f", a - b }')
e2e_log "KILL9: $on_disk s on disk, python wave $by_wave s, soxi $by_soxi s: $loss s out of reach"
e2e_expect "python's wave reads all but at most half a second ($loss s)" float_between "$loss" 0 0.51
e2e_expect "soxi agrees with python's wave" float_between "$(awk -v a="$by_soxi" -v b="$by_wave" 'BEGIN { print a - b }')" -0.001 0.001
e2e_finish
