#!/bin/sh
# Runs a command in namespaces of its own:
#   own_namespaces.sh COMMAND [ARGS...]
# - its own network with only a loopback, so the companion's fixed port 25803
#   and the adb stand-in's sockets are the command's alone;
# - its own process list, so the library's "end every adb" (which leaves
#   processes of other networks alone) reaches only the command's adb, and
#   everything the command leaves running ends with it;
# - its own mounts, for tests that mount (read-only folders).
# The user is mapped to root inside, which owns the same files as outside.
# Tests of the port and of ending every adb run side by side this way;
# cmake/TestIsolation.cmake uses it where the system allows it.
#
# A shell stays the namespace's first process and waits for the command, so
# processes the command leaves behind are reaped and its exit status is kept.
exec unshare --user --map-root-user --net --mount --pid --fork --mount-proc --kill-child \
  sh -c 'ip link set lo up || { echo "own_namespaces.sh: cannot bring up the loopback" >&2; exit 125; }
"$@"
status=$?
exit $status' own_namespaces "$@"
