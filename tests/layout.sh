#!/usr/bin/env bash
# The folders depend one way: common/ on nothing of the program, the subsystems on common/ and on
# each other, app/ on them all. Lists every include that goes the other way and fails if any does.
# Usage: layout.sh SOURCE_FOLDER
set -uo pipefail
cd "$1"
status=0
if grep -rn '#include "app/' common store exchange translate speech quiz review backup; then
  echo "layout: a subsystem includes app/" >&2
  status=1
fi
if grep -rnE '#include "(store|exchange|translate|speech|quiz|review|backup)/' common; then
  echo "layout: common/ includes a subsystem" >&2
  status=1
fi
exit $status
