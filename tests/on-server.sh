#!/bin/sh
# Runs a test executable on the server engine. Without a test cluster (scripts/test starts one and
# names it in TAVRIN_TEST_PGHOST) the run is reported as skipped instead of failing.
if [ -z "${TAVRIN_TEST_PGHOST:-}" ]; then
  echo "skipped: no PostgreSQL test cluster; scripts/test starts one"
  exit 77
fi
exec "$@"
