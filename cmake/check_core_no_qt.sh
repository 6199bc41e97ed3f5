#!/bin/sh
# Fails when a core source includes a Qt header. Widget and dialog files beside
# core code (the grid and editor widgets, dialogs, the splitter) are part of kestrel_gui.
cd "$1" || exit 2
hits=$(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]Q' \
  src/platform src/oci src/griddata src/regex src/scheme src/sqltext src/gridctrl 2>/dev/null \
  | grep -vE '(_widget|_dlg|edit_ctrl|grid_ctrl|splitter|find_bar)[^/]*:')
if [ -n "$hits" ]; then
  echo "Qt included from kestrel_core:"; echo "$hits"; exit 1
fi
exit 0
