#!/usr/bin/env bash
# Under a window manager that frames the window (openbox): four start/close cycles leave the window
# where it was stored, to the pixel; a stored place that puts the title bar off the screen (as a
# Wayland session leaves it) comes back onto the screen, title bar and record button included.
source "$(dirname "$0")/lib.sh"
e2e_init window_place_under_window_manager "$1"
E2E_PIDS+=("$("$E2E_LIB_DIR/window-manager" start "$E2E_WORK")")

# store_place <left> <top>: the stored place as a session that knew its window left it.
store_place() {
  mkdir -p "$(dirname "$E2E_SETTINGS")"
  printf '[TfrmMain]\nFormVersion=0\nNormPos=%d,%d,%d,%d\n' "$1" "$2" $(($1 + 285)) $(($2 + 280)) >"$E2E_SETTINGS"
}

stored_place() { sed -n 's/^NormPos=\([-0-9]*\),\([-0-9]*\),.*/\1,\2/p' "$E2E_SETTINGS"; }

# One start and close; SHOWN holds the client area's corner, FRAME the frame's corner as the window
# manager placed them, STORED the place saved at the close.
cycle() {
  e2e_start
  e2e_find_window
  # The window manager frames and places the window after it is mapped.
  sleep 1
  local info
  info=$(xwininfo -id "$E2E_WINDOW")
  SHOWN=$(awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF } END { print x "," y }' <<<"$info")
  FRAME=$(awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
    /Relative upper-left X/ { rx = $NF } /Relative upper-left Y/ { ry = $NF } END { print x - rx "," y - ry }' <<<"$info")
  e2e_stop TERM
  STORED=$(stored_place)
  e2e_log "shown at $SHOWN (frame at $FRAME), stored $STORED"
}

store_place 300 180
for round in 1 2 3 4; do
  cycle
  e2e_expect "cycle $round: shown where it was stored (300,180, was $SHOWN)" test "$SHOWN" = 300,180
  e2e_expect "cycle $round: the place stored again is 300,180 (was $STORED)" test "$STORED" = 300,180
done

# Above and left of the screen, as a Wayland session used to store it: the nearest place on the screen
# has the frame in its corner, title bar and all.
store_place -3 -30
cycle
e2e_expect "the frame comes to the screen's corner ($FRAME)" test "$FRAME" = 0,0
e2e_expect "the place shown is the one stored ($STORED)" test "$STORED" = "$SHOWN"
# Flush with the screen's top edge, as a user drags it there: kept to the pixel.
store_place 300 "${SHOWN#*,}"
cycle
e2e_expect "a frame flush with the top edge stays there ($FRAME)" test "${FRAME#*,}" = 0
e2e_expect "and its place is stored unchanged ($STORED)" test "$STORED" = "300,${SHOWN#*,}"
"$E2E_LIB_DIR/window-manager" stop "$E2E_WORK"
e2e_finish
