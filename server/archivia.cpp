#include "qod/server/archivia.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "qod/basic.h"
#include "qod/record/indice_archivio.h"
#include "qod/server/documenti.h"
#include "qod/winpath.h"

namespace qod {

namespace {

const std::string kProcedura = "[Spool_Archivia] ";

// One document's upload on the host connection. Every failure is logged,
// drops the connection and makes the call false.
class Caricamento {
 public:
  explicit Caricamento(Contesto_Fase& c) : c_(c), t_(c.Canale) {}

  bool Guasto(const std::string& messaggio) { return c_.Guasto(kProcedura + messaggio); }

  // The reply header of a record that carries no body: "0" required, any
  // body read and dropped.
  bool Esito_Vuoto(const std::string& passo, const std::string& esito) {
    Intestazione_Risposta r;
    if (!t_.Intestazione_Leggi(kSlot_Host, r)) return Guasto("Errore Sock_Read " + passo);
    if (!r.Accettata()) return Guasto("Errore Esito " + esito);
    if (!t_.Corpo_Scarta(kSlot_Host, r.Lunghezza)) return Guasto("Errore Sock_Read " + passo);
    return true;
  }

  // "I": the archive id the host gives the document (or kNessun_Archivio).
  bool Indice(const std::string& prefisso_indice, std::string& id) {
    Intestazione_Risposta r;
    if (!t_.Richiesta(kSlot_Host, 'I', prefisso_indice, r)) return Guasto("Errore Sock_Read {I}(1)");
    if (!r.Accettata()) return Guasto("Errore Esito {I}");
    // A body too short for an id would give a made-up one.
    if (r.Lunghezza < 10) return Guasto("Errore Sock_Read {I}(2)");
    const int32_t primo = std::min(r.Lunghezza, kBlocco_Massimo);
    if (!t_.Sock_Read(kSlot_Host, primo)) return Guasto("Errore Sock_Read {I}(2)");
    id = t_.Sock_Field("A", 1, 10);
    if (!t_.Corpo_Scarta(kSlot_Host, r.Lunghezza - primo)) return Guasto("Errore Sock_Read {I}(2)");
    return true;
  }

  bool Semplice(char lettera, const std::string& id) {
    const std::string l = std::string("{") + lettera + "}";
    if (!t_.Richiesta_Invia(kSlot_Host, lettera, id)) return Guasto("Errore Sock_Read " + l + "(1)");
    return Esito_Vuoto(l + "(1)", l);
  }

  // One chunk: the 25-character header, then the bytes as they stand.
  bool Pezzo(const std::string& id, char tipo, int32_t pagina, int32_t numero, std::span<const uint8_t> dati,
             const std::string& passo) {
    const std::string testata = Testo_Largo(id, 10) + tipo + Format(pagina, "00000") + Format(numero, "00000") +
                                Format(static_cast<int64_t>(dati.size()), "0000");
    if (!t_.Richiesta_Grezza_Invia(kSlot_Host, 'W', testata, dati)) return Guasto("Errore Sock_Read {W}" + passo);
    return Esito_Vuoto("{W}" + passo, "{W}" + passo);
  }

  // A whole file in chunks of at most kPezzo_Massimo bytes, numbered on from
  // `numero`. An empty file sends nothing.
  bool File(const std::string& id, char tipo, int32_t pagina, const std::string& nome, int32_t& numero,
            const std::string& passo) {
    std::FILE* f = std::fopen(Percorso_Fs(nome).c_str(), "rb");
    if (!f) return Guasto("Errore lettura file " + nome);
    // Read ahead in large blocks: one system call for several chunks.
    std::setvbuf(f, nullptr, _IOFBF, 64 * 1024);
    std::vector<uint8_t> buffer(kPezzo_Massimo);
    bool ok = true;
    for (;;) {
      const size_t n = std::fread(buffer.data(), 1, buffer.size(), f);
      if (n == 0) {
        if (std::ferror(f)) ok = Guasto("Errore lettura file " + nome);
        break;
      }
      if (!Pezzo(id, tipo, pagina, ++numero, std::span<const uint8_t>(buffer.data(), n), passo)) {
        ok = false;
        break;
      }
    }
    std::fclose(f);
    return ok;
  }

