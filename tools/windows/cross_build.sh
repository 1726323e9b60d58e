#!/bin/sh
# Configures and builds the Windows programs, mbrola.dll and the unit tests
# with mingw-w64: build-win64 (x86_64) and build-win32 (i686). Arguments name
# the trees to build (default both). The family folder is the Linux build's
# (build/koralu), so build that first (./setup).
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root"
trees=${*:-build-win64 build-win32}
for tree in $trees; do
    case $tree in
        build-win64) arch=x86_64 ;;
        build-win32) arch=i686 ;;
        *) echo "cross_build: arvore desconhecida $tree (build-win64 ou build-win32)" >&2; exit 2 ;;
    esac
    cmake -S . -B "$tree" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-$arch.cmake" \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZIMBALOT_WERROR="${ZIMBALOT_WERROR:-OFF}" \
        -DZIMBALOT_DATA_SET="$root/build/koralu" >/dev/null
    cmake --build "$tree" -j2
done
