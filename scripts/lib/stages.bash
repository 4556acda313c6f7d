# Timing of the stages of a long run. `stage NAME COMMAND...` runs the command under `set -e`,
# prints how long it took and keeps the line; `stage_summary STATUS`, called from the caller's
# EXIT trap, prints every line, a stage cut short too. A failed stage ends the run, unless
# STAGE_KEEP_GOING is set: then the later stages run too (in a subshell each) and
# `stage_failures` counts what failed.

STAGE_LINES=()
STAGE_NAME=""
STAGE_START=0
STAGE_FAILED=0

stage_line() {  # stage_line RESULT
  local line
  line=$(printf '%-38s %5ds  %s' "$STAGE_NAME" "$(($(date +%s) - STAGE_START))" "$1")
  STAGE_LINES+=("$line")
  echo "=== stage: $line"
  STAGE_NAME=""
}

stage() {
  STAGE_NAME=$1
  STAGE_START=$(date +%s)
  shift
  echo "=== $STAGE_NAME"
  if [ -z "${STAGE_KEEP_GOING:-}" ]; then
    "$@"
    stage_line ok
    return 0
  fi
  local status
  set +e
  (set -e; "$@")
  status=$?
  set -e
  if [ "$status" -eq 0 ]; then
    stage_line ok
  else
    stage_line "FAILED (status $status)"
    STAGE_FAILED=$((STAGE_FAILED + 1))
  fi
}

stage_failures() { echo "$STAGE_FAILED"; }

stage_summary() {  # stage_summary STATUS
  [ -z "$STAGE_NAME" ] || stage_line "FAILED (status $1)"
  [ ${#STAGE_LINES[@]} -eq 0 ] || { echo "=== stage timings"; printf '  %s\n' "${STAGE_LINES[@]}"; }
}
