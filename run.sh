#!/usr/bin/env bash
# Installs what is missing, builds the player, registers its Flash control the way an
# installer would, and starts it. Without an argument it plays the bundled sample movie.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default --target quarvel-flash regsvr32 swflash
bin=build/default/app
system_dir="${QUARVEL_SYSTEM_DIR:-${XDG_DATA_HOME:-$HOME/.local/share}/quarvel/system}"
mkdir -p "$system_dir"
cp build/default/flash/libswflash.so "$system_dir/SWFLASH.OCX"
cp build/default/app/regsvr32 "$system_dir/regsvr32"
"$system_dir/regsvr32" /s "$system_dir/SWFLASH.OCX"
movie="${1:-$PWD/build/default/assets/sample.swf}"
exec "$bin/quarvel-flash" "$movie"
