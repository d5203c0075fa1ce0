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
constexpr std::string_view kArchivia = "Spool_Archivia";  // in the exchanges' failure texts

// One document's upload on the host connection. Every failure is logged,
// drops the connection and makes the call false.
class Caricamento {
 public:
  Caricamento(Trasporto& canale, const Strada_Fase& strada) : t_(canale), strada_(strada) {}

  bool Guasto(const std::string& messaggio) { return strada_.Guasto(messaggio); }

  // "I": the archive id the host gives the document (or kNessun_Archivio).
  // A body too short for an id would give a made-up one; of a longer one
  // the id is the first columns.
  bool Indice(const std::string& prefisso_indice, std::string& id) {
    const Risposta_Host r =
        Scambio_Host(t_, {kArchivia, 'I'}, {'I', prefisso_indice},
                     {.Minimo = 10, .Fuori = Fuori_Misura::Troncato, .Rifiuto_Chiude = true});
    if (r.Passo() != Passo_Scambio::Nessuno) return Guasto(r.Messaggio());
    id = r.Testo(1, 10);
    return true;
  }

  // "C" and "B": the id alone, and the outcome.
  bool Semplice(char lettera, const std::string& id) {
    const Risposta_Host r = Scambio_Host(t_, {kArchivia, lettera}, {lettera, id}, kSolo_Esito);
    return r.Passo() == Passo_Scambio::Nessuno || Guasto(r.Messaggio());
  }

  // One chunk: the 25-character header, then the bytes as they stand.
  // `parte` names the exchange in its failure texts: 1 an image, 2 the
  // attribute record, 3 a page text, 4 its tag commands.
  bool Pezzo(const std::string& id, char tipo, int32_t pagina, int32_t numero, std::span<const uint8_t> dati,
             int parte) {
    const std::string testata = Testo_Largo(id, 10) + tipo + Format(pagina, "00000") + Format(numero, "00000") +
                                Format(static_cast<int64_t>(dati.size()), "0000");
    const Risposta_Host r =
        Scambio_Host(t_, {kArchivia, 'W', Numeri_Passo::Parte, parte}, {'W', testata, -1, dati}, kSolo_Esito);
    return r.Passo() == Passo_Scambio::Nessuno || Guasto(r.Messaggio());
  }

  // A whole file in chunks of at most kPezzo_Massimo bytes, numbered on from
  // `numero`. An empty file sends nothing.
  bool File(const std::string& id, char tipo, int32_t pagina, const std::string& nome, int32_t& numero, int parte) {
    std::FILE* f = std::fopen(Percorso_Fs(nome).c_str(), "rb");
    if (!f) return Guasto(kProcedura + "Errore lettura file " + nome);
    // Read ahead in large blocks: one system call for several chunks.
    std::setvbuf(f, nullptr, _IOFBF, 64 * 1024);
    std::vector<uint8_t> buffer(kPezzo_Massimo);
    bool ok = true;
    for (;;) {
      const size_t n = std::fread(buffer.data(), 1, buffer.size(), f);
      if (n == 0) {
        if (std::ferror(f)) ok = Guasto(kProcedura + "Errore lettura file " + nome);
        break;
      }
      if (!Pezzo(id, tipo, pagina, ++numero, std::span<const uint8_t>(buffer.data(), n), parte)) {
        ok = false;
        break;
      }
    }
    std::fclose(f);
    return ok;
  }

 private:
  Trasporto& t_;
  const Strada_Fase& strada_;
};

}  // namespace

bool Fase_Archivia::Esegui(const Stato_Spool& stato, const Strada_Fase& strada) {
  const Attributi_Spool& a = stato.Attributi;
  const Tabelle_Pagine& t = stato.Pagine.Tabelle;
  const std::span<const uint8_t> record = stato.Record_Attributi();
  const bool testo = a.Record_Grezzo == "T";
  const std::vector<Pagina_Resa> pagine = Pagine_Rese(t, a.Prima_Pagina, stato.Pagine.Pagine_Aperte);
  if (testo && record.size() != static_cast<size_t>(kLunghezza_Attributi)) {
    strada.Errore("Archiviazione: record attributi non disponibile");
    return true;
  }
  Server_Base& base = s_.Base;
  const Dizionario_Campi& d = stato.Campi();
  const int32_t larghezza = d.Inizio[static_cast<size_t>(std::clamp(d.Numero + 1, 1, Dizionario_Campi::kMassimo + 1))] - 1;
  const auto cella = [](const std::vector<std::string>& v, int32_t p) {
    return p >= 0 && static_cast<size_t>(p) < v.size() ? v[static_cast<size_t>(p)] : std::string();
  };

  Caricamento u(canale_, strada);
  std::string id = kNessun_Archivio;
  const int32_t totale = static_cast<int32_t>(pagine.size());
  for (size_t i = 0; i < pagine.size(); ++i) {
    // A stop request leaves the document open on the host: it is never
    // complete there, and the spool file is archived anew next time.
    if (strada.Arresto()) return false;
    const Pagina_Resa& pr = pagine[i];
    if (pr.Inizio) {
      if (id != kNessun_Archivio && !u.Semplice('B', id)) return false;
      id = kNessun_Archivio;
      // The page count: the number within the document of its last page.
      size_t ultima = i;
      while (!pagine[ultima].Fine) ++ultima;
      const std::string indice =
          Indice_Archivio::Da_Attributi(a, testo, pagine[ultima].Numero, cella(t.Chiave_Documento, pr.Pagina),
                                        Format(base.Orologio().Adesso(), "yyyymmddhhnnss"),
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
        const std::string immagine = File_Immagine(base.Percorso_Tmp, base.Collegamento.Indice_Server, 1,
                                                   pr.Pagina, stato.Estensione_Immagine);
        if (!u.File(id, '1', pr.Numero, immagine, numero, 1)) return false;
      } else {
        if (pr.Inizio && !u.Pezzo(id, '0', 0, 0, record, 2)) return false;
        const int32_t indice = base.Collegamento.Indice_Server;
        if (!u.File(id, '0', pr.Numero, File_Testo(base.Percorso_Tmp, indice, pr.Pagina), numero, 3) ||
            !u.File(id, '0', pr.Numero, File_Comandi(base.Percorso_Tmp, indice, pr.Pagina), numero, 4))
          return false;
      }
    }
    s_.Quadro.Avanzamento(Pannello::Riga_Archivia, pr.Indice, totale);
    Pompa(s_.Pompa);
  }
  if (id != kNessun_Archivio && !u.Semplice('B', id)) return false;
  Pompa(s_.Pompa);
  return true;
}

}  // namespace qod
