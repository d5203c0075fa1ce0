// TCP over POSIX sockets, as the host link needs it: IPv4 only, sockets that
// never block the caller for longer than the limit it gives, and sends that
// never raise SIGPIPE. No message loop is involved here: callers that must
// keep a window alive pump between the calls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace qod::net {

// A socket handle; kNessuno marks an empty slot.
using Handle = int;
inline constexpr Handle kNessuno = -1;

// The address of a dotted text ("10.1.2.3") as it stands, otherwise the first
// IPv4 address the resolver gives for the name. Network byte order. Nothing
// when the name is unknown.
std::optional<uint32_t> Risolvi(std::string_view host);

// Dotted text of an address in network byte order.
std::string Testo_IP(uint32_t indirizzo);

// SO_LINGER on `fd`, read back: 0 when the option holds what was asked, -1
// otherwise.
int Linger(Handle fd, bool attivo, int secondi);

// Asked between the slices of a long wait (connect, writability), at least
// every kFetta_Interruzione_ms: true gives the wait up at once. Empty: the
// wait runs to its limit.
using Interruzione = std::function<bool()>;
inline constexpr int kFetta_Interruzione_ms = 100;

// Opens a non-blocking TCP connection to `indirizzo`:`porta` (network byte
// order address, host order port) with linger on for 0 s, so that closing
// drops the connection at once. Gives up after `limite_ms` when the peer
// neither accepts nor refuses, or as soon as `interrompi` says so. The
// socket is closed on every failure.
Handle Connetti(uint32_t indirizzo, uint16_t porta, int limite_ms, const Interruzione& interrompi = {});

enum class Attesa { Lettura, Scrittura };

// Waits until `fd` is readable (a closed peer counts as readable) or
// writable, for at most `limite_ms`. False on time-out and when the socket
// reports an error condition.
bool Attendi(Handle fd, Attesa modo, int limite_ms);

// One receive into `dati`, at most `n` bytes, never blocking: the byte
// count, 0 when the peer has closed, -1 when nothing is there or on error.
ssize_t Ricevi(Handle fd, void* dati, size_t n);

// One send, never blocking, never raising SIGPIPE: the count sent or -1.
ssize_t Invia(Handle fd, const void* dati, size_t n);

// Sends all `n` bytes, waiting for writability whenever the socket's buffer
// is full; gives up when no progress is possible for `limite_ms`, or as
// soon as `interrompi` says so while it waits. True when every byte went
// out. In the normal case this is one send.
bool Invia_Tutto(Handle fd, const void* dati, size_t n, int limite_ms, const Interruzione& interrompi = {});

void Chiudi(Handle fd);

// The local host name; empty on failure.
std::string Nome_Host();

// The local address (network byte order) and port of a socket.
std::optional<uint32_t> IP_Locale(Handle fd);
std::optional<uint16_t> Porta_Locale(Handle fd);

}  // namespace qod::net
