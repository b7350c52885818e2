#!/usr/bin/env bash
# Installs BUILD_DIR into a fresh prefix inside it, as `cmake --install` would
# on a user's machine, checks the installed tree, and runs the end-to-end
# steps against the installed program. Run by CTest.
#
# usage: tests/e2e/installed.sh BUILD_DIR
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
prefix=$build/e2e-prefix
rm -rf "$prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null
cd "$prefix"
ls bin/inkwarden share/icons/hicolor/scalable/apps/inkwarden.svg \
  share/metainfo/io.inkwarden.Inkwarden.metainfo.xml >/dev/null
desktop-file-validate share/applications/inkwarden.desktop
E2E_PROGRAM=$prefix/bin/inkwarden exec "$here/run.sh" "$build"
