#!/usr/bin/env bash
# Renews the screenshot of the record form: starts the program under a virtual display on a
# copy of the delivered database with a few sample entries, logs in and grabs the screen.
# Usage: scripts/screenshot.sh BUILD_DIR OUTPUT.png
set -euo pipefail
build=${1:-build}
out=${2:-docs/record-form.png}
exec "$build/tests/shot_recordform" "$out"
