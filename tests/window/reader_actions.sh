#!/usr/bin/env bash
# The reader's actions every machine is tested with (tests/actions/reader-actions.txt), at a page
# wait of the real program: Ctrl+M does not mute, the click that brings the window back into focus
# turns no page, Enter turns it, Alt+Enter goes fullscreen and back, the wheel turned up opens the
# backlog.
source "$(dirname "$0")/lib/xvfb.bash"
source "$(dirname "$0")/../actions/reader_actions.bash"
start_x
run_reader_actions
finish
