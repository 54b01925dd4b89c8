#!/usr/bin/env bash
# Runs a test command, then ends every companion harness that a phone under
# DIR still runs (a test leaves its phone folder behind; the harness would
# keep running until the folder goes): removing the ready file ends it.
#   then_stop_harnesses.sh DIR COMMAND [ARGS...]
dir="$1"
shift
"$@"
status=$?
if [[ -d $dir ]]; then
  find "$dir" -path '*/.companion/ready' -delete 2>/dev/null
fi
exit "$status"
