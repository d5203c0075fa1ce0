#include "qod/server/pannello.h"

#include "qod/basic.h"

namespace qod {

const std::array<const char*, Pannello::kRighe>& Pannello::Didascalie() {
  static const std::array<const char*, kRighe> d = {
      "Stop ",     "Restart ",  "Stampe ",      "Pagine ", "Lavoro ",    "Numero ",
      "Utente ",   "Formato ",  "Job ",         "Dati utente ", "File spool ", "Salvataggio ",
      "Coda ",     "Pagine ",   "Libreria ",    "Copie ",  "Stampante ", "Cartella ",
      "Dati ",     "Immagini ", "Stampa ",      "Archivia ", "Salva ",   "Stato ",
  };
  return d;
}

const std::string& Pannello::Valore(int riga) const {
  static const std::string vuoto;
  return Valida(riga) ? valori_[static_cast<size_t>(riga)] : vuoto;
}

void Pannello::Valore_Imposta(int riga, std::string testo) {
  if (!Valida(riga)) return;
  valori_[static_cast<size_t>(riga)] = std::move(testo);
  Avvisa(riga);
}

bool Pannello::Stato_Vuoto() const { return Trim(Left(Valore(Riga_Stato), 10)).empty(); }

void Pannello::Stato_Segnala(std::string testo) {
  if (Stato_Vuoto()) Valore_Imposta(Riga_Stato, std::move(testo));
}

double Pannello::Larghezza_Piena(int riga) {
  if (riga == Riga_Dati || riga == Riga_Immagini) return 126;
  if (riga >= Riga_Stampa && riga <= Riga_Salva) return 318;
  return 0;
}

void Pannello::Barra_Imposta(int riga, double larghezza) {
  if (Larghezza_Piena(riga) <= 0) return;
  barre_[static_cast<size_t>(riga)] = larghezza < 0 ? 0 : larghezza;
  Avvisa(riga);
}

double Pannello::Barra_Larghezza(int riga) const { return Valida(riga) ? barre_[static_cast<size_t>(riga)] : 0; }

bool Pannello::Barra_Visibile(int riga) const { return Barra_Larghezza(riga) > 1; }

std::string Pannello::Avanzamento_Testo(int64_t fatto, int64_t totale) {
  return " " + Format(fatto, "###,##0") + " / " + Format(totale, "###,##0");
}

void Pannello::Avanzamento(int riga, int64_t fatto, int64_t totale) {
  if (!Valida(riga)) return;
  double larghezza = totale > 0 ? Larghezza_Piena(riga) / static_cast<double>(totale) * static_cast<double>(fatto) : 0;
  barre_[static_cast<size_t>(riga)] = larghezza < 0 ? 0 : larghezza;
  valori_[static_cast<size_t>(riga)] = Avanzamento_Testo(fatto, totale);
  Avvisa(riga);
}

bool Pannello::Interruttore(int riga) const {
  return riga >= Riga_Stampa && riga <= Riga_Salva && interruttori_[static_cast<size_t>(riga)];
}

void Pannello::Interruttore_Imposta(int riga, bool acceso) {
  if (riga < Riga_Stampa || riga > Riga_Salva) return;
  interruttori_[static_cast<size_t>(riga)] = acceso;
  Avvisa(riga);
}

void Pannello::Visualizza_Imposta(bool premuto) {
  visualizza_ = premuto;
  Avvisa(kAvviso_Visualizza);
}

const char* Pannello::Chiave(Tasto t) {
  static const char* const k[kTasti] = {"Uscita", "Start", "Stop", "Uno", "Visualizza"};
  return t >= 0 && t < kTasti ? k[t] : "";
}

bool Pannello::Tasto_Abilitato(Tasto t) const { return t >= 0 && t < kTasti && tasti_[static_cast<size_t>(t)]; }

void Pannello::Tasto_Abilita(Tasto t, bool abilitato) {
  if (t < 0 || t >= kTasti) return;
  tasti_[static_cast<size_t>(t)] = abilitato;
  Avvisa(kAvviso_Tasti);
}

bool Pannello::Sem_Visibile(int i) const { return i >= 0 && i < kLuci && sem_[static_cast<size_t>(i)]; }

void Pannello::Sem_Imposta(int i, bool visibile) {
  if (i < 0 || i >= kLuci) return;
  sem_[static_cast<size_t>(i)] = visibile;
  Avvisa(kAvviso_Sem);
}

void Pannello::Caption_Imposta(std::string testo) {
  caption_ = std::move(testo);
  Avvisa(kAvviso_Etichette);
}

void Pannello::Client_Imposta(std::string testo) {
  client_ = std::move(testo);
  Avvisa(kAvviso_Etichette);
}

void Pannello::Release_Imposta(std::string testo) {
  release_ = std::move(testo);
  Avvisa(kAvviso_Etichette);
}

void Pannello::Avvisa(int riga) const {
  for (const auto& o : osservatori_) o(riga);
}

}  // namespace qod
