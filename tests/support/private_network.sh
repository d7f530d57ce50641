#!/bin/sh
# Runs a test program in a network namespace of its own with only its loopback
# up, so that the connections it opens and the machine-wide table it reads are
# its own: other programs' connections (and other test runs) cannot change what
# it counts. Where a private namespace is not allowed, runs the program as it
# is; the tests that open connections then skip, saying why.
if unshare -n true 2>/dev/null; then
  exec unshare -n sh -c 'ip link set lo up && QUORVEX_REDE_PRIVADA=1 exec "$@"' rede_privada "$@"
fi
exec "$@"
