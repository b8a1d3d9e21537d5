#!/usr/bin/env bash
# Under a locale that writes its numbers in other digits (ar_EG: Arabic-Indic), a start from the
# command line records all the same, and into exactly the file named there: a byte of the name that
# is no UTF-8 stays that byte.
source "$(dirname "$0")/lib.sh"
e2e_init locale_digits_and_raw_name "$1"
locale -a | grep -qx 'ar_EG.utf8' || e2e_die "the locale ar_EG.UTF-8 is missing (scripts/install-deps generates it)"

file=$'take_\xff_1.wav'
e2e_play_tone 1000 20
LC_ALL=ar_EG.UTF-8 e2e_start "$E2E_WORK/out/"$'take_\xff_[i].wav'
e2e_find_window
e2e_expect "the file named on the command line grows while recording" e2e_wait_growing "$file" 8
sleep 2
e2e_stop TERM
e2e_expect "orvimo2 exits with status 0 after SIGTERM" test "$E2E_APP_STATUS" = 0
e2e_expect "no file name with U+FFFD in place of the byte" test -z "$(ls | grep -F $'\xef\xbf\xbd' || true)"
e2e_check_wav "$file" 2 44100 16 1 4 1000
e2e_finish
