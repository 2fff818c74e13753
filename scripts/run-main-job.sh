#!/usr/bin/env bash
# The main job: build the module natively, then answer real requests through the built
# liborrery.so with the command-line host.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh native
cmake --preset native >/dev/null
cmake --build --preset native

call=build/native/bin/orrery-call
echo '$ orrery-call --version'
"$call" --version
echo '$ orrery-call sort '"'"'10\29\2-3'"'"
"$call" sort '10\29\2-3'
