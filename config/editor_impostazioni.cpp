#include "qod/config/editor_impostazioni.h"

#include <algorithm>

#include "qod/basic.h"
#include "qod/cripto.h"

namespace qod {

namespace {

using R = Regola_Campo;

// The record fields (positions 1-95 in this order), then the keys. The rows
// of the server's window put "Time out" before "Numero max pag. x blocco".
constexpr Campo_Impostazione kCampi_Server[] = {
    {"txt01", "Connessione", "Nome della connessione (file HOSTS)", nullptr, 50, R::Testo,
     "nome o indirizzo del server"},
    {"txt02", "Porta", "Porta del server origine (per esempio 4020)", nullptr, 5, R::Numero, "4400", false, 65535},
    {"txt03", "Utente", "Nome utente server", nullptr, 10, R::Maiuscolo, "utente"},
    {"txt04", "Password", "Password per utente server", nullptr, 10, R::Maiuscolo, "", true},
    {"txt05", "Porta FTP", "Porta del server origine (normalmente 21)", nullptr, 5, R::Numero, "21", false, 65535},
    {"txt06", "Libreria", "Comando iniziale per far partire il servizio", nullptr, 10, R::Maiuscolo, "JR"},
    {"txt07", "Indice", "Identificativo UNIVOCO del client di stampa (numerico lungo 5)", nullptr, 5, R::Numero, "1"},
    {"txt08", "Ora fine collegamento", "ora fine collegamento in hhmmss", "Fine Collegamento Ora", 6, R::Numero,
     "203000"},
    {"txt09", "Anticipo stop in minuti", "anticipo in minuti prima dell'ora di fine collegamento",
     "Fine Collegamento Anticipo", 3, R::Numero, "10"},
    {"txt10", "Ora ripartenza", "ora ripartenza in hhmmss", "Inizio Collegamento Ora", 6, R::Numero, "073000"},
    {"txt11", "Attesa start in minuti", "attesa in minuti dopo ora di partenza", "Inizio Collegamento Attesa", 3,
     R::Numero, "40"},
    {"txt12", "Tempo ciclo in millisecondi", "attesa durante il ciclo di polling", "Tempo Ciclo", 6, R::Numero,
     "1000"},
    {"txt14", "Time out in millisecondi", "tempo di attesa dopo richiesta", "Time Out", 6, R::Numero, "10000"},
    {"txt13", "Numero max pag. x blocco", "numero massimo di pagine per blocco di stampa (0=*NOMAX)",
     "Max Pagine Blocco", 6, R::Numero, "0"},
};

constexpr Casella_Impostazione kCaselle_Server[] = {
    {"chk01", "Log dettagliato", "Log", Regola_Casella::S_N},
    {"chk02", "Backup", "Backup", Regola_Casella::S_N},
};

constexpr Casella_Impostazione kCaselle_Client[] = {
    {"chk01", "Ricerche in maiuscolo", "Ricerche in maiuscolo", Regola_Casella::Zero_Uno},
};

constexpr char kSezione[] = "Generale";

}  // namespace

const Modulo_Impostazioni kEditor_Server{"Qod_S_INI", "Quillon  Impostazione server di stampa",
                                         kCampi_Server, kCaselle_Server};

// The client's boxes are the server's first six: its record ends after the library.
const Modulo_Impostazioni kEditor_Client{"Qod_C_INI", "Quillon  Impostazione client di visualizzazione",
                                         std::span<const Campo_Impostazione>(kCampi_Server, 6), kCaselle_Client};

std::string Campo_Formatta(const Campo_Impostazione& campo, std::string_view testo) {
  switch (campo.regola) {
    case Regola_Campo::Testo:
      return Testo_Largo(testo, campo.larghezza);
    case Regola_Campo::Maiuscolo:
      return UCase(Testo_Largo(testo, campo.larghezza));
    case Regola_Campo::Numero:
      return Numero_Zeri(testo, campo.larghezza);
  }
  return std::string(testo);
}

Difetto_Campo Campo_Verifica(const Campo_Impostazione& campo, std::string_view formattato) {
  if (campo.regola == Regola_Campo::Numero) {
    // Numero_Zeri keeps every digit and the sign: a longer or negative text
    // would move every field after it in the record.
    if (formattato.size() > static_cast<size_t>(campo.larghezza)) return Difetto_Campo::Numero;
    if (!std::all_of(formattato.begin(), formattato.end(), [](char c) { return c >= '0' && c <= '9'; }))
      return Difetto_Campo::Numero;
    if (campo.massimo >= 0 && std::stoll(std::string(formattato)) > campo.massimo) return Difetto_Campo::Numero;
    return Difetto_Campo::Nessuno;
  }
  // The scrambling carries codes 32 to 123 only; anything else would be
  // stored as "¿" and the programs would refuse the record.
  if (campo.chiave == nullptr) {
    for (char c : formattato) {
      auto u = static_cast<unsigned char>(c);
      if (u < 32 || u > 123) return Difetto_Campo::Carattere;
    }
  }
  return Difetto_Campo::Nessuno;
}

std::string Difetto_Messaggio(const Campo_Impostazione& campo, Difetto_Campo difetto) {
  switch (difetto) {
    case Difetto_Campo::Nessuno:
      return "";
    case Difetto_Campo::Carattere:
      return std::string("Carattere non ammesso nel campo \"") + campo.etichetta + "\"";
    case Difetto_Campo::Numero:
      if (campo.massimo >= 0)
        return std::string("Valore non ammesso nel campo \"") + campo.etichetta + "\" (da 0 a " +
               std::to_string(campo.massimo) + ")";
      return std::string("Valore non ammesso nel campo \"") + campo.etichetta + "\" (al massimo " +
             std::to_string(campo.larghezza) + " cifre)";
  }
  return "";
}

bool Riga_Comando_Init(std::string_view riga_comando) { return UCase(Trim(riga_comando)) == "/INIT"; }

Editor_Impostazioni::Editor_Impostazioni(const Modulo_Impostazioni& modulo, std::string file_ini)
    : valori(modulo.campi.size()), spunte(modulo.caselle.size(), false), modulo_(modulo), file_(std::move(file_ini)) {}

void Editor_Impostazioni::Carica() {
  std::string licenza = Profilo_Leggi(file_, kSezione, "Licenza", "", 255);
  std::string chiaro, check;
  cripto_out(chiaro, licenza, check);  // the check text is not compared here
  int posizione = 1;
  for (size_t i = 0; i < modulo_.campi.size(); ++i) {
    const auto& c = modulo_.campi[i];
    if (c.chiave == nullptr) {
      valori[i] = Mid(chiaro, posizione, c.larghezza);
      posizione += c.larghezza;
    } else {
      valori[i] = Profilo_Leggi(file_, kSezione, c.chiave, "", 255);
    }
  }
  for (size_t i = 0; i < modulo_.caselle.size(); ++i) {
    const auto& k = modulo_.caselle[i];
    if (k.regola == Regola_Casella::S_N)
      spunte[i] = Profilo_Leggi(file_, kSezione, k.chiave, "N", 255) == "S";
    else
      spunte[i] = Val(Profilo_Leggi(file_, kSezione, k.chiave, "0", 255)) != 0;
  }
}

void Editor_Impostazioni::Valori_Standard() {
  for (size_t i = 0; i < modulo_.campi.size(); ++i) valori[i] = modulo_.campi[i].standard;
  std::fill(spunte.begin(), spunte.end(), false);
}

int Editor_Impostazioni::Campo(std::string_view box) const {
  for (size_t i = 0; i < modulo_.campi.size(); ++i)
    if (box == modulo_.campi[i].box) return static_cast<int>(i);
  return -1;
}

int Editor_Impostazioni::Casella(std::string_view box) const {
  for (size_t i = 0; i < modulo_.caselle.size(); ++i)
    if (box == modulo_.caselle[i].box) return static_cast<int>(i);
  return -1;
}

std::optional<Editor_Impostazioni::Rifiuto> Editor_Impostazioni::Formatta() {
  std::vector<std::string> formattati(valori.size());
  for (size_t i = 0; i < valori.size(); ++i) {
    const auto& c = modulo_.campi[i];
    formattati[i] = Campo_Formatta(c, valori[i]);
    auto d = Campo_Verifica(c, formattati[i]);
    if (d != Difetto_Campo::Nessuno) return Rifiuto{static_cast<int>(i), d, Difetto_Messaggio(c, d)};
  }
  valori = std::move(formattati);
  return std::nullopt;
}

std::string Editor_Impostazioni::Record() const {
  std::string r;
  for (size_t i = 0; i < valori.size(); ++i)
    if (modulo_.campi[i].chiave == nullptr) r += valori[i];
  return r;
}

std::vector<Profilo_Voce> Editor_Impostazioni::Voci() const {
  std::vector<Profilo_Voce> voci = Collegamento_Voci(Record());
  // The keys go in the order of their boxes' names, whatever the rows' order.
  std::vector<size_t> chiavi;
  for (size_t i = 0; i < valori.size(); ++i)
    if (modulo_.campi[i].chiave != nullptr) chiavi.push_back(i);
  std::sort(chiavi.begin(), chiavi.end(),
            [&](size_t a, size_t b) { return std::string_view(modulo_.campi[a].box) < modulo_.campi[b].box; });
  for (size_t i : chiavi) voci.push_back({kSezione, modulo_.campi[i].chiave, valori[i]});
  for (size_t i = 0; i < spunte.size(); ++i) {
    const auto& k = modulo_.caselle[i];
    std::string v = k.regola == Regola_Casella::S_N ? (spunte[i] ? "S" : "N") : (spunte[i] ? "1" : "0");
    voci.push_back({kSezione, k.chiave, v});
  }
  return voci;
}

bool Editor_Impostazioni::Scrivi() const { return Profilo_Scrivi_Tutti(file_, Voci()); }

}  // namespace qod
