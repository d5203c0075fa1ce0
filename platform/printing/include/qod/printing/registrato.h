// A print device that prints nothing and remembers everything: the jobs it
// was given, their pages, the copies asked, every image drawn with its
// destination. Printers, their status and the failure of any single call
// are set by the test.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "qod/printing/stampanti.h"

namespace qod::stampa {

class Dispositivo_Registrato : public Dispositivo_Stampa {
 public:
  struct Disegno {
    int larghezza = 0, altezza = 0, bit = 0;  // of the image drawn
    int dpi_x = 0, dpi_y = 0;
    Rettangolo destinazione;
  };
  struct Pagina {
    std::vector<Disegno> disegni;
    bool chiusa = false;
  };
  struct Lavoro {
    std::string nome;
    int32_t id = 0;
    Modo_Dispositivo modo;  // as the context had it when the job started
    std::vector<Pagina> pagine;
    bool finito = false;    // ended with success
    bool annullato = false; // dropped before its end, or cancelled after it
  };

  // The printers the device knows, with their status.
  std::map<std::string, Info_Stampante> stampanti;
  // The default printer's name.
  std::string predefinita;
  // The device mode a printer starts from.
  Modo_Dispositivo modo_iniziale;
  // The capabilities of every context (A4 at 600 dpi, no margins).
  Capacita capacita{600, 600, 0, 0, 4960, 7015, 4960, 7015};

  // Failures to give, as error codes (0 = none) or flags.
  int32_t errore_apri = 0, errore_modo_leggi = 0, errore_modo_scrivi = 0, errore_reimposta = 0;
  bool fallisce_crea = false, fallisce_inizio_doc = false, fallisce_fine_doc = false, fallisce_disegno = false;

  // The ids of the jobs the printer has completed: they cannot be cancelled.
  std::vector<int32_t> completati;

  // What happened.
  std::vector<Lavoro> lavori;
  std::vector<Modo_Dispositivo> modi_applicati;
  int contesti_creati = 0, contesti_eliminati = 0;
  std::vector<std::string> chiamate;  // "Info", "Apri", "Crea_DC", "Inizio_Doc", ...

  // Jobs that reached the printing system whole.
  std::vector<const Lavoro*> Finiti() const;

  std::vector<std::string> Elenco() override;
  std::string Predefinita() override { return predefinita; }
  Info_Stampante Info(const std::string& nome) override;
  int32_t Apri(const std::string& nome) override;
  int32_t Modo_Leggi(const std::string& nome, Modo_Dispositivo& modo) override;
  int32_t Modo_Scrivi(const std::string& nome, Modo_Dispositivo& modo) override;
  Contesto Crea_DC(const std::string& nome) override;
  int32_t Reimposta_DC(Contesto dc, const Modo_Dispositivo& modo) override;
  std::optional<Capacita> Capacita_DC(Contesto dc) override;
  int32_t Inizio_Doc(Contesto dc, const std::string& nome) override;
  int32_t Fine_Doc(Contesto dc) override;
  int32_t Annulla_Doc(Contesto dc) override;
  // Jobs ended whole and not in `completati` are cancelled.
  int32_t Annulla_Lavoro(int32_t lavoro) override;
  int32_t Inizio_Pagina(Contesto dc) override;
  int32_t Fine_Pagina(Contesto dc) override;
  int32_t Elimina_DC(Contesto dc) override;
  bool Disegna(Contesto dc, const img::Immagine& immagine, const Rettangolo& destinazione) override;

 private:
  struct Stato_Contesto {
    Modo_Dispositivo modo;
    int lavoro = -1;  // index into lavori of the open job
  };
  Lavoro* Aperto(Contesto dc);
  std::map<Contesto, Stato_Contesto> contesti_;
  Contesto prossimo_ = 100;
  int32_t prossimo_lavoro_ = 1;
};

}  // namespace qod::stampa
