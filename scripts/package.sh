#!/usr/bin/env bash
# Sets up, builds the programs for release and makes the Debian package
# build/package/quillmor_<version>_<architecture>.deb.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
# Only this version is left for the install command's pattern to find.
rm -f build/package/quillmor_*.deb
cmake --workflow --preset package
ls build/package/quillmor_*.deb
