#!/usr/bin/env bash
# The Windows program as its users start it: "/b 16 /c 2 Z:\...\Aufnahme ä€.wav" opens the window
# under its title and records the tone at once into the file of that name, characters beyond any one
# code page included; closing the window completes the file. With four entries on the command line the
# settings store is off, so the registry key stays empty.
source "$(dirname "$0")/../lib.sh"
e2e_init wine_format_options "$1"

e2e_play_tone 1000 30
e2e_start /b 16 /c 2 "$(e2e_path "$E2E_WORK/out/Aufnahme ä€.wav")"
e2e_find_window 60
e2e_expect "the file grows while recording" e2e_wait_growing "Aufnahme ä€.wav" 15
sleep 3
e2e_screenshot "$E2E_WINDOW" "$ORVIMO_ARTIFACTS/windows-window.png"
e2e_stop TERM
e2e_expect "orvimo2.exe exits with status 0 after its window closed" test "$E2E_APP_STATUS" = 0
e2e_check_wav "Aufnahme ä€.wav" 2 44100 16 2 8 1000
e2e_init_settings_view
e2e_expect "nothing is stored in the registry" test ! -e "$E2E_SETTINGS"
e2e_finish
