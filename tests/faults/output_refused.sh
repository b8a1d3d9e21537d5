#!/usr/bin/env bash
# The output cannot be created: its folder went away, or another Orvimo holds the same file. A clear
# error dialog, no recording half-started, the program keeps running, and the next start works once
# the cause is gone.
source "$(dirname "$0")/lib.sh"
faults_init output_refused "$1"
e2e_play_tone 1000 60

e2e_log "--- the output folder disappears"
folder=$E2E_WORK/out/gone
mkdir -p "$folder"
e2e_start -norec "$folder/take_[i].wav"
e2e_find_window
rmdir "$folder"
e2e_click_record
if error=$(faults_wait_dialog Error 10 "$E2E_APP_PID"); then
  e2e_screenshot "$error" "$ORVIMO_ARTIFACTS/fault-missing-folder-error.png"
  faults_dismiss "$error"
else
  e2e_fail "no \"Error\" dialog after a start into a missing folder"
fi
e2e_expect "no file and no folder appeared" test ! -e "$folder"
e2e_expect "orvimo2 still runs" e2e_app_running
mkdir -p "$folder"
e2e_click_record
e2e_expect "the next start records into take_2.wav" e2e_wait_growing "$folder/take_2.wav" 8
sleep 1
e2e_click_record
e2e_expect "take_2.wav stops growing after the second click" e2e_stable_size "$folder/take_2.wav" 1.5
e2e_check_wav "$folder/take_2.wav" 2 44100 16 0.5 10 1000
e2e_stop TERM

e2e_log "--- the file is held by another Orvimo"
shared=$E2E_WORK/out/shared.wav
e2e_start "$shared"
first=$E2E_APP_PID
e2e_expect "the first recorder writes shared.wav" e2e_wait_growing "$shared" 8
e2e_start "$shared"
second=$E2E_APP_PID
if error=$(faults_wait_dialog Error 15 "$second"); then
  e2e_screenshot "$error" "$ORVIMO_ARTIFACTS/fault-file-in-use-error.png"
else
  e2e_fail "the second recorder shows no \"Error\" dialog"
fi
e2e_expect "the first recorder's file keeps growing" faults_grows "$shared" 1
e2e_expect "the second recorder does not hold the file" faults_not_open "$second" "$shared"
E2E_APP_PID=$first
e2e_stop TERM
first_copy=$E2E_WORK/out/first.wav
mv "$shared" "$first_copy"
e2e_check_wav "$first_copy" 2 44100 16 0.5 20 1000

E2E_APP_PID=$second
e2e_expect "the second recorder still runs" e2e_app_running
[[ -n "${error:-}" ]] && faults_dismiss "$error"
window=$(faults_main_window "$second") || e2e_die "the second recorder has no window"
faults_click_record "$window"
e2e_expect "with the first one gone, the second recorder records into shared.wav" e2e_wait_growing "$shared" 8
sleep 1
e2e_stop TERM
e2e_check_wav "$shared" 2 44100 16 0.5 10 1000
e2e_finish
