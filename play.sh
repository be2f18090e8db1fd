#!/usr/bin/env bash
# Installs what is missing, builds, and starts the game in the project's root.
set -eu
source "$(dirname "${BASH_SOURCE[0]}")/scripts/common.sh"
install_missing
build build
cd "$root"
exec "$root/build/dungeon" "$@"
