#include "qod/printing/registrato.h"

#include <algorithm>

namespace qod::stampa {

std::vector<const Dispositivo_Registrato::Lavoro*> Dispositivo_Registrato::Finiti() const {
  std::vector<const Lavoro*> r;
  for (const auto& l : lavori)
    if (l.finito) r.push_back(&l);
  return r;
}

std::vector<std::string> Dispositivo_Registrato::Elenco() {
  std::vector<std::string> r;
  for (const auto& [nome, info] : stampanti) r.push_back(nome);
  return r;
}

Info_Stampante Dispositivo_Registrato::Info(const std::string& nome) {
  chiamate.push_back("Info");
  const auto i = stampanti.find(nome);
  if (i == stampanti.end()) return {kErrore_Nome_Stampante, 0, false, 0};
  return i->second;
}

int32_t Dispositivo_Registrato::Apri(const std::string& nome) {
  chiamate.push_back("Apri");
  if (errore_apri) return errore_apri;
  return stampanti.count(nome) ? 0 : kErrore_Nome_Stampante;
}

int32_t Dispositivo_Registrato::Modo_Leggi(const std::string&, Modo_Dispositivo& modo) {
  chiamate.push_back("Modo_Leggi");
  if (errore_modo_leggi) return errore_modo_leggi;
  modo = modo_iniziale;
  return 0;
}

int32_t Dispositivo_Registrato::Modo_Scrivi(const std::string&, Modo_Dispositivo&) {
  chiamate.push_back("Modo_Scrivi");
  return errore_modo_scrivi;
}

Contesto Dispositivo_Registrato::Crea_DC(const std::string&) {
  chiamate.push_back("Crea_DC");
  if (fallisce_crea) return 0;
  ++contesti_creati;
  const Contesto dc = prossimo_++;
  contesti_[dc].modo = modo_iniziale;
  return dc;
}

int32_t Dispositivo_Registrato::Reimposta_DC(Contesto dc, const Modo_Dispositivo& modo) {
  chiamate.push_back("Reimposta_DC");
  if (errore_reimposta) return errore_reimposta;
  const auto c = contesti_.find(dc);
  if (c == contesti_.end()) return 6;  // invalid handle
  c->second.modo = modo;
  modi_applicati.push_back(modo);
  return 0;
}

std::optional<Capacita> Dispositivo_Registrato::Capacita_DC(Contesto dc) {
  if (!contesti_.count(dc)) return std::nullopt;
  return capacita;
}

Dispositivo_Registrato::Lavoro* Dispositivo_Registrato::Aperto(Contesto dc) {
  const auto c = contesti_.find(dc);
  if (c == contesti_.end() || c->second.lavoro < 0) return nullptr;
  return &lavori[static_cast<size_t>(c->second.lavoro)];
}

int32_t Dispositivo_Registrato::Inizio_Doc(Contesto dc, const std::string& nome) {
  chiamate.push_back("Inizio_Doc");
  const auto c = contesti_.find(dc);
  if (c == contesti_.end() || c->second.lavoro >= 0 || fallisce_inizio_doc) return 0;
  Lavoro l;
  l.nome = nome;
  l.id = prossimo_lavoro_++;
  l.modo = c->second.modo;
  lavori.push_back(l);
  c->second.lavoro = static_cast<int>(lavori.size()) - 1;
  return l.id;
}

int32_t Dispositivo_Registrato::Fine_Doc(Contesto dc) {
  chiamate.push_back("Fine_Doc");
  Lavoro* l = Aperto(dc);
  if (!l) return 0;
  contesti_[dc].lavoro = -1;
  if (fallisce_fine_doc) return 0;
  l->finito = true;
  return 1;
}

int32_t Dispositivo_Registrato::Annulla_Doc(Contesto dc) {
  chiamate.push_back("Annulla_Doc");
  Lavoro* l = Aperto(dc);
  if (!l) return 0;
  l->annullato = true;
  contesti_[dc].lavoro = -1;
  return 1;
}

int32_t Dispositivo_Registrato::Annulla_Lavoro(int32_t lavoro) {
  chiamate.push_back("Annulla_Lavoro");
  if (std::find(completati.begin(), completati.end(), lavoro) != completati.end()) return 0;
  for (auto& l : lavori)
    if (l.id == lavoro && l.finito && !l.annullato) {
      l.annullato = true;
      return 1;
    }
  return 0;
}

int32_t Dispositivo_Registrato::Inizio_Pagina(Contesto dc) {
  chiamate.push_back("Inizio_Pagina");
  Lavoro* l = Aperto(dc);
  if (!l) return 0;
  l->pagine.emplace_back();
  return 1;
}

int32_t Dispositivo_Registrato::Fine_Pagina(Contesto dc) {
  chiamate.push_back("Fine_Pagina");
  Lavoro* l = Aperto(dc);
  if (!l || l->pagine.empty()) return 0;
  l->pagine.back().chiusa = true;
  return 1;
}

int32_t Dispositivo_Registrato::Elimina_DC(Contesto dc) {
  chiamate.push_back("Elimina_DC");
  if (!contesti_.erase(dc)) return 0;
  ++contesti_eliminati;
  return 1;
}

bool Dispositivo_Registrato::Disegna(Contesto dc, const img::Immagine& immagine, const Rettangolo& destinazione) {
  chiamate.push_back("Disegna");
  Lavoro* l = Aperto(dc);
  if (!l || l->pagine.empty() || fallisce_disegno) return false;
  l->pagine.back().disegni.push_back({immagine.Larghezza(), immagine.Altezza(), immagine.Bit(), immagine.Dpi_X(),
                                      immagine.Dpi_Y(), destinazione});
  return true;
}

}  // namespace qod::stampa
