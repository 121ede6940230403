#!/usr/bin/env bash
# Installs the build dependencies, builds Pellidor, installs it for the
# explorer and the desktop (as Setup does, without a window: the launcher's
# entries, the catalog file type, Add to Pellidor in Dolphin and Nautilus;
# docs/desktop-integration.md), and shows it at work on your
# own shelf: reads FOLDER (a drive root or any folder; without one, a small
# sample volume made for the purpose) into a new catalog, then lists the
# shelf, browses the catalog and searches all catalogs. With a display it
# then opens the explorer on the shelf: right-click a removable drive there
# and choose Add to Pellidor to catalog it.
# Usage: ./run.sh [FOLDER]
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh >&2
cmake --preset default >/dev/null
cmake --build --preset default >&2
pellidor="$PWD/build/default/bin/pellidor"
explorer="$PWD/build/default/bin/explorer"

folder="${1:-}"
if [ -z "$folder" ]; then
  folder="$(mktemp -d)/Holiday 2024"
  mkdir -p "$folder/Photos/Beach" "$folder/Photos/Mountains" "$folder/Documents"
  for n in 1 2 3; do head -c $((n * 150000)) /dev/urandom > "$folder/Photos/Beach/IMG_00$n.jpg"; done
  head -c 420000 /dev/urandom > "$folder/Photos/Mountains/IMG_0100.jpg"
  printf 'Flights, hotels and the ferry timetable.\n' > "$folder/Documents/itinerary.txt"
  printf '<html><body>Trip notes</body></html>\n' > "$folder/Documents/notes.html"
  echo "No folder given: reading the sample volume $folder" >&2
fi

# Copies Pellidor.so and Setup into the platform's system directory and
# writes the entries by which the explorer finds them; the catalog directory
# is ~/Pellidor the first time and stays whatever it was set to after.
echo "== Installing"
"$pellidor" setup install
echo "== Catalog directory: $("$pellidor" catdir)"

echo "== Reading $folder"
catalog="$("$pellidor" read "$folder")"
echo "$catalog"

echo "== The shelf"
"$pellidor" shelf

echo "== The new catalog's root folder"
"$pellidor" ls "$catalog"

echo "== Searching every catalog for names with 'img'"
"$pellidor" find img

# The shelf on the Desktop: the identifier list of its junction, in hex.
shelf=14001F00902A7D4CB1836F4E9D257A0C3E5B8F140000
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "== Opening the explorer on the shelf"
  "$explorer" "$shelf"
fi
