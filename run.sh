#!/usr/bin/env bash
# Installs the build dependencies, builds Pellidor, and shows it at work on
# your own shelf: reads FOLDER (a drive root or any folder; without one, a
# small sample volume made for the purpose) into a new catalog, then lists
# the shelf, browses the catalog and searches all catalogs.
# Usage: ./run.sh [FOLDER]
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh >&2
cmake --preset default >/dev/null
cmake --build --preset default >&2
pellidor="$PWD/build/default/bin/pellidor"

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

# The catalog directory defaults to ~/Pellidor the first time.
if ! "$pellidor" catdir >/dev/null 2>&1; then
  "$pellidor" catdir "$HOME/Pellidor"
fi
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
