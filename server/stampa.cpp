#include "qod/server/stampa.h"

#include <filesystem>
#include <stdexcept>

#include "qod/basic.h"
#include "qod/imaging/file.h"
#include "qod/server/pagine.h"

namespace qod {

namespace {

constexpr const char* kNome_Documento = "Quillon";

// A failure of the device or the image in the middle of printing.
struct Guasto_Stampa : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// A stop request in the middle of printing.
struct Stampa_Fermata {};

int32_t Intero(double v) {
  const auto r = CLng(v);
  if (!r) throw std::overflow_error("Overflow");
  return *r;
}

}  // namespace

std::optional<Risultato_Ping> Ping_Rete::Ping(const std::string& indirizzo) {
  const auto a = net::Hosts_Indirizzo(indirizzo);
  if (!a) return std::nullopt;
  return net::Ping_Echo(20, 1000, *a, eco_);
}

Piano_Copie Piano_Copie_Calcola(int32_t copie, bool fascicola, int32_t copie_immagini) {
  // No copies asked still prints the document once.
  if (copie < 1) copie = 1;
  Piano_Copie p;
  if (copie_immagini <= 1) {
    if (fascicola)
      p.Esterne = copie;
    else
      p.Copie_Driver = copie;
  } else if (fascicola) {
    p.Esterne = copie_immagini;
    p.Immagine_Da_Esterna = true;
  } else {
    p.Interne = copie_immagini;
    p.Immagine_Da_Interna = true;
  }
  return p;
}

stampa::Rettangolo Destinazione_Immagine(const Attributi_Spool& a, int32_t larghezza_twips, int32_t altezza_twips,
                                         int larghezza_px, int altezza_px, int dpi_x, int dpi_y,
                                         double& orizzontale, double& verticale) {
  if (dpi_x <= 0) dpi_x = 200;
  if (dpi_y <= 0) dpi_y = 200;
  const int32_t iw = Intero(larghezza_px * 1440.0 / dpi_x);
  const int32_t ih = Intero(altezza_px * 1440.0 / dpi_y);
  if (iw <= 0 || ih <= 0) throw Guasto_Stampa("image too small for its resolution");
  const double fw = larghezza_twips - a.Margine_Sinistro - a.Margine_Destro;
  const double fh = altezza_twips - a.Margine_Alto - a.Margine_Basso;
  if (a.Modo_Scala == "O") {
    orizzontale = verticale = fw / iw;
  } else if (a.Modo_Scala == "V") {
    orizzontale = verticale = fh / ih;
  } else if (a.Modo_Scala == "N") {
    orizzontale = a.Scala_Orizzontale;
    verticale = a.Scala_Verticale;
  } else {
    // "A", and any mode it does not know: the whole image in the frame.
    orizzontale = fw / iw;
    verticale = fh / ih;
    if (verticale < orizzontale) orizzontale = verticale;
    verticale = orizzontale;
  }
  const double sinistra =
      a.Centra_Orizzontale == "S" ? (fw - iw * orizzontale) / 2 + a.Margine_Sinistro : a.Margine_Sinistro;
  const double alto = a.Centra_Verticale == "S" ? (fh - ih * verticale) / 2 + a.Margine_Alto : a.Margine_Alto;
  stampa::Rettangolo r;
  r.sinistra = Intero(sinistra);
  r.alto = Intero(alto);
  r.destra = Intero(iw * orizzontale + r.sinistra);
  r.basso = Intero(ih * verticale + r.alto);
  return r;
}

bool Spool_Stampa(const Lavoro_Stampa& l, Servizi_Stampa& s) {
  const Attributi_Spool& a = l.Attributi;
  Pannello& q = s.Quadro;
  auto pompa = [&] {
    if (s.Pompa) s.Pompa();
  };
  // Before the first phase the state row counts as empty only when blank;
  // from then on a phase text in it gives way to the error.
  bool in_fasi = false;
  auto errore = [&](const std::string& messaggio) {
    const bool vuoto = in_fasi ? q.Stato_Vuoto() : Trim(q.Valore(Pannello::Riga_Stato)).empty();
    if (vuoto) q.Valore_Imposta(Pannello::Riga_Stato, messaggio);
    if (s.Errore) s.Errore(messaggio);
    return false;
  };
  auto fase = [&](int n) {
    in_fasi = true;
    q.Valore_Imposta(Pannello::Riga_Stato, "          Stampa fase " + std::to_string(n));
    pompa();
  };
  stampa::Dispositivo_Stampa& d = s.Dispositivo;
  auto fermo = [&] {
    if (s.Arresto && s.Arresto()) throw Stampa_Fermata{};
  };
  // A job the printing system took whole.
  int32_t lavoro = 0;
  auto consegnato = [&] {
    if (s.Consegnati && lavoro > 0) s.Consegnati->push_back(lavoro);
  };

  // Does the printer answer? An address the HOSTS file cannot give is a
  // failure of the stage itself.
  if (!Trim(a.Indirizzo_Stampante).empty()) {
    const auto ping = s.Ping.Ping(a.Indirizzo_Stampante);
    if (!ping) return errore("errore generico di stampa");
    if (ping->Errore) return errore("La stampante non risponde");
  }
  // Ask whether the printer is ready, unless told not to.
  if (a.Controllo_Stato != "N") {
    std::string testo;
    if (stampa::Stampante_Stato(d, a.Stampante, testo) != 0) return errore("La stampante " + testo);
  }

  // The device context and the copy plan.
  fase(1);
  const stampa::Contesto dc = stampa::Stampante_Crea_DC(d, a.Stampante);
  const Piano_Copie piano = Piano_Copie_Calcola(a.Copie, a.Copie_Server == "S", l.Copie_Immagini);
  bool documento = false;
  // Nothing stays open: the job being drawn is dropped whole (no part of it
  // reaches the printer) and the device freed.
  auto lascia = [&] {
    if (documento) d.Annulla_Doc(dc);
    stampa::Stampante_Elimina_DC(d, dc);
  };
  try {
    // Set the job's orientation, copies, colour, resolution and tray.
    fase(2);
    if (stampa::Stampante_Imposta(d, s.Log, s.Finestra, dc, a.Stampante, a.Orientamento == "V", piano.Copie_Driver,
                                  a.Colore, a.Stampa_Risoluzione_X, a.Stampa_Risoluzione_Y, a.Cassetto) != 0) {
      stampa::Stampante_Elimina_DC(d, dc);
      return errore("Errore nell'impostazione della stampante");
    }

    // Read the page's metrics and open the first job.
    fase(3);
    stampa::Metriche_Pagina m;
    stampa::Metriche_Pagina_Leggi(d, dc, m);
    fase(4);
    if ((lavoro = stampa::Stampante_Inizio_Doc(d, dc, kNome_Documento)) <= 0) throw Guasto_Stampa("StartDoc");
    documento = true;
    int32_t blocco = 0;

    // Print every image, copy by copy, in jobs of at most Max Pagine Blocco images.
    for (int32_t esterna = 1; esterna <= piano.Esterne; ++esterna) {
      for (int32_t h = 1; h <= l.Pagine_Aperte; ++h) {
        for (int32_t interna = 1; interna <= piano.Interne; ++interna) {
          const int32_t copia = piano.Immagine_Da_Esterna ? esterna : piano.Immagine_Da_Interna ? interna : 1;
          const std::string file =
              File_Immagine(l.Percorso_Tmp, l.Indice_Server, copia, a.Prima_Pagina + h - 1, l.Estensione);
          std::error_code ec;
          if (!std::filesystem::exists(file, ec)) continue;
          fermo();

          if (l.Max_Pagine_Blocco > 0 && blocco >= l.Max_Pagine_Blocco) {
            fase(5);
            fermo();
            documento = false;
            if (stampa::Stampante_Fine_Doc(d, dc) <= 0) throw Guasto_Stampa("EndDoc");
            consegnato();
            if ((lavoro = stampa::Stampante_Inizio_Doc(d, dc, kNome_Documento)) <= 0) throw Guasto_Stampa("StartDoc");
            documento = true;
            blocco = 0;
          }
          ++blocco;

          // A page file the printer can take as it stands is not decoded.
          stampa::Immagine_Pagina immagine;
          if (!stampa::Immagine_Pagina_Leggi(file, immagine)) throw Guasto_Stampa("image");
          double orizzontale = 0, verticale = 0;
          const stampa::Rettangolo r =
              Destinazione_Immagine(a, m.Larghezza_Twips, m.Altezza_Twips, immagine.larghezza, immagine.altezza,
                                    immagine.dpi_x, immagine.dpi_y, orizzontale, verticale);
          fase(6);
          if (stampa::Stampante_Inizio_Pagina(d, dc) <= 0) throw Guasto_Stampa("StartPage");
          fase(7);
          if (!d.Disegna_Pagina(dc, immagine, r)) throw Guasto_Stampa("draw");
          pompa();
          fase(8);
          if (stampa::Stampante_Fine_Pagina(d, dc) <= 0) throw Guasto_Stampa("EndPage");
          pompa();
        }
        q.Avanzamento(Pannello::Riga_Stampa, h, l.Pagine_Aperte);
      }
    }

    // Close the last job and free the device.
    fase(9);
    fermo();
    documento = false;
    if (stampa::Stampante_Fine_Doc(d, dc) <= 0) throw Guasto_Stampa("EndDoc");
    consegnato();
    stampa::Stampante_Elimina_DC(d, dc);
  } catch (const Stampa_Fermata&) {
    lascia();
    return false;
  } catch (const std::exception&) {
    lascia();
    return errore("errore generico di stampa");
  }
  q.Valore_Imposta(Pannello::Riga_Stato, "");
  return true;
}

bool Fase_Stampa::Esegui(const Stato_Spool& stato, const Strada_Fase& strada) {
  Server_Base& base = s_.Base;
  const Lavoro_Stampa lavoro{stato.Attributi,       stato.Pagine.Pagine_Aperte,
                             stato.Copie_Immagini,  stato.Estensione_Immagine,
                             base.Percorso_Tmp,     base.Collegamento.Indice_Server,
                             base.Generale.Max_Pagine_Blocco};
  consegnati_.clear();
  Servizi_Stampa servizi{dispositivo_,
                         ping_,
                         s_.Quadro,
                         s_.Pompa,
                         [&base](std::string_view riga) { base.Log_Scrivi(true, true, riga); },
                         strada.Errore,
                         Finestra ? Finestra() : 0,
                         strada.Arresto,
                         &consegnati_};
  Spool_Stampa(lavoro, servizi);
  return true;
}

void Fase_Stampa::Abbandona() {
  for (const int32_t lavoro : consegnati_) dispositivo_.Annulla_Lavoro(lavoro);
  consegnati_.clear();
}

}  // namespace qod
