#include "qod/server/scs.h"

#include <algorithm>
#include <limits>
#include <optional>

#include "qod/basic.h"
#include "qod/server/pannello.h"

namespace qod {

namespace {

// A column counter never runs away: text beyond column 378 is dropped anyway.
constexpr int32_t kColonna_Massima = 1 << 20;

constexpr char kControllo = static_cast<char>(157);  // other control bytes take a column as this
// Past these positions of a block of print data a control is fetched again
// from its first byte with the next block, so that the whole control is in
// one block: a multi-byte control ("2B") from 8123 on, a presentation
// position ("34") from 8184 on.
constexpr int32_t kUltima_Posizione_2B = 8122;
constexpr int32_t kUltima_Posizione_34 = 8183;

int32_t Limita(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

}  // namespace

Sorgente_Dati::Esito Sorgente_Memoria::Blocco(int32_t offset, std::span<const uint8_t>& blocco) {
  Richieste.push_back(offset);
  if (offset < 0 || static_cast<size_t>(offset) >= dati_.size()) return Esito::Rifiutato;
  blocco = dati_.subspan(static_cast<size_t>(offset),
                         std::min<size_t>(static_cast<size_t>(blocco_), dati_.size() - static_cast<size_t>(offset)));
  return Esito::Ok;
}

bool Interprete_SCS::Fallito(const std::string& messaggio) {
  if (Guasto) Guasto(messaggio);
  return false;
}

bool Interprete_SCS::Apri_Se_Serve() {
  if (P.Riga < 0) {
    if (P.Pagine_Aperte == ultima_) return false;
    P.Pagina_Apri();
  }
  return !P.Errore_File();
}

void Interprete_SCS::Metti(char c) {
  // The first character placed in a column wins.
  std::string& buffer = In_Tag ? Buffer_Tag : P.Buffer_Riga;
  int32_t& colonna = In_Tag ? Colonna_Tag : P.Colonna;
  if (colonna < kColonna_Massima) ++colonna;
  if (colonna >= 1 && colonna <= kLarghezza_Riga && buffer[static_cast<size_t>(colonna - 1)] == ' ')
    buffer[static_cast<size_t>(colonna - 1)] = c;
}

bool Interprete_SCS::Tag_Chiudi() {
  if (!Apri_Se_Serve()) return false;
  size_t fine = Buffer_Tag.find_last_not_of(' ');
  P.Tag_Scrivi(fine == std::string::npos ? std::string_view() : std::string_view(Buffer_Tag).substr(0, fine + 1));
  Buffer_Tag.assign(kLarghezza_Riga, ' ');
  Colonna_Tag = 0;
  In_Tag = false;
  return !P.Errore_File();
}

// The control at `Posizione` is fetched again from its first byte.
Interprete_SCS::Dopo Interprete_SCS::Riprendi(const Blocco_In_Corso& k) {
  Byte_Ricevuti -= k.n - Posizione;
  k.prossimo = static_cast<int64_t>(Offset_Dati) + Posizione;
  return Dopo::Blocco_Successivo;
}

// The control at `Posizione` does not fit in the block: while more data
// follows it is fetched again from its first byte (a block that holds
// nothing else gets the next block joined to it); when the data is
// exhausted it ends the data.
Interprete_SCS::Dopo Interprete_SCS::Non_Entra(const Blocco_In_Corso& k) {
  if (!k.altri_dati) return Dopo::Fine_Dati;
  return Posizione > 0 ? Riprendi(k) : Dopo::Incompleto;
}

std::optional<Interprete_SCS::Dopo> Interprete_SCS::Controllo_Multibyte(const Blocco_In_Corso& k) {
  const uint8_t* b = k.b;
  if (Posizione > kUltima_Posizione_2B) return Riprendi(k);
  if (Posizione + 3 > k.n) return Non_Entra(k);
  const uint8_t classe = b[Posizione + 1];
  Parametro = b[Posizione + 2];
  if (classe == 0xC6) {  // Set Line Density
    if (Posizione + 4 > k.n) return Non_Entra(k);
    const int32_t nn = b[Posizione + 3];
    Passo_Righe = nn == 0 ? 1 : std::max(1, 12 / nn);
  }
  const int32_t dopo = Posizione + 2 + Parametro;
  if (dopo > k.n) {
    // The control's data runs on past the block: carry on after it.
    k.prossimo = static_cast<int64_t>(Offset_Dati) + dopo;
    Byte_Ricevuti = Limita(static_cast<int64_t>(Byte_Ricevuti) + (dopo - k.n));
    return Dopo::Blocco_Successivo;
  }
  Posizione = dopo;
  return std::nullopt;
}

std::optional<Interprete_SCS::Dopo> Interprete_SCS::Posizione_Presentazione(const Blocco_In_Corso& k) {
  const uint8_t* b = k.b;
  if (Posizione > kUltima_Posizione_34) return Riprendi(k);
  if (Posizione + 3 > k.n) return Non_Entra(k);
  const uint8_t tipo = b[Posizione + 1];
  const int32_t nn = b[Posizione + 2];
  Parametro = nn;
  switch (tipo) {
    case 0xC4:  // Absolute Vertical Presentation Position
      if (!Riga_Assoluta(nn)) return Dopo::Stop;
      break;
    case 0xC0:  // Absolute Horizontal Presentation Position (0 means column 1)
      if (!Apri_Se_Serve()) return Dopo::Stop;
      (In_Tag ? Colonna_Tag : P.Colonna) = std::max(0, nn - 1);
      break;
    case 0x4C: {  // Relative Vertical Presentation Position
      if (!Apri_Se_Serve()) return Dopo::Stop;
      P.Colonna = 0;
      for (int32_t r = nn / Passo_Righe; r > 0; --r) {
        P.Riga_Scrivi();
        P.Riga += 1;
      }
      break;
    }
    case 0xC8: {  // Relative Horizontal Presentation Position
      if (!Apri_Se_Serve()) return Dopo::Stop;
      int32_t& colonna = In_Tag ? Colonna_Tag : P.Colonna;
      colonna = std::min(kColonna_Massima, colonna + nn);
      break;
    }
    default:
      break;
  }
  Posizione += 3;
  return std::nullopt;
}

bool Interprete_SCS::Riga_Assoluta(int32_t nn) {
  if (!Apri_Se_Serve()) return false;
  P.Colonna = 0;
  if (nn < P.Riga + 1) {
    // A line above the current one: the next page.
    if (P.Pagine_Aperte > 0) {
      P.Riga_Scrivi();
      P.Pagina_Chiudi();
    }
    if (P.Pagine_Aperte == ultima_) return false;
    P.Pagina_Apri();
    if (P.Errore_File()) return false;
  }
  while (P.Riga + 1 < nn) {
    P.Riga_Scrivi();
    P.Riga += 1;
  }
  return true;
}

bool Interprete_SCS::Modulo_Avanti() {
  if (P.Pagine_Aperte > 0) {
    if (!Apri_Se_Serve()) return false;
    P.Riga_Scrivi();
    P.Pagina_Chiudi();
  }
  P.Riga = -1;
  P.Colonna = 0;
  return true;
}

bool Interprete_SCS::A_Capo() {
  if (!Apri_Se_Serve()) return false;
  P.Riga_Scrivi();
  P.Colonna = 0;
  P.Riga += 1;
  return true;
}

// A run of printable bytes outside a tag, placed as Metti places them, up
// to the next control or "{" (which opens a tag). Placing a character
// cannot fail, so the run needs no checks.
int32_t Interprete_SCS::Testo_Metti(const Blocco_In_Corso& k, const std::array<uint8_t, 256>& tabella) {
  std::string& buffer = P.Buffer_Riga;
  int32_t colonna = P.Colonna;
  int32_t i = Posizione;
  for (; i < k.n; ++i) {
    const uint8_t y = k.b[i];
    if (y < 0x40) break;
    const char c = static_cast<char>(tabella[y]);
    if (c == '{') break;
    if (colonna < kColonna_Massima) ++colonna;
    if (colonna >= 1 && colonna <= kLarghezza_Riga && buffer[static_cast<size_t>(colonna - 1)] == ' ')
      buffer[static_cast<size_t>(colonna - 1)] = c;
  }
  P.Colonna = colonna;
  return i;
}

bool Interprete_SCS::Carattere_Metti(uint8_t x, const std::array<uint8_t, 256>& tabella) {
  if (x < 0x40) {
    Metti(kControllo);
    return true;
  }
  const char c = static_cast<char>(tabella[x]);
  if (c == '{') {
    In_Tag = true;
    Colonna_Tag = 0;
  }
  Metti(c);
  return !(c == '}' && In_Tag && !Tag_Chiudi());
}

Interprete_SCS::Dopo Interprete_SCS::Blocco_Interpreta(std::span<const uint8_t> blocco,
                                                       const std::array<uint8_t, 256>& tabella,
                                                       int64_t dimensione, int64_t& prossimo) {
  const int32_t n = static_cast<int32_t>(blocco.size());
  const Blocco_In_Corso k{blocco.data(), n, static_cast<int64_t>(Offset_Dati) + n < dimensione, prossimo};
  for (Posizione = 0; Posizione < n;) {
    const uint8_t x = k.b[Posizione];
    switch (x) {
      case 0x2B:  // SCS multi-byte control: 2B class LL ...
        if (const auto fine = Controllo_Multibyte(k)) return *fine;
        continue;
      case 0x34:  // Presentation positions: 34 kind nn
        if (const auto fine = Posizione_Presentazione(k)) return *fine;
        continue;
      case 0x0C:  // Form Feed
        if (!Modulo_Avanti()) return Dopo::Stop;
        break;
      case 0x0D:  // Carriage Return (the tag column stays)
        P.Colonna = 0;
        break;
      case 0x15:  // New Line
        if (!A_Capo()) return Dopo::Stop;
        break;
      case 0x00:
        break;
      default:
        if (x >= 0x40 && !In_Tag) {
          const int32_t fine = Testo_Metti(k, tabella);
          if (fine > Posizione) {
            Posizione = fine;
            continue;
          }
        }
        if (!Carattere_Metti(x, tabella)) return Dopo::Stop;
        break;
    }
    if (P.Errore_File()) return Dopo::Stop;
    ++Posizione;
  }
  prossimo = static_cast<int64_t>(Offset_Dati) + n;
  return Dopo::Blocco_Successivo;
}

bool Interprete_SCS::Spool_Dati(Sorgente_Dati& sorgente, const std::array<uint8_t, 256>& tabella,
                                int32_t dimensione, int32_t ultima_pagina) {
  Offset_Dati = 0;
  Lunghezza_Blocco = 0;
  Posizione = 0;
  Byte_Ricevuti = 0;
  In_Tag = false;
  Colonna_Tag = 0;
  Buffer_Tag.assign(kLarghezza_Riga, ' ');
  Passo_Righe = 1;
  Parametro = 0;
  ultima_ = ultima_pagina;

  const int64_t totale = dimensione;
  // The first bytes of a control that a short block cut, with the next block
  // joined to them.
  std::vector<uint8_t> unito;
  while (static_cast<int64_t>(Offset_Dati) <= totale - 1) {
    std::span<const uint8_t> blocco;
    switch (sorgente.Blocco(Limita(static_cast<int64_t>(Offset_Dati) + static_cast<int64_t>(unito.size())), blocco)) {
      case Sorgente_Dati::Esito::Errore_Intestazione: return Fallito(Testo_Passo(kNome_Dati, Passo_Scambio::Intestazione));
      case Sorgente_Dati::Esito::Rifiutato: return Fallito(Testo_Passo(kNome_Dati, Passo_Scambio::Esito));
      case Sorgente_Dati::Esito::Errore_Corpo: return Fallito(Testo_Passo(kNome_Dati, Passo_Scambio::Corpo));
      case Sorgente_Dati::Esito::Ok: break;
    }
    // An empty block cannot be read and would never move on.
    if (blocco.empty()) return Fallito(Testo_Passo(kNome_Dati, Passo_Scambio::Corpo));
    Byte_Ricevuti = Limita(static_cast<int64_t>(Byte_Ricevuti) + static_cast<int64_t>(blocco.size()));
    if (Quadro) Quadro->Avanzamento(Pannello::Riga_Dati, Byte_Ricevuti, dimensione);
    Pompa(Pompa_Messaggi);
    // The program is ending: the spool file is left where it stands.
    if (Arresto && Arresto()) return false;

    std::span<const uint8_t> dati = blocco;
    if (!unito.empty()) {
      unito.insert(unito.end(), blocco.begin(), blocco.end());
      dati = unito;
    }
    Lunghezza_Blocco = static_cast<int32_t>(dati.size());
    int64_t prossimo = 0;
    const Dopo dopo = Blocco_Interpreta(dati, tabella, totale, prossimo);
    if (dopo == Dopo::Stop) return true;
    if (dopo == Dopo::Fine_Dati) break;
    if (dopo == Dopo::Incompleto) {
      if (unito.empty()) unito.assign(dati.begin(), dati.end());
      continue;
    }
    unito.clear();
    if (prossimo > totale) prossimo = totale;
    Offset_Dati = Limita(prossimo);
  }

  // End of the data.
  if (In_Tag && Registro) Registro("[Spool_Dati] Tag non chiuso: " + Left(RTrim(Buffer_Tag), 60));
  if (P.Riga >= 0) {
    P.Riga_Scrivi();
    P.Pagina_Chiudi();
  } else if (P.Buffer_Riga.find_first_not_of(' ') != std::string::npos) {
    // Text after the last form feed with no line end still gets its page.
    if (!Apri_Se_Serve()) return true;
    P.Riga_Scrivi();
    P.Pagina_Chiudi();
  }
  return true;
}

}  // namespace qod
