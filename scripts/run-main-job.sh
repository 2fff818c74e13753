#!/usr/bin/env bash
# The main job: build the module and the command-line host natively (no tests, no fuzz
# targets), then answer real requests through the built liborrery.so.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh native
# A build tree of its own, so that a later test build does not share its settings.
cmake -S . -B build/main -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DORRERY_BUILD_TESTS=OFF -DORRERY_BUILD_TOOLS=ON >/dev/null
cmake --build build/main --target orrery orrery-call

call=build/main/bin/orrery-call
echo '$ orrery-call --version'
"$call" --version
echo '$ orrery-call --get-version'
"$call" --get-version
echo '$ orrery-call sort '"'"'10\29\2-3'"'"
"$call" sort '10\29\2-3'
echo "orrery-call is $PWD/$call; the module is $(readlink -f build/main/lib/liborrery.so)"
