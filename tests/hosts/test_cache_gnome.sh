#!/usr/bin/env bash
# tavrin cache over the fixture writer's files and the sample folder, then GNOME's thumbnail
# factory looks every thumbnail up, as the file manager does before it runs any thumbnailer.
set -euo pipefail
tavrin=$1
fixtures=$2
samples=${TAVRIN_SAMPLES:-${3:-}}
if ! /usr/bin/python3 -c 'import gi; gi.require_version("GnomeDesktop", "3.0")' 2>/dev/null; then
    echo "GNOME's thumbnail factory (python3-gi, gir1.2-gnomedesktop-3.0) missing: skipped"
    exit 0
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export TAVRIN_REGISTRY_DIR="$work/registry" TAVRIN_SYSTEM_REGISTRY_DIR="$work/machine"
export XDG_CACHE_HOME="$work/cache"
"$tavrin" register >/dev/null
"$fixtures" "$work/files" >/dev/null
# A name with a blank, non-ASCII letters and a percent sign.
cp "$work/files/P0006.JPG" "$work/files/Über 100% scharf.JPG"
folders=("$work/files")
if [ -d "$samples" ]; then folders+=("$samples"); else echo "sample folder missing: fixtures only"; fi
# Files without a picture fail; the run goes on and says so in its exit status.
"$tavrin" cache --quiet --size normal --size large "${folders[@]}" 2>"$work/problems" || true
[ -n "$(ls -A "$XDG_CACHE_HOME/thumbnails/large")" ]
files=()
while IFS= read -r -d '' f; do files+=("$f"); done < <(find "${folders[@]}" -type f -print0 | sort -z)
/usr/bin/python3 "$(dirname "$0")/gnome_cache_lookup.py" "${files[@]}"
