#!/usr/bin/env bash
# Started with a file name template only, the program records at once into take_1.wav; a SIGTERM
# closes it as a person would: the file is complete and the settings are saved (one entry on the
# command line leaves the store on). The Windows program runs it too: closed through its window, with
# its settings in the registry.
source "$(dirname "$0")/lib.sh"
e2e_init record_from_command_line "$1"

e2e_play_tone 1000 20
e2e_start "$(e2e_path "$E2E_WORK/out/take_[i].wav")"
e2e_find_window
e2e_expect "take_1.wav grows while recording" e2e_wait_growing take_1.wav 8
sleep 3
e2e_stop TERM
e2e_expect "orvimo2 exits with status 0 after SIGTERM" test "$E2E_APP_STATUS" = 0
e2e_check_wav take_1.wav 2 44100 16 1.5 4 1000
e2e_expect "no second file appeared" test ! -e take_2.wav
e2e_init_settings_view

e2e_expect "the settings file $E2E_SETTINGS exists" test -s "$E2E_SETTINGS"
if [[ -s "$E2E_SETTINGS" ]]; then
  e2e_log "settings file:"
  sed 's/^/    /' "$E2E_SETTINGS"
  # The fourteen stored properties with what this run had: the design defaults, and whatever
  # stored or started value the pickers hold (any number).
  declare -A expected=(
    [cbStop_Checked]=False [cOutFormatB_ItemIndex]=1 [cOutFormatC_ItemIndex]=1 [cOutHz_Value]=44100
    [cOutType_ItemIndex]=0 [cStopAt_ItemIndex]=1 [cWhenFinished_ItemIndex]=0 [dtStart_Date]='[0-9.]+'
    [dtStop_Date]='[0-9.]+' [dtTStart_Time]='[0-9.]+' [dtTStop_Time]='[0-9.]+' [rbStopAt_Checked]=False
    [rbStopTime_Checked]=True [seStopAt_Value]=5)
  for name in "${!expected[@]}"; do
    e2e_expect "settings hold $name=${expected[$name]}" \
      grep -Eq "^$name=\"?${expected[$name]}\"?\$" "$E2E_SETTINGS"
  done
  e2e_expect "settings hold the window position (NormPos)" grep -q '^NormPos=' "$E2E_SETTINGS"
fi
e2e_finish
