#!/usr/bin/env bash
# The layers' arrows point down: the core includes no Qt header, and the
# widgets include nothing of the program's windows.
set -uo pipefail
cd "$(dirname "$0")/../.."
status=0
if grep -rnE '#include <Q|#include <qt|#include "(ui|widgets)/' core; then
  echo "core/ must not depend on Qt or on the windows" >&2
  status=1
fi
if grep -rnE '#include "ui/' widgets; then
  echo "widgets/ must not depend on the program's windows" >&2
  status=1
fi
exit $status
