// The kernel's list of established TCP connections, read either by a netlink
// sock_diag dump or from /proc/net/tcp and /proc/net/tcp6, both address
// families. IPv4 connections carried by dual-stack IPv6 sockets
// (::ffff:a.b.c.d) are listed as IPv4.
#pragma once
#include <cstdint>

namespace plataforma::diag {

struct socket_tcp {
    uint32_t ip_local;      // network byte order
    uint32_t ip_remoto;     // network byte order
    uint16_t porta_local;   // network byte order
    uint16_t porta_remota;  // network byte order
    uint64_t inode;         // 0 for a socket no process holds any more
    bool ipv6 = false;      // an IPv6 connection: its addresses below, the two above 0
    uint8_t ip6_local[16] = {};
    uint8_t ip6_remoto[16] = {};
};

// Each returns the number of established connections found (only the first
// `capacidade` are written), or -1 when the source cannot be read: netlink
// refused by the kernel (no sock_diag, a sandbox) or /proc/net not readable.
int listar_por_netlink(socket_tcp* destino, int capacidade);
int listar_por_proc(socket_tcp* destino, int capacidade);

}  // namespace plataforma::diag
