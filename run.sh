#!/usr/bin/env bash
# Installs what is missing, builds the player, registers its Flash control the way an
# installer would, and starts it. Without an argument it plays the bundled sample movie.
set -euo pipefail
cd "$(dirname "$0")"

# Without a display Qt can only abort; say how to run it instead of building for nothing.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "run.sh: no display (DISPLAY and WAYLAND_DISPLAY are unset): run it from a desktop session, or headless with: xvfb-run -a ./run.sh" >&2
    exit 1
fi

./scripts/install-deps.sh
cmake --preset default >/dev/null
# The player's target pulls in everything the first start needs: the control, the helper,
# the sample movie and the icons.
cmake --build --preset default --target quarvel-flash
bin=build/default/app
system_dir="${QUARVEL_SYSTEM_DIR:-${XDG_DATA_HOME:-$HOME/.local/share}/quarvel/system}"
mkdir -p "$system_dir"
cp build/default/flash/libswflash.so "$system_dir/SWFLASH.OCX"
cp build/default/app/regsvr32 "$system_dir/regsvr32"
"$system_dir/regsvr32" /s "$system_dir/SWFLASH.OCX"
movie="${1:-$PWD/build/default/assets/sample.swf}"
exec "$bin/quarvel-flash" "$movie"
