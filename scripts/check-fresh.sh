#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the README's two commands on a bare Debian 12 (mmdebstrap --variant=minbase), as root
# in a chroot: a clone of this repository's current commit (uncommitted changes are left out,
# and no corpus beside it), then `bash scripts/test.sh`, then `bash scripts/run.sh` on Qt's
# offscreen platform, which passes when the program is still running after a few seconds or
# has exited with 0. Needs root and mmdebstrap; the mirrors are the host's Debian bookworm ones.
#
#   scripts/check-fresh.sh            a new root (any earlier one is removed)
#   scripts/check-fresh.sh --reuse    the root an earlier run left, with the packages it
#                                     installed (quicker, but it no longer checks deps.sh)
#   scripts/check-fresh.sh --remove   removes the root and stops
#
# The root stays in $QUORVEL_FRESH_ROOT (default /var/tmp/quorvel-fresh-root) for a look
# after a failure or a rerun.
set -euo pipefail
cd "$(dirname "$0")/.."
root=${QUORVEL_FRESH_ROOT:-/var/tmp/quorvel-fresh-root}
run_seconds=5
mode=${1:-new}
case "$mode" in
    new | --reuse | --remove) ;;
    *)
        echo "usage: scripts/check-fresh.sh [--reuse | --remove]" >&2
        exit 2
        ;;
esac
[ "$(id -u)" -eq 0 ] || { echo "check-fresh.sh: run it as root" >&2; exit 1; }

# The chroot's mounts live in a mount namespace of their own (see inside_namespace), so none
# can remain below the root; this refuses to remove it if one still does all the same.
remove_root() {
    if findmnt -rn -o TARGET | grep -q "^$root/"; then
        echo "check-fresh.sh: something is still mounted below $root" >&2
        exit 1
    fi
    rm -rf --one-file-system "$root"
}

# One-line sources entries for the host's Debian bookworm suites, as apt sees them.
host_debian_mirrors() {
    apt-get indextargets --format '$(TARGET_OF) $(REPO_URI) $(RELEASE) $(COMPONENT) $(CODENAME)' \
        'Origin: Debian' 'Identifier: Packages' |
        awk '$1 == "deb" && $5 ~ /^bookworm(-|$)/ { print $1, $2, $3, $4 }' | sort -u
}

create_root() {
    local mirrors
    mapfile -t mirrors < <(host_debian_mirrors)
    [ ${#mirrors[@]} -gt 0 ] || echo "No Debian bookworm mirror in the host's apt sources: using" \
        "mmdebstrap's default" >&2
    remove_root
    mkdir -p "$(dirname "$root")"
    mmdebstrap --variant=minbase bookworm "$root" "${mirrors[@]}"
}

# A fresh clone of the current commit at /root/quorvel inside the root.
clone_project() {
    local clone="$root/root/quorvel"
    rm -rf "$clone"
    git clone --quiet --no-checkout --no-hardlinks "$PWD" "$clone"
    git -C "$clone" checkout --quiet --detach "$(git rev-parse HEAD)"
}

# The commands run inside the chroot, in a clean environment.
in_chroot() {
    chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM=dumb \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        bash -c "cd /root/quorvel && $1"
}

# Starts the program the README's way. run.sh builds, then replaces itself with the program:
# the clock starts when it has.
readonly start_check='
running() { [ -r /proc/$1/stat ] && [ "$(sed "s/.*) \(.\).*/\1/" /proc/$1/stat)" != Z ]; }
QT_QPA_PLATFORM=offscreen bash scripts/run.sh &
pid=$!
while running $pid && [ "$(readlink /proc/$pid/exe 2>/dev/null)" != "$PWD/build/src/app/quorvel" ]; do
    sleep 1
done
sleep '"$run_seconds"'
if running $pid; then
    kill $pid
    wait $pid || true
    echo "The program was still running after '"$run_seconds"' seconds."
    exit 0
fi
wait $pid'

# Everything that mounts runs here, in a private mount namespace: the mounts never reach the
# host and end with the namespace; the trap unmounts them before, on any exit.
inside_namespace() {
    trap 'umount --recursive --lazy "$root/dev" "$root/sys" "$root/proc" 2>/dev/null || true' EXIT
    mount -t proc proc "$root/proc"
    mount --rbind /sys "$root/sys"
    mount --rbind /dev "$root/dev"
    echo "== bash scripts/test.sh"
    in_chroot "bash scripts/test.sh"
    echo "== bash scripts/run.sh (offscreen)"
    in_chroot "$start_check"
}

if [ "$mode" = --remove ]; then
    remove_root
    exit 0
fi
if [ "$mode" = new ] || [ ! -x "$root/bin/bash" ]; then
    create_root
fi
clone_project
export root start_check
export -f in_chroot inside_namespace
unshare --mount --propagation private bash -euo pipefail -c inside_namespace
echo "Passed on a fresh Debian 12 root ($root)."
