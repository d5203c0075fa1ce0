#include "qod/printing/stampanti.h"

#include <cmath>
#include <limits>
#include <stdexcept>

#include "qod/ansi.h"
#include "qod/basic.h"
#include "qod/imaging/file.h"
#include "qod/pdf/immagini.h"

namespace qod::stampa {

namespace {

struct Voce_Stato {
  uint32_t stato;
  const char* testo;  // UTF-8 in the source, Windows-1252 when given out
};

// The phrase of each status word that has one.
constexpr Voce_Stato kStati[] = {
    {0x1, "è in pausa"},
    {0x2, "è in errore"},
    {0x4, "è in cancellazione"},
    {0x8, "ha la carta inceppata"},
    {0x10, "è senza carta"},
    {0x20, "richiede l'alimentazione manuale"},
    {0x40, "ha problemi con la carta"},
    {0x80, "è fuori linea"},
    {0x100, "ha l'I/O attivo"},
    {0x200, "è in uso"},
    {0x400, "è in stampa"},
    {0x800, "ha il cassetto di raccolta pieno"},
    {0x1000, "non è disponibile"},
    {0x2000, "è in attesa"},
    {0x4000, "è in trattamento"},
    {0x8000, "è in inizializzazione"},
    {0x10000, "è in riscaldamento"},
    {0x40000, "è senza toner"},
    {0x80000, "ha problemi con la carta"},
    {0x100000, "richiede un intervento utente"},
    {0x200000, "ha la memoria piena"},
    {0x400000, "ha lo sportello aperto"},
    {0x800000, "ha il server sconosciuto"},
    {0x1000000, "è In risparmio energetico"},
};

int32_t Codice(int32_t errore) { return errore == 0 ? -1 : errore; }

int16_t Corto(double v) {
  if (!(v >= std::numeric_limits<int16_t>::min() && v <= std::numeric_limits<int16_t>::max()))
    throw std::overflow_error("Overflow");
  return static_cast<int16_t>(v);
}

std::string Senza_Maiuscole(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = static_cast<char>(Ansi_Maiuscolo(static_cast<unsigned char>(c)));
  return r;
}

}  // namespace

int32_t Stato_Testo(uint32_t stato, std::string& testo) {
  if (stato == 0) {
    testo = A("è in Pronto");
    return 0;
  }
  if (stato == kStato_Toner_Scarso) {
    testo.clear();
    return 0;
  }
  testo = A("ha un errore sconosciuto");
  for (const auto& v : kStati)
    if (v.stato == stato) testo = A(v.testo);
  return static_cast<int32_t>(stato);
}

Info_Stampante Info_Da_Cups(int stato, const std::vector<std::string>& motivi, bool accetta_lavori) {
  Info_Stampante i;
  i.fuori_linea = !accetta_lavori;
  // A queue that is processing a job is ready: CUPS holds the next job
  // until the device is free. Only a stopped queue is paused.
  if (stato == 5) i.stato |= kStato_Pausa;
  static constexpr struct {
    const char* motivo;
    uint32_t bit;
  } kMotivi[] = {
      {"paused", kStato_Pausa},           {"media-empty", kStato_Senza_Carta},
      {"media-needed", kStato_Senza_Carta}, {"media-jam", kStato_Carta_Inceppata},
      {"toner-low", kStato_Toner_Scarso}, {"toner-empty", kStato_Senza_Toner},
      {"door-open", kStato_Sportello_Aperto}, {"cover-open", kStato_Sportello_Aperto},
      {"offline", kStato_Fuori_Linea},
  };
  for (std::string m : motivi) {
    for (const char* fine : {"-report", "-warning", "-error"}) {
      const std::string f(fine);
      if (m.size() > f.size() && m.compare(m.size() - f.size(), f.size(), f) == 0) {
        m.resize(m.size() - f.size());
        break;
      }
    }
    for (const auto& k : kMotivi)
      if (m == k.motivo) i.stato |= k.bit;
  }
  return i;
}

int32_t Stampante_Stato(Dispositivo_Stampa& dispositivo, const std::string& nome, std::string& testo) {
  testo.clear();
  const Info_Stampante i = dispositivo.Info(nome);
  if (i.errore_apertura != 0) {
    testo = A("non è possibile contattarla");
    return Codice(i.errore_apertura);
  }
  if (i.errore_lettura != 0) {
    if (i.errore_lettura == kErrore_Percorso_Rete) {
      testo = A("è fuori linea");
      return 128;
    }
    testo = A("ha un errore generico");
    return Codice(i.errore_lettura);
  }
  if (i.fuori_linea) {
    testo = A("è fuori linea");
    return 128;
  }
  return Stato_Testo(i.stato, testo);
}

int32_t Stampante_Imposta(Dispositivo_Stampa& dispositivo, const Scrivi_Log& log, int64_t finestra, Contesto dc,
                          const std::string& nome, bool verticale, int32_t copie, const std::string& colore,
                          int32_t risoluzione_x, int32_t risoluzione_y, int32_t cassetto) {
  const std::string titolo = "[Stampante Imposta]";
  auto scrivi = [&](const std::string& riga) {
    if (log) log(riga);
  };
  scrivi(titolo + " hWnd=" + std::to_string(finestra) + " hPrintDC=" + std::to_string(dc) + " Stampante=" + nome +
         " Verticale=" + (verticale ? "Vero" : "Falso") + " Copie=" + std::to_string(copie) + " Colore=" + colore +
         " RisolX=" + std::to_string(risoluzione_x) + " RisolY=" + std::to_string(risoluzione_y) +
         " Cassetto=" + std::to_string(cassetto));

  int32_t r = dispositivo.Apri(nome);
  if (r != 0) {
    r = Codice(r);
    scrivi(titolo + " OpenPrinter=" + std::to_string(r));
    return r;
  }
  Modo_Dispositivo modo;
  r = dispositivo.Modo_Leggi(nome, modo);
  if (r != 0) {
    scrivi(titolo + " read DocumentProperties=" + std::to_string(r));
    return r;
  }
  if (colore == "S" || colore == "N") {
    modo.colore = colore == "S" ? 2 : 1;
    modo.campi |= DM_COLOR;
  }
  if (risoluzione_x > 0) {
    modo.qualita = Corto(risoluzione_x);
    modo.campi |= DM_PRINTQUALITY;
  }
  if (risoluzione_y > 0) {
    modo.risoluzione_y = Corto(risoluzione_y);
    modo.campi |= DM_YRESOLUTION;
  }
  // A page has one resolution here: the one across is used for both.
  if (risoluzione_x > 0 && risoluzione_y > 0 && risoluzione_x != risoluzione_y)
    scrivi(titolo + " RisolY=" + std::to_string(risoluzione_y) + " diversa da RisolX=" +
           std::to_string(risoluzione_x) + ": si usa RisolX");
  modo.copie = Corto(copie);
  modo.orientamento = verticale ? 1 : 2;
  modo.campi |= DM_ORIENTATION | DM_COPIES;
  if (cassetto > 0) {
    modo.cassetto = Corto(cassetto);
    modo.campi |= DM_DEFAULTSOURCE;
  }
  r = dispositivo.Modo_Scrivi(nome, modo);
  if (r != 0) {
    scrivi(titolo + " write DocumentProperties=" + std::to_string(r));
    return r;
  }
  r = dispositivo.Reimposta_DC(dc, modo);
  if (r != 0) {
    r = Codice(r);
    scrivi(titolo + " ResetDC=" + std::to_string(r));
    return r;
  }
  return 0;
}

Metriche_Pagina Metriche_Da_Capacita(const Capacita& c) {
  Metriche_Pagina m;
  m.Dpi_X = Corto(c.dpi_x);
  m.Dpi_Y = Corto(c.dpi_y);
  if (m.Dpi_X <= 0 || m.Dpi_Y <= 0) throw std::overflow_error("Division by zero");
  m.Offset_X = Corto(c.offset_x);
  m.Offset_Y = Corto(c.offset_y);
  m.Larghezza = Corto(c.larghezza);
  m.Altezza = Corto(c.altezza);
  m.Larghezza_Fisica = Corto(c.larghezza_fisica);
  m.Altezza_Fisica = Corto(c.altezza_fisica);
  m.Pixel_Mm_X = static_cast<float>(m.Dpi_X / 25.402708);
  m.Pixel_Mm_Y = static_cast<float>(m.Dpi_Y / 25.402708);
  m.Twips_Pixel_X = static_cast<float>(1440.0 / m.Dpi_X);
  m.Twips_Pixel_Y = static_cast<float>(1440.0 / m.Dpi_Y);
  // A 16-bit count times a single-precision factor is a single-precision
  // product, then rounded to the integer field halves to even.
  const float lx = static_cast<float>(m.Larghezza) * m.Twips_Pixel_X;
  const float ly = static_cast<float>(m.Altezza) * m.Twips_Pixel_Y;
  m.Larghezza_Twips = Corto(Arrotonda_Pari(lx));
  m.Altezza_Twips = Corto(Arrotonda_Pari(ly));
  return m;
}

void Metriche_Pagina_Leggi(Dispositivo_Stampa& dispositivo, Contesto dc, Metriche_Pagina& metriche) {
  const auto c = dispositivo.Capacita_DC(dc);
  if (!c) throw std::runtime_error("device context without capabilities");
  metriche = Metriche_Da_Capacita(*c);
}

img::Esito Immagine_Pagina_Leggi(const std::filesystem::path& file, Immagine_Pagina& pagina) {
  pagina = Immagine_Pagina{};
  pagina.file = file;
  if (const auto t = pdf::Tiff_Senza_Decodifica(file)) {
    pagina.larghezza = static_cast<int>(t->larghezza);
    pagina.altezza = static_cast<int>(t->altezza);
    pagina.dpi_x = t->dpi_x;
    pagina.dpi_y = t->dpi_y;
    return img::Esito::Bene();
  }
  img::Esito esito = img::Carica(file, pagina.decodificata);
  if (!esito) return esito;
  pagina.larghezza = pagina.decodificata.Larghezza();
  pagina.altezza = pagina.decodificata.Altezza();
  pagina.dpi_x = pagina.decodificata.Dpi_X();
  pagina.dpi_y = pagina.decodificata.Dpi_Y();
  return esito;
}

bool Dispositivo_Stampa::Disegna_Pagina(Contesto dc, const Immagine_Pagina& pagina, const Rettangolo& destinazione) {
  if (!pagina.Diretta()) return Disegna(dc, pagina.decodificata, destinazione);
  img::Immagine immagine;
  if (!img::Carica(pagina.file, immagine)) return false;
  return Disegna(dc, immagine, destinazione);
}

std::optional<std::string> Coda_Per_Nome(const std::string& nome, const std::vector<std::string>& code,
                                         const std::string& predefinita) {
  if (nome.empty()) {
    if (predefinita.empty()) return std::nullopt;
    return predefinita;
  }
  auto cerca = [&](const std::string& n) -> std::optional<std::string> {
    for (const auto& c : code)
      if (c == n) return c;
    const std::string m = Senza_Maiuscole(n);
    for (const auto& c : code)
      if (Senza_Maiuscole(c) == m) return c;
    return std::nullopt;
  };
  if (auto c = cerca(nome)) return c;
  if (nome.size() > 2 && nome[0] == '\\' && nome[1] == '\\') {
    const auto p = nome.find_last_of('\\');
    if (p != std::string::npos && p > 1 && p + 1 < nome.size()) return cerca(nome.substr(p + 1));
  }
  return std::nullopt;
}

}  // namespace qod::stampa
