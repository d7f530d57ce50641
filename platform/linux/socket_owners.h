// Which process holds each socket: the inode of a socket mapped to a process
// by the /proc/<pid>/fd links. Walking every process's descriptors is the
// expensive part of a reading, so owners are cached between readings and the
// walk is made only for sockets the cache cannot answer.
#pragma once
#include <cstdint>

#include "platform/linux/sock_diag.h"

namespace plataforma::donos {

// The owner of each of the `n` sockets of one reading into `pids` (0 where
// it cannot be read: a socket held in another namespace, by the kernel, or by
// another user's process without the rights to read its descriptors, which
// the helper holds and raises around this call).
//
// Per reading: cached owners are taken as they are, and a few of them (all of
// them within about twenty readings) are checked against the descriptor they
// were found at, which catches a reused process id and a socket that changed
// hands. The descriptors are walked at most once, only when a socket is new
// or failed its check, first in the processes that already own sockets and
// then in all of them, and only until every such socket is found. A socket
// still not found is not looked for again for about a second.
void resolver(const diag::socket_tcp* sockets, int32_t* pids, int n);

// Empties the cache: the next reading finds every owner anew.
void esquecer();

}  // namespace plataforma::donos
