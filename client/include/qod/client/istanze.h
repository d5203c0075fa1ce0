// The instance slots of the archive viewer: up to 32 copies run at once on
// one machine, each with its own number 1..32, which keeps their page files
// apart. The table is the file Qod_C.DAT in the program folder: one record
// of 128 bytes, 32 slots of 4 bytes little-endian, each the process id of
// the copy holding it, 0 = free. A file of any other length counts as all
// free and is written back whole.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace qod {

inline constexpr int kIstanze_Massime = 32;
inline constexpr const char* kFile_Istanze = "Qod_C.DAT";
inline constexpr const char* kTitolo_Errore_Client = "Quillon      ERRORE";  // six blanks

// True when `pid` is a running process whose program name is `nome`, so that
// a process id reused by another program is not taken for a running copy.
bool Processo_Attivo(int32_t pid, const std::string& nome);

// Takes the first free slot for `pid`, freeing on the way every slot whose
// process no longer runs (`attivo`), and writes the table back. The read,
// the change and the write happen under an exclusive lock on the file, so
// that two copies starting together take different slots. A slot holding
// `pid` itself is a leftover of an ended copy whose id came back to us.
// Result: the instance number 1..32, or 0 when every slot is busy (or the
// file cannot be opened or written).
int Istanza_Slot(const std::string& file_dat, int32_t pid, const std::function<bool(int32_t)>& attivo);

}  // namespace qod
