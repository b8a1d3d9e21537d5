#!/usr/bin/env bash
# Disk full: recording onto a small scratch disk, the guard pauses with its warning while there is still
# room, and the file stays a valid WAV holding every byte that was written.
source "$(dirname "$0")/lib.sh"
faults_init disk_full "$1"

disk=$E2E_WORK/disk
mkdir -p "$disk"
mount -t tmpfs -o size=2m tmpfs "$disk" || e2e_die "cannot mount a scratch tmpfs (root needed)"
faults_on_exit "umount -l '$disk'"
free_kb() { df --output=avail -k "$disk" | tail -n 1 | tr -d ' '; }
e2e_log "scratch disk $disk: $(free_kb) KB free"

e2e_play_tone 1000 30
e2e_start "$disk/full.wav"
e2e_find_window
e2e_expect "full.wav grows" e2e_wait_growing "$disk/full.wav" 8

# 2 MB at 176400 bytes a second: the guard must act within about 12 s.
if warning=$(faults_wait_dialog Warning 25 "$E2E_APP_PID"); then
  # The message itself is checked word for word by the window's unit tests; here its picture is kept.
  e2e_screenshot "$warning" "$ORVIMO_ARTIFACTS/fault-disk-full-warning.png"
  e2e_log "\"Warning\" dialog; $(free_kb) KB free, file $(file_size "$disk/full.wav") bytes"
  e2e_expect "paused with room left on the disk" test "$(free_kb)" -gt 0
  e2e_expect "nothing is written while paused" e2e_stable_size "$disk/full.wav" 2
  faults_dismiss "$warning"
else
  e2e_fail "no \"Warning\" dialog within 25 s; $(free_kb) KB free, file $(file_size "$disk/full.wav") bytes"
fi
e2e_expect "orvimo2 still runs" e2e_app_running
e2e_stop TERM
e2e_expect "orvimo2 ended cleanly after the pause (status $E2E_APP_STATUS)" test "$E2E_APP_STATUS" = 0

e2e_probe "$disk/full.wav"
e2e_log "full.wav: $P_file_size bytes, header data size $P_data_size, riff size $P_riff_size"
e2e_expect "the header's sizes match the file's length" faults_header_matches "$disk/full.wav"
e2e_expect "whole sample frames on disk (no short write)" test $((P_disk_data_size % 4)) = 0
e2e_expect "most of the disk was used before the pause" test "$P_file_size" -gt 1500000
e2e_expect "soxi reads the file" test "$(soxi -c "$disk/full.wav" 2>/dev/null)" = 2
e2e_expect "the recording holds the tone" float_between "$P_tone_hz" 990 1010
e2e_finish
