#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program on its delivered database.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
exec build/app/Waffenbuch
