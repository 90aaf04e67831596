#!/usr/bin/env bash
# Runs a test that starts the real program, or serves on the build's port, apart from the rest of
# the machine, so that it never meets a manager started by tools/run-manager.sh or another test:
#   - a network of its own with only a loopback interface (its stand-in may take the build's port);
#   - a process space of its own (the self-update hand-over waits only for its own managers, and
#     nothing it started outlives it);
#   - an empty /tmp of its own (its X display's socket and lock file live there: an X server in a
#     network of its own would otherwise take the socket of a display of the machine);
#   - the private root of tests/scripts/in_private_root.sh (empty /Library, /Applications, /opt and
#     /var/tmp, where the program keeps its single-instance lock).
# $QUORVELAN_E2E_SHOTS, a folder below /tmp, is the one place shared with the machine: the test's
# screenshots land there for people to look at. Needs root; run by another user the test is
# skipped (exit code 77).
#
# usage: isolated.sh COMMAND [ARGUMENTS...]
set -eu

if [ "$(id -u)" -ne 0 ]; then
    echo "SKIP: needs root for its namespaces"
    exit 77
fi

shots="${QUORVELAN_E2E_SHOTS:-}"
case "$shots" in
    "" | /tmp/?*) ;;
    *) echo "QUORVELAN_E2E_SHOTS must be a folder below /tmp: $shots" >&2; exit 1 ;;
esac

if [ -z "${QUORVELAN_ISOLATED_SCRATCH:-}" ]; then
    [ -z "$shots" ] || mkdir -p "$shots"
    QUORVELAN_ISOLATED_SCRATCH=$(mktemp -d /tmp/quorvelan-isolated.XXXXXX)
    export QUORVELAN_ISOLATED_SCRATCH
    rc=0
    unshare --mount --propagation private --net --pid --fork --mount-proc --kill-child "$0" "$@" || rc=$?
    rmdir "$QUORVELAN_ISOLATED_SCRATCH" 2>/dev/null || true
    exit "$rc"
fi

# Inside the new namespaces.
scratch="$QUORVELAN_ISOLATED_SCRATCH"
unset QUORVELAN_ISOLATED_SCRATCH

ip link set lo up

# An empty /tmp, which in_private_root.sh carries into its root; /var/tmp is empty there anyway.
mount -t tmpfs tmpfs "$scratch"
if [ -n "$shots" ]; then
    mkdir -p "$scratch/${shots#/tmp/}"
    mount --bind "$shots" "$scratch/${shots#/tmp/}"
fi
# The checkout and the build may lie below /tmp themselves: what the command names (its script,
# its arguments, the working folder) stays reachable in the private /tmp.
for path in "$PWD" "$(cd "$(dirname "$0")" && pwd)" "$@"; do
    case "$path" in
        /tmp/?*) top="${path#/tmp/}"; top="/tmp/${top%%/*}" ;;
        *) continue ;;
    esac
    inside="$scratch/${top#/tmp/}"
    [ -e "$top" ] && [ ! -e "$inside" ] || continue
    if [ -d "$top" ]; then mkdir -p "$inside"; else touch "$inside"; fi
    mount --bind "$top" "$inside"
done

mount --rbind "$scratch" /tmp

export QUORVELAN_ISOLATED=1
unset TMPDIR
exec "$(dirname "$0")/in_private_root.sh" "$@"
