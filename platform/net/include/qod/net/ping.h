// Is a network printer there? One ICMP echo with a time-out, and the
// printer's address from the HOSTS file (no name service is asked).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace qod::net {

// ICMP status values of an echo, and their texts.
inline constexpr int32_t kIcmp_Successo = 0;
inline constexpr int32_t kIcmp_Rete_Irraggiungibile = 11002;
inline constexpr int32_t kIcmp_Host_Irraggiungibile = 11003;
inline constexpr int32_t kIcmp_Protocollo_Irraggiungibile = 11004;
inline constexpr int32_t kIcmp_Porta_Irraggiungibile = 11005;
inline constexpr int32_t kIcmp_Scaduto = 11010;
inline constexpr int32_t kIcmp_Ttl_Scaduto = 11013;
inline constexpr int32_t kIcmp_Riassemblaggio_Scaduto = 11014;
inline constexpr int32_t kIcmp_Destinazione_Errata = 11018;
inline constexpr int32_t kIcmp_Guasto_Generale = 11050;

// The text of an ICMP status, as the programs have always shown it.
std::string Ping_Stato_Testo(int32_t stato);

// What one echo brought back.
struct Risposta_Echo {
  bool risposta = false;  // a reply (an echo or an error report) arrived
  int32_t stato = kIcmp_Guasto_Generale;
  int32_t tempo = 0;      // ms from the request to the reply
};

// Sends one echo request ("Echo this string of data", 24 bytes, the given
// time to live) to `indirizzo` (network byte order) and waits at most
// `attesa_ms` for its reply.
using Eco = std::function<Risposta_Echo(uint8_t ttl, uint32_t attesa_ms, uint32_t indirizzo)>;

// The echo over an ICMP datagram socket, over a raw socket when the system
// refuses the datagram one, else the general failure. The address 0 is
// never sent to (the system would answer for itself): it is a bad
// destination.
Risposta_Echo Eco_Icmp(uint8_t ttl, uint32_t attesa_ms, uint32_t indirizzo);

// The result of a ping.
struct Risultato_Ping {
  std::string Testo;    // "   OK : completato in ..ms." or "*** errore : ..."
  int32_t Tempo = 0;    // ms: the echo time, or the time-out on an error
  bool Errore = true;
};

// One echo, told as the programs tell it. A reply later than the time-out
// is the time-out.
Risultato_Ping Ping_Echo(uint8_t ttl, uint32_t attesa_ms, uint32_t indirizzo, const Eco& eco = Eco_Icmp);

// The HOSTS file: the environment variable QOD_HOSTS when set, else /etc/hosts.
std::string Hosts_Percorso();

// The address of a printer name or dotted address, in network byte order
// (the first dotted part in the lowest byte). The name is trimmed; lines
// that start with "#" are skipped, as is whatever follows a "#" on a line;
// the first line with a blank-separated field equal to the name (without
// regard to case) gives its first field, and the name stands for itself
// when it is that first field or no line has it. That text split at "."
// must give exactly four numbers, each kept to its low byte; fewer parts
// give 0. Nothing (a failed lookup) when the file cannot be opened or read
// (missing, not readable, a folder), for more than four parts, or for a
// part that is not a number.
std::optional<uint32_t> Hosts_Indirizzo(std::string_view nome, const std::string& percorso = Hosts_Percorso());

}  // namespace qod::net
