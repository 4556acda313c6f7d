# Timing of the stages of a long run. `stage NAME COMMAND...` runs the command (under the
# caller's `set -e`, so a failure stops the run), prints how long it took and keeps the line;
# `stage_summary`, called from the caller's EXIT trap, prints every line, the failed stage too.

STAGE_LINES=()
STAGE_NAME=""
STAGE_START=0

stage_line() {  # stage_line RESULT
  local line
  line=$(printf '%-34s %5ds  %s' "$STAGE_NAME" "$(($(date +%s) - STAGE_START))" "$1")
  STAGE_LINES+=("$line")
  echo "=== stage: $line"
  STAGE_NAME=""
}

stage() {
  STAGE_NAME=$1
  STAGE_START=$(date +%s)
  shift
  echo "=== $STAGE_NAME"
  "$@"
  stage_line ok
}

stage_summary() {  # stage_summary STATUS
  [ -z "$STAGE_NAME" ] || stage_line "FAILED (status $1)"
  [ ${#STAGE_LINES[@]} -eq 0 ] || { echo "=== stage timings"; printf '  %s\n' "${STAGE_LINES[@]}"; }
}
