#!/usr/bin/env bash
# Runs one Windows program under Wine with the project's prefix; the exit code is the program's.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
orvelle_wine_prefix
exec wine "$@"
