#include "qod/client/presenta.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "qod/basic.h"
#include "qod/client/elenco.h"
#include "qod/record/file_pagina.h"
#include "qod/record/indice_archivio.h"
#include "qod/winpath.h"

namespace qod {

namespace {

const std::string kProcedura = "[Spool_Presenta] ";
constexpr std::string_view kPresenta = "Spool_Presenta";  // in the exchanges' failure texts
constexpr int kLunghezza_Chiave = 10;

struct Chiudi_File {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File_Aperto = std::unique_ptr<std::FILE, Chiudi_File>;

File_Aperto Crea(const std::string& nome) { return File_Aperto(std::fopen(Percorso_Fs(nome).c_str(), "wb")); }

bool Scrivi(std::FILE* f, std::string_view dati) {
  return dati.empty() || std::fwrite(dati.data(), 1, dati.size(), f) == dati.size();
}

// The field of the row shown in data grid row r, or 0 for an empty row (a
// number the dictionary does not have is no field).
int32_t Campo_Riga(const Dati_Accesso& a, int32_t campi, int32_t r) {
  const int32_t f = a.Ordine_Dati[static_cast<size_t>(r)];
  return f >= 1 && f <= campi ? f : 0;
}

}  // namespace

Presenta_Client::Presenta_Client(Trasporto_Client& trasporto, const Dizionario_Campi& dizionario,
                                 const Dati_Accesso& accesso, Cartelle_Client cartelle, int32_t istanza,
                                 Generatore_Immagini* generatore, Pump pompa)
    : t_(trasporto),
      dizionario_(dizionario),
      accesso_(accesso),
      cartelle_(std::move(cartelle)),
      istanza_(istanza),
      generatore_(generatore),
      pompa_(std::move(pompa)) {}

std::string Presenta_Client::Nome(const char* genere, int32_t pagina, std::string_view estensione) const {
  if (genere[0] == 'S') return File_Testo(cartelle_.TmpC, istanza_, pagina);
  if (genere[0] == 'C') return File_Comandi(cartelle_.TmpC, istanza_, pagina);
  return File_Immagine(cartelle_.TmpC, istanza_, 1, pagina, estensione);
}

// Every file of this instance: "nnnnn_" and anything after it.
void Presenta_Client::File_Cancella() const {
  namespace fs = std::filesystem;
  const std::string prefisso = Format(istanza_, "00000") + "_";
  std::error_code ec;
  for (const auto& f : fs::directory_iterator(Percorso_Fs(cartelle_.TmpC), ec)) {
    if (f.path().filename().string().rfind(prefisso, 0) != 0) continue;
    std::error_code ignora;
    if (!f.is_directory(ignora)) fs::remove(f.path(), ignora);
  }
}

std::optional<Risposta_Host> Presenta_Client::Record_Leggi(char lettera, const std::string& corpo, int passo,
                                                          Vista_Documento& vista) {
  // A length the record buffer cannot take is read and dropped: a failure
  // that leaves the stream in step. A refusal is told as such, even when
  // its body could not be dropped.
  const Risposta_Host r = Scambio_Host(t_, {kPresenta, lettera, Numeri_Passo::Passo, passo}, {lettera, corpo},
                                       {.Fuori = Fuori_Misura::Scartato});
  if (r.Passo() == Passo_Scambio::Nessuno) return r;
  vista.Messaggio_Mostra(r.Messaggio());
  return std::nullopt;
}

Esito_Presenta Presenta_Client::Spool_Presenta(std::string_view chiave, std::string_view modo,
                                               Vista_Documento& vista) {
  Esito_Presenta e;
  vista.Occupato(true);

  // The previous document's files go first; a folder that is missing is made.
  std::error_code ec;
  std::filesystem::create_directories(Percorso_Fs(cartelle_.TmpC), ec);
  File_Cancella();
  const int32_t campi = std::clamp(dizionario_.Numero, 0, Dizionario_Campi::kMassimo);
  std::vector<std::string> celle(static_cast<size_t>(campi));
  vista.Dati_Mostra(celle);

  if (Indice_Leggi(chiave, e, celle, vista)) {
    e.ok = true;
    vista.Dati_Mostra(celle);
    e.completo = e.Tipo == "T" ? Testo_Scarica(chiave, e, vista) : Immagini_Scarica(chiave, e, vista);
    e.Primo_File = Nome("I", 1, e.Estensione);
  }

  vista.Occupato(false);
  if (!e.ok) return e;
  if (modo == "Visualizza") {
    vista.Immagine_Carica(e.Primo_File, Fax_Valori(accesso_, campi, celle));
  } else if (e.completo) {
    // An incomplete document is never printed: the viewer would stop at the
    // first missing page without a word.
    if (modo == "Set_Stampa")
      vista.Immagine_Set_Stampa(e.Primo_File);
    else if (modo == "Stampa")
      vista.Immagine_Stampa(e.Primo_File);
  }
  return e;
}

bool Presenta_Client::Indice_Leggi(std::string_view chiave, Esito_Presenta& e, std::vector<std::string>& celle,
                                   Vista_Documento& vista) {
  const int32_t campi = static_cast<int32_t>(celle.size());
  const int32_t lunghezza = dizionario_.Inizio[static_cast<size_t>(campi + 1)] - 1;
  const auto r = Record_Leggi('K', Testo_Largo(chiave, kLunghezza_Chiave) + Format(lunghezza, "00000"), 1, vista);
  if (!r) return false;
  const Indice_Archivio indice = Indice_Archivio::Decodifica(Lettore_Risposta(*r));
  e.Pagine = std::max<int32_t>(0, CLng(std::string_view(indice.Pagine)).value_or(0));
  e.Tipo = indice.Tipo_Immagine;
  for (int32_t riga = 1; riga <= campi; ++riga) {
    const int32_t f = Campo_Riga(accesso_, campi, riga);
    if (f == 0) continue;
    const auto i = static_cast<size_t>(f);
    celle[static_cast<size_t>(riga - 1)] =
        Cella_Testo(dizionario_.Tipo[i], r->Testo(dizionario_.Inizio[i], dizionario_.Larghezza[i]));
  }
  return true;
}

bool Presenta_Client::Pagina_Scarica(std::string_view chiave, char tipo, int32_t pagina, int passo,
                                     const std::function<bool(std::string_view)>& scrivi,
                                     Vista_Documento& vista) {
  const std::string richiesta = Testo_Largo(chiave, kLunghezza_Chiave) + tipo + Format(pagina, "00000");
  const Nome_Scambio nome{kPresenta, 'R', Numeri_Passo::Passo, passo};
  int64_t totale = 0;
  for (int32_t pezzo = 1;; ++pezzo) {
    // A chunk the record buffer cannot take is dropped: a failure that
    // leaves the stream in step.
    const Risposta_Host r =
        Scambio_Host(t_, nome, {'R', richiesta + Format(pezzo, "00000")}, {.Fuori = Fuori_Misura::Scartato});
    if (r.Guasto() != Passo_Scambio::Nessuno) {
      vista.Messaggio_Mostra(r.Messaggio(r.Guasto()));
      return false;
    }
    if (r.Rifiutata()) return true;  // no more chunks for this page
    if (r.Scartato()) {
      vista.Messaggio_Mostra(r.Messaggio(Passo_Scambio::Corpo));
      return false;
    }
    // The chunk's bytes as they came, one character per byte.
    const std::string_view dati(reinterpret_cast<const char*>(r.Dati().data()), r.Dati().size());
    totale += r.Lunghezza();
    if (totale > limite_ || pezzo > limite_pezzi_) {
      vista.Messaggio_Mostra(kProcedura + "Errore Dimensione {R}");
      return false;
    }
    if (!scrivi(dati)) {
      vista.Messaggio_Mostra(kProcedura + "Errore scrittura pagina " + std::to_string(pagina) + " in " +
                             cartelle_.TmpC);
      return false;
    }
  }
}

bool Presenta_Client::Immagini_Scarica(std::string_view chiave, Esito_Presenta& e, Vista_Documento& vista) {
  e.Estensione = Estensione_Tipo(e.Tipo);
  for (int32_t p = 1; p <= e.Pagine; ++p) {
    File_Aperto f = Crea(Nome("I", p, e.Estensione));
    const bool ok = Pagina_Scarica(
        chiave, '1', p, 1, [&f](std::string_view dati) { return f && Scrivi(f.get(), dati); }, vista);
    if (!ok) return false;
    if (!f || std::fclose(f.release()) != 0) {
      vista.Messaggio_Mostra(kProcedura + "Errore scrittura pagina " + std::to_string(p) + " in " + cartelle_.TmpC);
      return false;
    }
  }
  return true;
}

bool Presenta_Client::Testo_Scarica(std::string_view chiave, Esito_Presenta& e, Vista_Documento& vista) {
  // The attribute record of the spool file, as archived with the document.
  const auto r = Record_Leggi('R', Testo_Largo(chiave, kLunghezza_Chiave) + "0" + "00000" + "00000", 3, vista);
  if (!r) return false;
  int32_t errata = 0;
  const auto layout = Attributi_Spool::Decodifica_Pagina(Lettore_Risposta(*r), r->Lunghezza(), errata);
  if (!layout) {
    vista.Messaggio_Mostra(kProcedura + "Errore Dati {R}");
    return false;
  }
  layout_ = *layout;
  e.Estensione = Estensione_Tipo(layout_.Tipo_Immagine);

  // Each page: its text, then from the first chunk that starts with "{" on,
  // its tag commands.
  for (int32_t p = 1; p <= e.Pagine; ++p) {
    const std::string comandi = Nome("C", p);
    File_Aperto f = Crea(Nome("S", p));
    bool etichette = false;
    auto scrivi = [&](std::string_view dati) {
      if (!etichette && dati[0] == '{') {
        etichette = true;
        if (!f || std::fclose(f.release()) != 0) return false;
        f = Crea(comandi);
      }
      return f && Scrivi(f.get(), dati);
    };
    if (!Pagina_Scarica(chiave, '0', p, 5, scrivi, vista)) return false;
    const bool chiuso = f && std::fclose(f.release()) == 0;
    const bool comandi_ok = etichette || Crea(comandi) != nullptr;
    if (!chiuso || !comandi_ok) {
      vista.Messaggio_Mostra(kProcedura + "Errore scrittura pagina " + std::to_string(p) + " in " + cartelle_.TmpC);
      return false;
    }
  }

  if (e.Pagine < 1) return true;
  if (!generatore_) {
    vista.Messaggio_Mostra("[Pagine_Genera] Generatore di immagini non disponibile");
    return false;
  }
  const auto errori = Pagine_Genera(*generatore_, layout_, cartelle_, istanza_, e.Pagine, pompa_);
  if (errori.empty()) return true;
  std::string testo = "[Pagine_Genera] Errore generazione immagini";
  for (const auto& riga : errori) testo += "\r" + riga;
  vista.Messaggio_Mostra(testo);
  return false;
}

std::vector<std::string> Pagine_Genera(Generatore_Immagini& generatore, const Attributi_Spool& layout,
                                       const Cartelle_Client& cartelle, int32_t istanza, int32_t pagine,
                                       const Pump& pompa) {
  std::vector<std::string> errori;
  if (pagine < 1) return errori;
  generatore.Imposta(layout, cartelle.Fnt, cartelle.Lgo);
  const std::string estensione = Estensione_Tipo(layout.Tipo_Immagine);
  for (int32_t p = 1; p <= pagine; ++p) {
    Pagina_Immagine pi;
    pi.Cmd_CPY = 0;
    pi.Txt_File = File_Testo(cartelle.TmpC, istanza, p);
    pi.Cmd_File = File_Comandi(cartelle.TmpC, istanza, p);
    pi.Out_File = File_Immagine(cartelle.TmpC, istanza, 1, p, estensione);
    pi.inizializza = p == 1;
    generatore.Elabora(pi);
    Pompa(pompa);
    if (generatore.Errore()) errori.push_back("Pagina " + std::to_string(p) + ": " + generatore.Stato());
  }
  return errori;
}

Valori_Fax Fax_Valori(const Dati_Accesso& accesso, int32_t campi, const std::vector<std::string>& celle) {
  Valori_Fax v;
  v.Riferimento = accesso.Modello_Brv_Riferimento;
  for (int32_t r = 1; r <= campi && static_cast<size_t>(r) <= celle.size(); ++r) {
    const int32_t f = Campo_Riga(accesso, campi, r);
    const std::string valore = RTrim(celle[static_cast<size_t>(r - 1)]);
    if (f == accesso.Campo_Brv_Tipo) v.Tipo = valore;
    if (f == accesso.Campo_Brv_Codice) v.Codice = valore;
    const std::string segnaposto = "&" + Format(f, "00");
    for (size_t i = v.Riferimento.find(segnaposto); i != std::string::npos;
         i = v.Riferimento.find(segnaposto, i + valore.size()))
      v.Riferimento.replace(i, segnaposto.size(), valore);
  }
  return v;
}

}  // namespace qod
