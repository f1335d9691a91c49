#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Cross-builds Quorvel for Windows x64 with MinGW-w64 and the Qt built for it
# (cmake/mingw-w64-x86_64.cmake) in build-win:
#   scripts/build-windows.sh [STEP...]      steps: deps configure build package (default: all)
# deps       pugixml, libqpdf and libjpeg-turbo (Debian's source packages) and
#            GoogleTest/GoogleMock (/usr/src/googletest), static libraries in build-win/deps
# configure  Release, with the tests (those that need libzip or Google Benchmark stay out)
# build      every target
# package    the portable folder build-win/Quorvel, its zip, and the installer (makensis)
# scripts/test-windows.sh runs the tests under Wine. Settings: scripts/windows-env.sh;
# DEBIAN_MIRROR names the archive for source packages (default http://deb.debian.org/debian);
# QUORVEL_WERROR=ON makes warnings errors.
set -euo pipefail
# shellcheck source=scripts/windows-env.sh
source "$(dirname "$0")/windows-env.sh"
cd "$root"
[ $# -gt 0 ] || set -- deps configure build package

installTools() {
    bash scripts/deps.sh --only cmake ninja-build g++-mingw-w64-x86-64-posix \
        gcc-mingw-w64-x86-64-posix libz-mingw-w64-dev googletest dpkg-dev wine64 wine \
        qt6-translations-l10n fonts-noto-cjk nsis zip
}

# apt-get source; where the machine's apt has no deb-src entry, with one of its own (state
# under build-win/apt), leaving the machine's configuration as it is.
fetchSource() {
    local package=$1 into=$2
    mkdir -p "$into"
    if grep -qs '^Types:.*deb-src\|^deb-src' /etc/apt/sources.list /etc/apt/sources.list.d/*.list \
        /etc/apt/sources.list.d/*.sources; then
        (cd "$into" && apt-get -qq source "$package")
        return
    fi
    local apt=$build/apt codename
    codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
    mkdir -p "$apt/sources.list.d" "$apt/lists/partial" "$apt/cache/archives/partial"
    cat >"$apt/sources.list.d/debian-src.sources" <<SOURCES
Types: deb-src
URIs: ${DEBIAN_MIRROR:-http://deb.debian.org/debian}
Suites: $codename
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
    local options=(-o Dir::Etc::SourceList=/dev/null -o "Dir::Etc::SourceParts=$apt/sources.list.d"
                   -o "Dir::State::Lists=$apt/lists" -o "Dir::Cache=$apt/cache"
                   -o APT::Sandbox::User=root)
    apt-get -qq "${options[@]}" update
    (cd "$into" && apt-get -qq "${options[@]}" source "$package")
}

# Configures, builds and installs one library into the deps prefix, static, for MinGW:
#   buildDependency SOURCE NAME [--only TARGET "COMPONENT..."] [CMAKE_OPTION...]
# --only builds one target and installs those install components: the library without the
# project's programs, tests and examples.
buildDependency() {
    local source=$1 work=$build/deps-work/build-$2 target=() components=("") component
    shift 2
    if [ "${1:-}" = --only ]; then
        target=(--target "$2")
        read -ra components <<<"$3"
        shift 3
    fi
    cmake -S "$source" -B "$work" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$QUORVEL_WIN_DEPS" -DBUILD_SHARED_LIBS=OFF "$@" >/dev/null
    nice -n 10 cmake --build "$work" "${target[@]}"
    for component in "${components[@]}"; do
        cmake --install "$work" ${component:+--component "$component"} >/dev/null
    done
}

unpackedSource() {
    compgen -G "$build/deps-work/src/$1-*/" | head -n 1
}

# libqpdf and the libjpeg it decodes images with, static. Its build sees only the libraries
# named here: no pkg-config (which would offer the build machine's own), MinGW's static zlib,
# and its own crypto rather than GnuTLS or OpenSSL. Of its install, the library with its
# headers (dev) and its CMake package (no component).
buildQpdf() {
    local deps=$QUORVEL_WIN_DEPS mingw=/usr/$mingw_prefix qpdf
    qpdf=$(unpackedSource qpdf)
    # Its configure checks link with -lAdvapi32, which MinGW names libadvapi32.a: on a
    # case-sensitive file system every check would fail.
    sed -i 's/ Advapi32)/ advapi32)/' "$qpdf/CMakeLists.txt"
    buildDependency "$(unpackedSource libjpeg-turbo)" libjpeg-turbo -DENABLE_SHARED=OFF \
        -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF
    PKG_CONFIG_LIBDIR=/nonexistent buildDependency "$qpdf" qpdf --only libqpdf "dev Unspecified" \
        -DBUILD_STATIC_LIBS=ON -DBUILD_DOC=OFF -DINSTALL_EXAMPLES=OFF \
        -DUSE_IMPLICIT_CRYPTO=OFF -DREQUIRE_CRYPTO_NATIVE=ON \
        -DZLIB_H_PATH="$mingw/include" -DZLIB_LIB_PATH="$mingw/lib/libz.a" \
        -DLIBJPEG_H_PATH="$deps/include" -DLIBJPEG_LIB_PATH="$deps/lib/libjpeg.a"
}

buildDeps() {
    local start=$SECONDS package
    for package in pugixml libjpeg-turbo qpdf; do
        [ -n "$(unpackedSource "$package")" ] || fetchSource "$package" "$build/deps-work/src"
    done
    buildDependency "$(unpackedSource pugixml)" pugixml -DPUGIXML_BUILD_TESTS=OFF
    buildQpdf
    buildDependency /usr/src/googletest googletest -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON
    echo "deps: $((SECONDS - start)) s"
}

configure() {
    cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=ON -DQUORVEL_BENCH=OFF \
        -DQUORVEL_WERROR="${QUORVEL_WERROR:-OFF}" >/dev/null
}

build() {
    nice -n 10 cmake --build "$build"
}

# The DLLs a program or plugin imports: each must lie in the folder or come with Windows (the
# DLLs Wine provides stand for those; api-ms-win-* are API sets, resolved by the system).
checkImports() {
    local folder=$1 file dll missing=0
    local system=/usr/lib/x86_64-linux-gnu/wine/x86_64-windows
    while IFS= read -r file; do
        for dll in $("$mingw_prefix-objdump" -p "$file" | awk '/DLL Name:/ { print $3 }'); do
            case "${dll,,}" in api-ms-win-* | ext-ms-win-*) continue ;; esac
            [ -e "$folder/$dll" ] || [ -e "$system/${dll,,}" ] && continue
            echo "${file#"$folder"/} needs $dll, which is missing" >&2
            missing=1
        done
    done < <(find "$folder" -name '*.exe' -o -name '*.dll')
    return $missing
}

