#!/usr/bin/env bash
# Installs the build dependencies, builds, and runs the whole test suite.
# Usage: ./test.sh [PRESET]   (default, or asan for the sanitizer build)
set -euo pipefail
cd "$(dirname "$0")"
preset="${1:-default}"

scripts/install-deps.sh
cmake --preset "$preset"
cmake --build --preset "$preset"

# The change-notification tests need a session bus; give them one when there is none.
if [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ] && command -v dbus-run-session >/dev/null; then
  exec dbus-run-session -- ctest --preset "$preset"
fi
exec ctest --preset "$preset"
