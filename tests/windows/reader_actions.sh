#!/usr/bin/env bash
# tessaro.exe under Wine, with the reader's actions every machine is tested with
# (tests/actions/reader-actions.txt), at a page wait: Ctrl+M does not mute, the click that brings
# the window back into focus turns no page, Enter turns it, Alt+Enter goes fullscreen and back,
# the wheel turned up opens the backlog.
source "$(dirname "$0")/lib/wine.bash"
source "$(dirname "$0")/../actions/reader_actions.bash"
start_x
run_reader_actions
finish
