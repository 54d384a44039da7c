#!/usr/bin/env bash
# run_tool.sh TOOL [ARG...]: runs a checking tool of the system (desktop
# entry, AppStream metadata); without it the test skips, or fails under CI.
set -u
source "$(dirname "$0")/restrictions.sh"
need_tools "$1"
exec "$@"
