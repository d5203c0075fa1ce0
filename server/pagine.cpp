#include "qod/server/pagine.h"

#include <algorithm>
#include <cstring>

#include "qod/basic.h"
#include "qod/winpath.h"

namespace qod {

namespace {

// The length of a print line without its trailing blanks: most of a line's
// 378 columns are blank, so they are passed over eight at a time.
constexpr size_t kBuffer_Pagina = 64 * 1024;

size_t Lunghezza_Senza_Spazi(std::string_view s) {
  constexpr uint64_t kOtto_Spazi = 0x2020202020202020ull;
  size_t n = s.size();
  while (n >= 8) {
    uint64_t w;
    std::memcpy(&w, s.data() + n - 8, 8);
    if (w != kOtto_Spazi) break;
    n -= 8;
  }
  while (n > 0 && s[n - 1] == ' ') --n;
  return n;
}

// Mid over a definition's column and length; a column below 1 or a length
// below 1 cuts nothing.
std::string Taglia(std::string_view s, int32_t colonna, int32_t lunghezza) {
  if (colonna < 1 || lunghezza < 1) return {};
  return Mid(s, colonna, lunghezza);
}

// True when a definition row applies to line `riga` (0-based) of the page:
// kind "C" on the first line, any kind on its own line.
bool Si_Applica(const Campo_Definizione& c, int32_t riga) {
  return (c.Tipo == "C" && riga == 0) || c.Riga == riga + 1;
}

}  // namespace

void Tabelle_Pagine::Azzera() {
  Chiave_Documento.assign(1, std::string());
  Pagina_Documento.assign(1, 0);
  Dati_Archivio.assign(1, std::string());
  for (auto& g : Valori_Gruppo) g.assign(1, std::string());
}

std::string Numero_Pagina(std::string_view s, int32_t larghezza) {
  std::string t;
  t.reserve(s.size());
  for (char c : s) {
    if (c == '.' || c == ',') continue;
    t.push_back(c == ' ' ? '0' : c);
  }
  return Numero_Cifre(t, larghezza);
}

std::string Valore_Converti(std::string_view s, std::string_view tipo, int32_t lunghezza) {
  if (tipo == "A") return std::string(s);
  if (tipo == "N") return Numero_Pagina(s, lunghezza);
  if (tipo.size() != 1 || tipo[0] < '1' || tipo[0] > '8') return std::string(s);
  auto secolo = [](const std::string& yy) { return yy < "70" ? std::string("20") : std::string("19"); };
  std::string r;
  switch (tipo[0]) {
    case '1': r = secolo(Mid(s, 5, 2)) + Mid(s, 5, 2) + Mid(s, 3, 2) + Mid(s, 1, 2); break;
    case '2': r = Mid(s, 5, 4) + Mid(s, 3, 2) + Mid(s, 1, 2); break;
    case '3': r = secolo(Mid(s, 3, 2)) + Mid(s, 3, 2) + Mid(s, 1, 2) + "01"; break;
    case '4': r = Mid(s, 3, 4) + Mid(s, 1, 2) + "01"; break;
    case '5': r = secolo(Mid(s, 7, 2)) + Mid(s, 7, 2) + Mid(s, 4, 2) + Mid(s, 1, 2); break;
    case '6': r = Mid(s, 7, 4) + Mid(s, 4, 2) + Mid(s, 1, 2); break;
    case '7': r = secolo(Mid(s, 4, 2)) + Mid(s, 4, 2) + Mid(s, 1, 2) + "01"; break;
    default: r = Mid(s, 4, 4) + Mid(s, 1, 2) + "01"; break;  // '8'
  }
  std::replace(r.begin(), r.end(), ' ', '0');
  return r;
}

std::string Campo_Estrai(std::string_view riga_testo, int32_t /*riga*/, int32_t colonna, int32_t lunghezza,
                         std::string_view tipo, std::string_view /*compattazione*/, std::string_view costante) {
  if (tipo == "C") return Left(costante, lunghezza);
  if (tipo == "A") return Taglia(riga_testo, colonna, lunghezza);
  return Numero_Pagina(Taglia(riga_testo, colonna, lunghezza), lunghezza);
}

// ---- Pagine_Spool ------------------------------------------------------------

Pagine_Spool::Pagine_Spool() : Buffer_Riga(kLarghezza_Riga, ' ') {}

Pagine_Spool::~Pagine_Spool() { Chiudi_Tutto(); }

void Pagine_Spool::Avvia(const Impostazioni& impostazioni) {
  Chiudi_Tutto();
  cfg_ = impostazioni;
  Riga = -1;
  Colonna = 0;
  Buffer_Riga.assign(kLarghezza_Riga, ' ');
  Pagine_Aperte = 0;
  Pagina_Dipendente = false;
  Tabelle.Azzera();
  errore_file_ = false;
  segnalata_colonna_ = false;
  segnalato_dizionario_ = false;
}

void Pagine_Spool::Chiudi_Tutto() {
  if (testo_) std::fclose(testo_);
  if (comandi_) std::fclose(comandi_);
  testo_ = comandi_ = nullptr;
}

void Pagine_Spool::Fallisci(const std::string& messaggio) {
  if (errore_file_) return;
  errore_file_ = true;
  Chiudi_Tutto();
  if (Registro) Registro(messaggio);
  if (Errore) Errore(messaggio);
}

void Pagine_Spool::Segnala_Una_Volta(bool& segnalato, const std::string& messaggio) {
  if (segnalato) return;
  segnalato = true;
  if (Registro) Registro(messaggio);
}

void Pagine_Spool::Pagina_Apri() {
  if (errore_file_) return;
  Chiudi_Tutto();
  Pagine_Aperte += 1;
  const int32_t p = Pagine_Aperte;
  Riga = 0;
  Colonna = 0;

  nome_testo_ = File_Testo(cfg_.Cartella_TmpS, cfg_.Indice_Server, p);
  nome_comandi_ = File_Comandi(cfg_.Cartella_TmpS, cfg_.Indice_Server, p);
  testo_ = std::fopen(Percorso_Fs(nome_testo_).c_str(), "wb");
  if (!testo_) return Fallisci("Errore apertura file " + nome_testo_);
  comandi_ = std::fopen(Percorso_Fs(nome_comandi_).c_str(), "wb");
  if (!comandi_) return Fallisci("Errore apertura file " + nome_comandi_);
  // A buffer that holds a whole page: each file is written in one go when
  // it is closed.
  std::setvbuf(testo_, nullptr, _IOFBF, kBuffer_Pagina);
  std::setvbuf(comandi_, nullptr, _IOFBF, kBuffer_Pagina);

  if (!cfg_.Tabelle) return;
  const int32_t lunghezza_chiave = cfg_.Formato ? cfg_.Formato->Lunghezza_Chiave() : 0;
  Tabelle.Chiave_Documento.push_back(Space(lunghezza_chiave));
  Tabelle.Pagina_Documento.push_back(1);
  Tabelle.Dati_Archivio.push_back(cfg_.Modello_Archivio ? *cfg_.Modello_Archivio : std::string());

  if (!cfg_.Gruppi) return;
  for (int g = 1; g <= kGruppi; ++g) {
    const int32_t lunghezza = cfg_.Gruppi_Definiti ? (*cfg_.Gruppi_Definiti)[static_cast<size_t>(g)].Lunghezza() : 0;
    Tabelle.Valori_Gruppo[static_cast<size_t>(g)].push_back(Space(lunghezza));
  }
}

void Pagine_Spool::Pagina_Chiudi() {
  // A write that failed (disk full) shows when the file is closed.
  auto chiudi = [](std::FILE*& f) {
    if (!f) return true;
    const bool scritto = std::ferror(f) == 0;
    const bool chiuso = std::fclose(f) == 0;
    f = nullptr;
    return scritto && chiuso;
  };
  const bool testo_ok = chiudi(testo_);
  const bool comandi_ok = chiudi(comandi_);
  if (!testo_ok) return Fallisci("Errore scrittura file " + nome_testo_);
  if (!comandi_ok) return Fallisci("Errore scrittura file " + nome_comandi_);

  const int32_t p = Pagine_Aperte;
  if (cfg_.Tabelle && p >= 2 && static_cast<size_t>(p) < Tabelle.Chiave_Documento.size() &&
      Tabelle.Chiave_Documento[static_cast<size_t>(p - 1)] == Tabelle.Chiave_Documento[static_cast<size_t>(p)])
    Tabelle.Pagina_Documento[static_cast<size_t>(p)] = Tabelle.Pagina_Documento[static_cast<size_t>(p - 1)] + 1;
}

void Pagine_Spool::Linea_Scrivi(std::FILE* f, std::string_view testo) {
  if (!f) return;
  riga_uscita_.assign(testo);
  riga_uscita_ += "\r\n";
  std::fwrite(riga_uscita_.data(), 1, riga_uscita_.size(), f);
}

void Pagine_Spool::Comando_Scrivi(std::string_view testo) {
  if (Like(testo, "*{CP=#}*")) Pagina_Dipendente = true;
  Linea_Scrivi(comandi_, testo);
}

void Pagine_Spool::Tag_Scrivi(std::string_view tag) {
  if (tag.substr(0, 4) == "{VA=") Comando_Scrivi("{rc=" + Format(Riga, "000") + "}");
  if (tag.substr(0, 5) == "{VA=\\") {
    Comando_Scrivi("{VA=" + cfg_.Cartella_Programma + std::string(tag.substr(5)));
    return;
  }
  Comando_Scrivi(tag);
}

void Pagine_Spool::Archivio_Imposta(int32_t pagina, int k, std::string valore) {
  const Dizionario_Campi* d = cfg_.Dizionario;
  const int voce = k + 13;
  if (!d || voce > d->Numero || voce > Dizionario_Campi::kMassimo) {
    Segnala_Una_Volta(segnalato_dizionario_,
                      "[Riga_Scrivi] Campo di archivio " + Format(k, "0") + " senza voce nel dizionario");
    return;
  }
  const int32_t larghezza = d->Larghezza[static_cast<size_t>(voce)];
  const int32_t posizione = d->Inizio[static_cast<size_t>(voce)] - 112;
  if (d->Tipo[static_cast<size_t>(voce)] != "A")
    valore = Numero_Pagina(valore, larghezza);
  else
    valore = Testo_Largo(valore, larghezza);
  Mid_Imposta(Tabelle.Dati_Archivio[static_cast<size_t>(pagina)], posizione, larghezza, valore);
}

void Pagine_Spool::Costanti_Scrivi(const std::string& linea) {
  if (!cfg_.Formato) return;
  for (const auto& c : cfg_.Formato->Costanti) {
    const bool si = (c.Tipo == "C" && Riga == 0) || (c.Riga <= Riga + 1 && Riga + 1 <= c.Riga_Fine);
    if (!si) continue;
    // Pieces that each end with "}"; what follows the last "}" is not written.
    size_t inizio = 0;
    for (size_t fine; (fine = c.Costante.find('}', inizio)) != std::string::npos; inizio = fine + 1)
      Comando_Scrivi(Trim(std::string_view(c.Costante).substr(inizio, fine - inizio + 1)));
    if (c.Tipo != "C") {
      if (c.Colonna < 1) Segnala_Una_Volta(segnalata_colonna_, "[Riga_Scrivi] Colonna errata nel formato");
      std::string valore = Valore_Converti(Taglia(linea, c.Colonna, c.Lunghezza), c.Tipo, c.Lunghezza);
      Comando_Scrivi("{rc=" + Format(Riga, "000") + "}");
      Comando_Scrivi("{VA=" + valore + "}");
    }
  }
}

void Pagine_Spool::Riga_Scrivi() {
  const int32_t p = Pagine_Aperte;
  const std::string& L = Buffer_Riga;
  const bool tabelle = cfg_.Tabelle && cfg_.Formato && p >= 1 &&
                       static_cast<size_t>(p) < Tabelle.Chiave_Documento.size();
  if (tabelle) {
    const Definizione_Formato& f = *cfg_.Formato;
    auto cut = [&](const Campo_Definizione& c) {
      if (c.Colonna < 1) Segnala_Una_Volta(segnalata_colonna_, "[Riga_Scrivi] Colonna errata nel formato");
      return Taglia(L, c.Colonna, c.Lunghezza);
    };
    // The key fields into the document's key.
    for (int n = 1; n <= f.Numero_Chiavi && n <= Definizione_Formato::kChiavi; ++n) {
      const Campo_Definizione& c = f.Chiave[static_cast<size_t>(n)];
      if (!Si_Applica(c, Riga)) continue;
      std::string v = c.Tipo == "C" ? Left(c.Costante, c.Lunghezza) : cut(c);
      Mid_Imposta(Tabelle.Chiave_Documento[static_cast<size_t>(p)], f.E[static_cast<size_t>(n - 1)], c.Lunghezza, v);
    }
    // The archive fields, converted to their kind.
    for (int k = 1; k <= f.Numero_Indici && k <= Definizione_Formato::kIndici; ++k) {
      const Campo_Definizione& c = f.Indice[static_cast<size_t>(k)];
      if (!Si_Applica(c, Riga)) continue;
      Archivio_Imposta(p, k, c.Tipo == "C" ? c.Costante : Valore_Converti(cut(c), c.Tipo, c.Lunghezza));
    }
    // The values of the mail and XML field groups.
    if (cfg_.Gruppi && cfg_.Gruppi_Definiti) {
      for (int g = 1; g <= kGruppi; ++g) {
        const Gruppo_Campi& gruppo = (*cfg_.Gruppi_Definiti)[static_cast<size_t>(g)];
        auto& valori = Tabelle.Valori_Gruppo[static_cast<size_t>(g)];
        if (static_cast<size_t>(p) >= valori.size()) continue;
        for (int k = 1; k <= gruppo.Numero(); ++k) {
          const Campo_Definizione& c = gruppo.Campi[static_cast<size_t>(k - 1)];
          if (!Si_Applica(c, Riga)) continue;
          if (c.Tipo != "C" && c.Colonna < 1)
            Segnala_Una_Volta(segnalata_colonna_, "[Riga_Scrivi] Colonna errata nel formato");
          Mid_Imposta(valori[static_cast<size_t>(p)], gruppo.Inizi[static_cast<size_t>(k - 1)], c.Lunghezza,
                      Campo_Estrai(L, c.Riga, c.Colonna, c.Lunghezza, c.Tipo, c.Compattazione, c.Costante));
        }
      }
    }
  }
  // Tag lines of the constant-text rows, then the line itself.
  Costanti_Scrivi(L);
  Linea_Scrivi(testo_, std::string_view(L).substr(0, Lunghezza_Senza_Spazi(L)));
  Buffer_Riga.assign(kLarghezza_Riga, ' ');
}

}  // namespace qod
