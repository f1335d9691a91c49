#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the tests of the Windows build (scripts/build-windows.sh) under Wine, in a Wine prefix of
# their own (build-win/wineprefix, made on the first run):
#   scripts/test-windows.sh [CTEST_OPTION...]
# Settings: scripts/windows-env.sh. The sweeps over the sample corpus run as in scripts/test.sh.
set -euo pipefail
# shellcheck source=scripts/windows-env.sh
source "$(dirname "$0")/windows-env.sh"
cd "$root"

# Z:\ is the whole Unix file system in every Wine prefix.
windowsPath() {
    local path=${1//\//\\}
    echo "Z:$path"
}

export WINEPREFIX=$build/wineprefix WINEARCH=win64 WINEDEBUG=-all
# The tests need neither Wine's .NET nor its HTML engine: no prompt to install them.
export WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$WINEPREFIX"
# Wine's services, started once for the whole run: otherwise every test waits for them to
# exit, and a wineserver started by a test keeps ctest's output pipe open.
if ! wineserver -p </dev/null >/dev/null 2>&1; then
    echo "a wineserver already runs for $WINEPREFIX: stop it with wineserver -k" >&2
    exit 1
fi
# Stopped and waited for: the next run can start its own at once.
trap 'wineserver -k; wineserver -w' EXIT
"$wine64" wineboot </dev/null >/dev/null 2>&1
# Qt sees no font under Wine's default UI font names; these map them to Noto Sans CJK JP.
fonts=$(realpath "$root/../shared/toolchains/wine-cjk-fonts.reg")
"$wine64" regedit /S "$(windowsPath "$fonts")" </dev/null >/dev/null 2>&1

# As in the portable folder, qt.conf tells Qt where its translations are: here Debian's.
printf '[Paths]\nPrefix = %s\nTranslations = %s\n' "$(windowsPath "$QUORVEL_QT_MINGW")" \
    "$(windowsPath /usr/share/qt6/translations)" | sed 's/\\/\//g' >"$build/bin/qt.conf"

dll_folders=("$QUORVEL_QT_MINGW/bin" "$QUORVEL_WIN_DEPS/bin")
while IFS= read -r dll; do dll_folders+=("$(dirname "$dll")"); done < <(runtimeDlls)
WINEPATH=""
for folder in "${dll_folders[@]}"; do WINEPATH+="$(windowsPath "$folder");"; done
export WINEPATH
# Wine passes QT_FOO to a Windows program only as WINEQT_FOO.
export WINEQT_QPA_PLATFORM=offscreen WINEQT_FORCE_STDERR_LOGGING=1
# The offscreen platform takes its fonts from one folder, not from Windows: without it, none.
WINEQT_QPA_FONTDIR=$(windowsPath /usr/share/fonts/opentype/noto)
export WINEQT_QPA_FONTDIR
# The C runtime reads TZ as "JST-9"-style rules only, not as tz database names.
export TZ=JST-9
if [ -z "${QUORVEL_CORPUS_DIR:-}" ] && [ -d ../shared/corpus ]; then
    QUORVEL_CORPUS_DIR=$(realpath ../shared/corpus)
    export QUORVEL_CORPUS_DIR
fi
ctest --test-dir "$build" --output-on-failure "$@"
