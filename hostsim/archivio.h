// The archive store: a folder with one folder per document, named by its
// archive id (README.md describes the layout), which the archive module
// (modulo_archivio.cpp) fills and the records that read it (K, R, Q, L)
// answer from.
//
// What this run of the stand-in received (I, C, W, B) it keeps in memory and
// answers from there (up to a limit; past it the oldest documents are read
// from the folder again); the files go to the folder through a thread of
// their own, in the order they were made, once a document is closed, and
// Sincronizza() returns once all of them are written. A document that other
// hands put in the folder is read from the folder at each request. Every call
// comes from a record handler (one at a time) except Sincronizza(), which may
// come from any thread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "host.h"

namespace hostsim {

class Archivio {
 public:
  // The one store of the program.
  static Archivio& Store();
  ~Archivio();

  // Settles the folder (created if missing); false with a message when it
  // cannot be made. The ids go on from the highest already there.
  bool Prepara(const std::string& cartella, std::string& errore);
  const std::string& Cartella() const { return cartella_; }

  // A new document: the next id, its folder, the body of its "I" request
  // (EBCDIC) and its index record (ANSI); state "indice".
  std::string Crea(Byte_Condivisi richiesta_i, const std::string& indice);
  // The state of a document ("indice", "aperto", "chiuso"); empty for an id
  // that names no document of the store.
  std::string Stato(const std::string& id);
  // Opens document `id` for content (state "aperto"); false for an id that
  // names no document.
  bool Apri(const std::string& id);
  // One chunk of an open document: kind, page and chunk as their digits.
  void Pezzo_Aggiungi(const std::string& id, const std::string& tipo, const std::string& pagina,
                      const std::string& pezzo, Byte_Condivisi dati);
  // Closes it: every page's chunks joined in chunk order, state "chiuso".
  // Its files are written once Scrivi_Ora() or Sincronizza() is called, or
  // once requests pause.
  void Chiudi(const std::string& id);
  // Has the writer start on what waits.
  void Scrivi_Ora();

  // The ids of the complete documents, in id order.
  std::vector<std::string> Documenti() const;
  // The index record of a complete document with the id in columns 2-11;
  // empty when `id` names no complete document.
  std::string Indice(const std::string& id) const;
  enum class Pezzo { Letto, Nessuno, Non_Completo };
  // A chunk of a complete document as it was stored. `senza_fine`: past the
  // page's last chunk, the last one again.
  Pezzo Pezzo_Leggi(const std::string& id, const std::string& tipo, const std::string& pagina,
                    const std::string& pezzo, bool senza_fine, Byte_Condivisi& dati) const;

  // Returns once every file of the documents received so far is written.
  void Sincronizza();

 private:
  // Kind, page, chunk.
  using Chiave = std::tuple<char, int, int>;
  struct Documento {
    std::string stato;
    std::string indice;  // ANSI
    std::map<Chiave, Byte_Condivisi> pezzi;
    uint64_t scritto_con = 0;  // closed: its files are written once the writer has done this many
  };
  struct Operazione {
    enum Tipo : uint8_t { Cartella, File, Pezzo } tipo;
    std::string percorso;              // of the folder or the file; for a chunk, its document's id
    std::vector<Byte_Condivisi> dati;  // a file's bytes, one part after another
    bool sostituisci = false;          // written aside and renamed over the old one
    Chiave chiave{};                   // a chunk: its kind, page and number
    Byte_Condivisi pezzo;              // and its bytes
  };

  Archivio() = default;
  std::string Percorso(const std::string& id) const { return cartella_ + "/" + id; }
  // The document as this run knows it, adopting one found in the folder.
  Documento* Trova(const std::string& id);
  void Scrivi_Stato(const std::string& id, Documento& d, const std::string& stato);
  // Leaves the oldest complete documents whose files are written to the
  // folder while the chunks in memory are past their limit.
  void Alleggerisci();
  void Accoda(Operazione o);
  void Scrittore();

  std::string cartella_ = "archivio";
  long long ultimo_ = 0;  // the last id given
  std::map<std::string, Documento> documenti_;
  size_t byte_memoria_ = 0;  // of the chunks in memory

  std::mutex m_;
  std::condition_variable lavoro_, fatto_;
  std::vector<Operazione> coda_;
  size_t byte_in_coda_ = 0;
  uint64_t accodate_ = 0, eseguite_ = 0;
  std::chrono::steady_clock::time_point prima_, ultima_;  // the oldest operation waiting, the last one
  bool richiesta_ = false, sveglia_ = false, fine_ = false;
  std::thread filo_;
};

}  // namespace hostsim
