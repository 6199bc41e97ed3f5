#!/bin/sh
# Registers (or removes) the .kst query definition file type and the Kestrel
# menu entry for the current user. Run on request only, never silently:
#   packaging/register-file-type.sh install [path/to/kestrel]
#   packaging/register-file-type.sh uninstall
set -eu
here=$(cd "$(dirname "$0")" && pwd)
action=${1:-}
icons=${XDG_DATA_HOME:-$HOME/.local/share}/icons/hicolor/scalable/apps
program=${2:-$(command -v kestrel || echo "$here/../build/kestrel")}

case "$action" in
  install)
    tmp=$(mktemp -d)
    trap 'rm -rf "$tmp"' EXIT
    # The menu entry starts this very program.
    sed "s|^Exec=kestrel |Exec=\"$(realpath "$program")\" |" "$here/kestrel.desktop" > "$tmp/kestrel.desktop"
    xdg-mime install --mode user --novendor "$here/kestrel-mime.xml"
    mkdir -p "$icons" && cp "$here/kestrel.svg" "$icons/kestrel.svg"
    xdg-desktop-menu install --mode user --novendor "$tmp/kestrel.desktop"
    xdg-mime default kestrel.desktop application/x-kestrel-query
    ;;
  uninstall)
    xdg-desktop-menu uninstall --mode user --novendor kestrel.desktop || true
    xdg-mime uninstall --mode user --novendor "$here/kestrel-mime.xml" || true
    rm -f "$icons/kestrel.svg"
    ;;
  *)
    echo "usage: $0 install [path/to/kestrel] | uninstall" >&2
    exit 2
    ;;
esac
