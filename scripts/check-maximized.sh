#!/bin/sh
# The maximized-window rule of the settings row needs a real window manager: offscreen nothing is
# maximized. Runs that test under a virtual X server with openbox.
#   scripts/check-maximized.sh [build folder]
set -e
BUILD=${1:-build}
exec xvfb-run -a -s '-screen 0 1280x1024x24' sh -c "
    openbox >/dev/null 2>&1 &
    sleep 1
    QT_QPA_PLATFORM=xcb '$BUILD/tests/tst_options' maximizedUnderWindowManager
    status=\$?
    kill %1 2>/dev/null
    exit \$status"
