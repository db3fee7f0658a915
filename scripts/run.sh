#!/usr/bin/env bash
# Sets up, builds and starts the editor on the bundled demo data.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
cmake --preset dev
cmake --build --preset dev --target quillmor quillmor-demo
# A demo game folder; recorded as the installed game unless one is recorded already,
# so the first folder picker opens in its "USER" folder.
./build/dev/tools/quillmor-demo build/dev/demo --register
exec ./build/dev/quillmor
