// The page files of a spool file and its document layout: the page text and
// tag command files in the temporary folder, opening and closing pages, the
// line writer that cuts the key, archive and group fields out of every line,
// the tag command writer, and the per-page tables that carry documents to
// every later stage. Pages whose document keys are equal form one document.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "qod/record/definizioni.h"
#include "qod/record/file_pagina.h"
#include "qod/host/collegamento.h"

namespace qod {

inline constexpr int kLarghezza_Riga = 378;  // columns of a print line

// The per-page tables, indexed by page number 1..Pagine_Aperte (element 0
// is not used).
struct Tabelle_Pagine {
  std::vector<std::string> Chiave_Documento{std::string()};
  std::vector<int32_t> Pagina_Documento{0};
  std::vector<std::string> Dati_Archivio{std::string()};
  std::array<std::vector<std::string>, 7> Valori_Gruppo{};  // groups 1..6, each 1..pages (0 unused)

  Tabelle_Pagine() { Azzera(); }

  void Azzera();
};

// Conversion of a value cut from a line by its extraction kind: "A" as it
// stands, "N" a number right-aligned and zero-filled in `lunghezza`, "1".."8"
// the date forms (yyyymmdd), any other kind the text unchanged.
std::string Valore_Converti(std::string_view s, std::string_view tipo, int32_t lunghezza);

// A number cut from a page line: "." and "," dropped, blanks read as "0",
// then as a digit string right-aligned and zero-filled in `larghezza`.
std::string Numero_Pagina(std::string_view s, int32_t larghezza);

// `Campo_Estrai`: the value of one group field. "C" the first `lunghezza`
// characters of the constant, "A" the text at `colonna` and `lunghezza`, any
// other kind a number right-aligned and zero-filled in `lunghezza`. The line
// number and the compaction kind are not used.
std::string Campo_Estrai(std::string_view riga_testo, int32_t riga, int32_t colonna, int32_t lunghezza,
                         std::string_view tipo, std::string_view compattazione, std::string_view costante);

class Pagine_Spool {
 public:
  // What one spool file's layout depends on.
  struct Impostazioni {
    std::string Cartella_TmpS;         // page files, with trailing "/"
    std::string Cartella_Programma;    // replaces "\" in "{VA=\", with trailing "/"
    int32_t Indice_Server = 0;
    bool Tabelle = false;              // archive or save: fill the page tables
    bool Gruppi = false;               // mail or XML hand-off: fill the group values
    const Definizione_Formato* Formato = nullptr;
    const Gruppi_Campi* Gruppi_Definiti = nullptr;
    const Dizionario_Campi* Dizionario = nullptr;
    const std::string* Modello_Archivio = nullptr;
  };

  Pagine_Spool();
  ~Pagine_Spool();
  Pagine_Spool(const Pagine_Spool&) = delete;
  Pagine_Spool& operator=(const Pagine_Spool&) = delete;

  // A log line (written with a blank line before it and the date prefix).
  std::function<void(const std::string&)> Registro;
  // A failure of the spool file that is not a transfer failure: the caller
  // marks the spool file (`Errore_Spool`) and shows the message.
  std::function<void(const std::string&)> Errore;

  // Start of a spool file: empty tables, no page open, fresh line buffer.
  void Avvia(const Impostazioni& impostazioni);

  // Opens the next page: both its files are created, the tables grow.
  void Pagina_Apri();
  // Closes the current page and decides whether it continues the document
  // of the page before it.
  void Pagina_Chiudi();
  // Finishes the current line: key, archive and group fields, the tag lines
  // of the constant-text rows, then the line itself.
  void Riga_Scrivi();
  // Writes one line to the open page's command file; a line holding a copy
  // selector "{CP=#}" makes the spool file copy-dependent.
  void Comando_Scrivi(std::string_view testo);
  // A tag captured from the print data ("{" .. "}", trailing blanks cut):
  // "{VA=" gets its "{rc=" line first, and "{VA=\" names a file under the
  // program folder.
  void Tag_Scrivi(std::string_view tag);

  // Closes whatever is still open (a spool file abandoned midway).
  void Chiudi_Tutto();

  // True once a page file could not be created or written; nothing more is
  // written for this spool file.
  bool Errore_File() const { return errore_file_; }

  // ---- State shared with the print stream interpreter ----------------------
  int32_t Riga = -1;        // 0-based line on the open page; -1: no page open
  int32_t Colonna = 0;      // columns used on the current line
  std::string Buffer_Riga;  // the current line, 378 characters
  int32_t Pagine_Aperte = 0;
  bool Pagina_Dipendente = false;

  Tabelle_Pagine Tabelle;

  const Impostazioni& Config() const { return cfg_; }

 private:
  void Linea_Scrivi(std::FILE* f, std::string_view testo);
  void Fallisci(const std::string& messaggio);
  void Segnala_Una_Volta(bool& segnalato, const std::string& messaggio);
  void Costanti_Scrivi(const std::string& linea);
  void Archivio_Imposta(int32_t pagina, int k, std::string valore);

  Impostazioni cfg_;
  std::FILE* testo_ = nullptr;
  std::FILE* comandi_ = nullptr;
  std::string nome_testo_, nome_comandi_;
  bool errore_file_ = false;
  bool segnalata_colonna_ = false;
  bool segnalato_dizionario_ = false;
  std::string riga_uscita_;  // scratch for one output line
};

}  // namespace qod
