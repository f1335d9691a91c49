# SPDX-License-Identifier: GPL-3.0-or-later
# shellcheck shell=bash disable=SC2034
# Settings shared by the Windows scripts (build-windows.sh, test-windows.sh); sourced by them.
# Environment, all optional: QUORVEL_WIN_BUILD (the build tree; default build-win),
# QUORVEL_WIN_DEPS (pugixml, libqpdf and GoogleTest for MinGW; default build-win/deps),
# QUORVEL_QT_MINGW (Qt for MinGW; default ../shared/toolchains/qt6-mingw-6.4.2 beside the
# project).
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${QUORVEL_WIN_BUILD:-$root/build-win}
export QUORVEL_WIN_DEPS=${QUORVEL_WIN_DEPS:-$build/deps}
export QUORVEL_QT_MINGW=${QUORVEL_QT_MINGW:-$(realpath -m "$root/../shared/toolchains/qt6-mingw-6.4.2")}
toolchain=$root/cmake/mingw-w64-x86_64.cmake
mingw_prefix=x86_64-w64-mingw32
wine64=$(command -v wine64 || echo /usr/lib/wine/wine64)

# The MinGW runtime every program and Qt DLL loads: C++ library, unwinder, threads.
runtimeDlls() {
    local dll
    for dll in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
        realpath "$("$mingw_prefix-g++-posix" -print-file-name="$dll")"
    done
}