# The portable folder: programs, Qt and MinGW DLLs, plugins, Qt's Japanese translation (found
# through qt.conf: the app loads it from QLibraryInfo's translations path), the manual.
portableFolder() {
    local folder=$1 qt=$QUORVEL_QT_MINGW
    rm -rf "$folder"
    mkdir -p "$folder/platforms" "$folder/styles" "$folder/translations"
    cp "$build/bin/quorvel.exe" "$build/bin/quorvel-cli.exe" "$folder/"
    cp "$qt/bin/Qt6Core.dll" "$qt/bin/Qt6Gui.dll" "$qt/bin/Qt6Widgets.dll" "$folder/"
    runtimeDlls | xargs cp -t "$folder/"
    cp "$qt/plugins/platforms/qwindows.dll" "$folder/platforms/"
    cp "$qt/plugins/styles/qwindowsvistastyle.dll" "$folder/styles/"
    cp /usr/share/qt6/translations/qtbase_ja.qm "$folder/translations/"
    printf '[Paths]\nPrefix = .\n' >"$folder/qt.conf"
    cp -r docs/manual "$folder/manual"
    cp packaging/copyright "$folder/copyright.txt"
    find "$folder" \( -name '*.exe' -o -name '*.dll' \) -exec "$mingw_prefix-strip" {} +
    checkImports "$folder"
}

# The uninstaller's list: every file the installer puts in place, then the folders, inner first.
uninstallList() {
    local folder=$1
    (
        cd "$folder"
        find . -type f | sort | sed 's|^\./||; s|/|\\|g; s|.*|Delete "$INSTDIR\\&"|'
        find . -mindepth 1 -type d | sort -r | sed 's|^\./||; s|/|\\|g; s|.*|RMDir "$INSTDIR\\&"|'
    )
}

package() {
    local folder=$build/Quorvel version
    version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
    portableFolder "$folder"
    rm -f "$build/Quorvel-$version-win64.zip"
    (cd "$build" && zip -qr9 "Quorvel-$version-win64.zip" Quorvel)
    echo "$build/Quorvel-$version-win64.zip"
    if command -v makensis >/dev/null; then
        uninstallList "$folder" >"$build/uninstall-files.nsh"
        makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DSOURCE_DIR="$folder" \
            -DUNINSTALL_LIST="$build/uninstall-files.nsh" \
            -DOUT_FILE="$build/Quorvel-$version-win64-setup.exe" packaging/windows/quorvel.nsi
        echo "$build/Quorvel-$version-win64-setup.exe"
    fi
}

installTools
for step in "$@"; do
    case $step in
        deps) buildDeps ;;
        configure) configure ;;
        build) build ;;
        package) package ;;
        *) echo "unknown step: $step (deps, configure, build, package)" >&2; exit 2 ;;
    esac
done