 private:
  Contesto_Fase& c_;
  Trasporto& t_;
};

}  // namespace

bool Fase_Archivia::Esegui(Contesto_Fase& c) {
  const Attributi_Spool& a = c.Attributi;
  Tabelle_Pagine& t = c.Pagine.Tabelle;
  const bool testo = a.Record_Grezzo == "T";
  const std::vector<Pagina_Resa> pagine = Pagine_Rese(t, a.Prima_Pagina, c.Pagine.Pagine_Aperte);
  if (testo && c.Record_Attributi.size() != static_cast<size_t>(kLunghezza_Attributi)) {
    c.Errore("Archiviazione: record attributi non disponibile");
    return true;
  }
  const Dizionario_Campi& d = c.Host.Dizionario;
  const int32_t larghezza = d.Inizio[static_cast<size_t>(std::clamp(d.Numero + 1, 1, Dizionario_Campi::kMassimo + 1))] - 1;
  const auto cella = [](const std::vector<std::string>& v, int32_t p) {
    return p >= 0 && static_cast<size_t>(p) < v.size() ? v[static_cast<size_t>(p)] : std::string();
  };

  Caricamento u(c);
  std::string id = kNessun_Archivio;
  const int32_t totale = static_cast<int32_t>(pagine.size());
  for (size_t i = 0; i < pagine.size(); ++i) {
    // A stop request leaves the document open on the host: it is never
    // complete there, and the spool file is archived anew next time.
    if (c.Arresto()) return false;
    const Pagina_Resa& pr = pagine[i];
    if (pr.Inizio) {
      if (id != kNessun_Archivio && !u.Semplice('B', id)) return false;
      id = kNessun_Archivio;
      // The page count: the number within the document of its last page.
      size_t ultima = i;
      while (!pagine[ultima].Fine) ++ultima;
      const std::string indice =
          Indice_Archivio::Da_Attributi(a, testo, pagine[ultima].Numero, cella(t.Chiave_Documento, pr.Pagina),
                                        Format(c.Base.Orologio().Adesso(), "yyyymmddhhnnss"),
                                        cella(t.Dati_Archivio, pr.Pagina))
              .Componi(larghezza);
      const std::string prefisso =
          Testo_Largo(a.Indice_1, 1) + Testo_Largo(a.Indice_2, 10) + Format(larghezza, "00000");
      if (!u.Indice(prefisso + indice, id)) return false;
      if (id != kNessun_Archivio && !u.Semplice('C', id)) return false;
    }
    if (id != kNessun_Archivio) {
      int32_t numero = 0;
      if (!testo) {
        const std::string immagine = File_Immagine(c.Base.Percorso_Tmp, c.Base.Collegamento.Indice_Server, 1,
                                                   pr.Pagina, c.Estensione_Immagine);
        if (!u.File(id, '1', pr.Numero, immagine, numero, "(1)")) return false;
      } else {
        if (pr.Inizio && !u.Pezzo(id, '0', 0, 0, c.Record_Attributi, "(2)")) return false;
        const int32_t indice = c.Base.Collegamento.Indice_Server;
        if (!u.File(id, '0', pr.Numero, File_Testo(c.Base.Percorso_Tmp, indice, pr.Pagina), numero, "(3)") ||
            !u.File(id, '0', pr.Numero, File_Comandi(c.Base.Percorso_Tmp, indice, pr.Pagina), numero, "(4)"))
          return false;
      }
    }
    c.Quadro.Avanzamento(Pannello::Riga_Archivia, pr.Indice, totale);
    Pompa(c.Pompa);
  }
  if (id != kNessun_Archivio && !u.Semplice('B', id)) return false;
  Pompa(c.Pompa);
  return true;
}

}  // namespace qod
