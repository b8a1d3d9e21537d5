#!/usr/bin/env bash
# Format options on the command line: 8-bit mono 8000 Hz. With four entries the settings store is
# off for the run, so nothing is written.
source "$(dirname "$0")/lib.sh"
e2e_init small_format_from_options "$1"

e2e_play_tone 1000 20
e2e_start -b 8 -c 1 -f 8000 "$E2E_WORK/out/small.wav"
e2e_find_window
e2e_expect "small.wav grows while recording" e2e_wait_size small.wav 2000 8
sleep 3
e2e_stop TERM
e2e_expect "orvimo2 exits with status 0 after SIGTERM" test "$E2E_APP_STATUS" = 0
e2e_check_wav small.wav 1 8000 8 1.5 4 1000
e2e_expect "no settings file is written" test ! -e "$E2E_SETTINGS"
e2e_finish
