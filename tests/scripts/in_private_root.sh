#!/usr/bin/env bash
# Runs a command as root inside a private mount namespace whose root is an overlay of / with empty
# tmpfs folders over /Library, /Applications, /opt and /var/tmp, so tests can use the program's
# absolute paths without touching the machine's (/var/tmp holds the program's single-instance lock).
# Nothing is created on the real root and no mount outlives the command. /tmp stays shared (an X
# display's socket, screenshots); tests/scripts/isolated.sh adds a network and a /tmp of their own.
set -eu

if [ "$(id -u)" -ne 0 ]; then
    echo "in_private_root.sh needs root" >&2
    exit 1
fi

if [ -z "${QUORVELAN_PRIVATE_ROOT_SCRATCH:-}" ]; then
    QUORVELAN_PRIVATE_ROOT_SCRATCH=$(mktemp -d /tmp/quorvelan-root.XXXXXX)
    export QUORVELAN_PRIVATE_ROOT_SCRATCH
    rc=0
    unshare -m --propagation private "$0" "$@" || rc=$?
    rmdir "$QUORVELAN_PRIVATE_ROOT_SCRATCH" 2>/dev/null || true
    exit "$rc"
fi

scratch="$QUORVELAN_PRIVATE_ROOT_SCRATCH"
unset QUORVELAN_PRIVATE_ROOT_SCRATCH
mount -t tmpfs tmpfs "$scratch"
mkdir -p "$scratch/upper" "$scratch/work" "$scratch/root"
mount -t overlay overlay -o "lowerdir=/,upperdir=$scratch/upper,workdir=$scratch/work" "$scratch/root"

for dir in proc sys dev tmp run; do
    mount --rbind "/$dir" "$scratch/root/$dir"
done

for dir in Library Applications opt var/tmp; do
    mkdir -p "$scratch/root/$dir"
    mount -t tmpfs tmpfs "$scratch/root/$dir"
done

cwd=$(pwd)
export QUORVELAN_IN_PRIVATE_ROOT=1
exec chroot "$scratch/root" /bin/bash -c 'cd "$1" && shift && exec "$@"' chroot-shell "$cwd" "$@"
