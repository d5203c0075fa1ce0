#include "qod/server/emissione.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "qod/basic.h"
#include "qod/pdf/qod_pdf.h"
#include "qod/scrittura.h"
#include "qod/server/documenti.h"
#include "qod/winpath.h"

namespace qod {

namespace {

constexpr const char* kErrore_PDF = "errore generico emissione PDF";
constexpr const char* kErrore_XML = "errore generico Emissione XML";
constexpr const char* kErrore_Immagini = "errore generico emissione immagini";

// A file written with plain stdio, closed on every way out.
class File_Righe {
 public:
  File_Righe() = default;
  File_Righe(const File_Righe&) = delete;
  File_Righe& operator=(const File_Righe&) = delete;
  ~File_Righe() { Chiudi(); }

  bool Apri(const std::string& percorso, const char* modo) {
    f_ = std::fopen(Percorso_Fs(percorso).c_str(), modo);
    errore_ = f_ == nullptr;
    return f_ != nullptr;
  }
  bool Aperto() const { return f_ != nullptr; }
  // One line ended by CR LF.
  void Riga(std::string_view testo) {
    if (!f_) return;
    if (std::fwrite(testo.data(), 1, testo.size(), f_) != testo.size() || std::fwrite("\r\n", 1, 2, f_) != 2)
      errore_ = true;
  }
  // Reads the next line (ended by CR LF, LF or CR). False at the end of the
  // file or on a read error (then `Errore`).
  bool Leggi_Riga(std::string& riga) {
    riga.clear();
    if (!f_) return false;
    bool letto = false;
    for (int c; (c = std::getc(f_)) != EOF;) {
      letto = true;
      if (c == '\n') return true;
      if (c == '\r') {
        const int d = std::getc(f_);
        if (d != '\n' && d != EOF) std::ungetc(d, f_);
        return true;
      }
      riga.push_back(static_cast<char>(c));
    }
    if (std::ferror(f_)) errore_ = true;
    return letto && !errore_;
  }
  // Closes; true when everything was read or written without error.
  bool Chiudi() {
    if (f_ && std::fclose(f_) != 0) errore_ = true;
    f_ = nullptr;
    return !errore_;
  }
  bool Errore() const { return errore_; }

 private:
  std::FILE* f_ = nullptr;
  bool errore_ = false;
};

bool Cancella_Se_Esiste(const std::string& percorso) {
  std::error_code ec;
  const auto p = Percorso_Fs(percorso);
  if (!std::filesystem::exists(std::filesystem::symlink_status(p, ec))) return true;
  return std::filesystem::remove(p, ec) && !ec;
}

// The name of a page's copy-1 image in the temporary folder.
std::string Immagine_Copia_1(const Server_Base& base, const Stato_Spool& stato, int32_t pagina) {
  return Format(base.Collegamento.Indice_Server, "00000") + "_I_00001_" +
         Format(static_cast<int64_t>(pagina), "00000") + stato.Estensione_Immagine;
}

}  // namespace

// ---- PDF, mail list and command ------------------------------------------------

bool Emissione_PDF::Esegui(const Stato_Spool& stato, const Strada_Fase& strada) {
  Server_Base& base = s_.Base;
  Pannello& pannello = s_.Quadro;
  const Attributi_Spool& a = stato.Attributi;
  const bool posta = a.Consegna == "P";
  const bool xml = a.Consegna == "X";
  // The mail and XML modes expand the group values of the pages: in a copy
  // of the tables of their own.
  Tabelle_Pagine t = posta || xml ? stato.Pagine.Tabelle : Tabelle_Pagine{};
  const Tabelle_Pagine& tabelle = stato.Pagine.Tabelle;
  const std::vector<Pagina_Resa> pagine = Pagine_Rese(tabelle, a.Prima_Pagina, stato.Pagine.Pagine_Aperte);
  const int32_t totale = static_cast<int32_t>(pagine.size());
  if (pagine.empty()) return true;

  // The save folder names every file but the XML mode's; blank, it would be
  // the root folder.
  const std::string cartella = Trim(a.Cartella);
  if (!xml && cartella.empty()) {
    strada.Errore(kErrore_PDF);
    return true;
  }

  // Open the mail list.
  File_Righe lista;
  std::string nome_lista;
  if (posta) {
    Spool_Campi(base, t, stato.Gruppi, pagine);
    nome_lista = Percorso_Risolvi(Nome_In_Cartella(cartella, Trim(Valore_Gruppo(t, 1, pagine.front().Pagina))));
    if (!Cancella_Se_Esiste(nome_lista) || !lista.Apri(nome_lista, "wb")) {
      strada.Errore(kErrore_PDF);
      return true;
    }
  }
  // A stop request: the documents written so far stay, whole; the mail
  // list, which only its command would read, goes.
  auto fermato = [&] {
    if (!strada.Arresto()) return false;
    if (posta) {
      lista.Chiudi();
      Cancella_Se_Esiste(nome_lista);
    }
    return true;
  };

  // Set up the PDF writer from the attributes.
  pdf::Qod_PDF pdf(base.Orologio());
  pdf.qodpdf_Left = a.PDF_Left;
  pdf.qodpdf_Top = a.PDF_Top;
  pdf.qodpdf_Width = a.PDF_Width;
  pdf.qodpdf_Height = a.PDF_Height;
  pdf.qodpdf_Pag_Left = a.PDF_Pag_Left;
  pdf.qodpdf_Pag_Top = a.PDF_Pag_Top;
  pdf.qodpdf_Pag = a.PDF_Pag == "S";
  pdf.qodpdf_Autor = a.Utente;
  pdf.qodpdf_Subject = "Oggetto";
  pdf.qodpdf_Title = "Titolo";
  pdf.qodpdf_Dir = base.Percorso_Tmp;

  // Write one PDF per document.
  std::string immagini;
  for (const Pagina_Resa& pr : pagine) {
    if (fermato()) return false;
    const int32_t p = pr.Pagina;
    if (pr.Inizio) {
      if (xml) {
        Gruppi_Percorsi_Espandi(base, t, stato.Gruppi, p);
        pdf.qodpdf_Out = Trim(Valore_Gruppo(t, 3, p));
      } else if (posta) {
        pdf.qodpdf_Out = Nome_In_Cartella(cartella, Trim(Valore_Gruppo(t, 2, p)));
      } else {
        const std::string chiave = static_cast<size_t>(p) < tabelle.Chiave_Documento.size()
                                       ? tabelle.Chiave_Documento[static_cast<size_t>(p)]
                                       : "";
        pdf.qodpdf_Out = Nome_In_Cartella(cartella, Nome_Documento(base, chiave) + ".PDF");
      }
      if (!Cancella_Se_Esiste(Percorso_Risolvi(Trim(pdf.qodpdf_Out)))) {
        strada.Errore(kErrore_PDF);
        return true;
      }
      immagini.clear();
    } else {
      immagini += ",";
    }
    immagini += Immagine_Copia_1(base, stato, p);
    if (pr.Fine) {
      pdf.qodpdf_Files = immagini;
      pdf.qodpdf_Elabora();
      if (pdf.qodpdf_Error) {
        strada.Errore(pdf.qodpdf_Status);
        return true;
      }
      if (posta) lista.Riga(Valore_Gruppo(t, 3, p));
    }
    pannello.Avanzamento(Pannello::Riga_Salva, pr.Indice, totale);
    Pompa(s_.Pompa);
  }

  // Close the list and run the command, or write the XML output of every document.
  if (posta) {
    if (!lista.Chiudi()) {
      strada.Errore(kErrore_PDF);
      return true;
    }
    // Once started, the command (which sends the mail) cannot be taken
    // back: the spool file goes to its end whatever stop requests come, or
    // its mail would go again. A stop request only ends the wait for it,
    // and the command is left running.
    if (fermato()) return false;
    strada.Irrevocabile();
    if (!base.Esegui_Attendi(Valore_Gruppo(t, 4, pagine.front().Pagina), s_.Pompa, strada.Arresto_Programma)) {
      strada.Errore(kErrore_PDF);
      return true;
    }
  } else if (xml) {
    for (const Pagina_Resa& pr : pagine) {
      if (!pr.Inizio) continue;
      // The message loop runs before each document, so that a stop request
      // is seen there, as the other loops see it before each page.
      Pompa(s_.Pompa);
      if (strada.Arresto()) return false;
      // A transfer failure leaves the connection dropped: nothing more is
      // asked of the host for this spool file.
      if (Spool_XML(t, stato.Gruppi, strada, pr.Pagina) == Esito_XML::Trasporto) return false;
    }
  }
  return true;
}

// ---- XML output ------------------------------------------------------------------

Emissione_PDF::Esito_XML Emissione_PDF::Spool_XML(Tabelle_Pagine& t, const Gruppi_Campi& g, const Strada_Fase& strada, int32_t p) {
  Server_Base& base = s_.Base;

  // Groups 1-3 were expanded before the document's PDF; the request
  // groups here.
  for (int k = 4; k <= 5; ++k) {
    std::string& v = Valore_Gruppo(t, k, p);
    v = Gruppo_Espandi(base, v, g[static_cast<size_t>(k)], true);
  }

  // Ask the host for the document's data.
  std::string risposta = Space(4096);
  const std::string& chiave = Valore_Gruppo(t, 4, p);
  if (!Trim(chiave).empty()) {
    const std::string corpo = Testo_Largo(chiave + Testo_Largo(Valore_Gruppo(t, 5, p), 1024), 1034);
    // An empty body, or a refusal (its body dropped), brings no data.
    const Risposta_Host r = Scambio_Host(canale_, {"Spool_Formato_XML", 'N'}, {'N', corpo}, {.Minimo = 0});
    if (r.Guasto() != Passo_Scambio::Nessuno) {
      strada.Guasto(r.Messaggio(r.Guasto()));
      return Esito_XML::Trasporto;
    }
    if (r.Accettata() && r.Lunghezza() > 0) risposta = r.Testo(1, r.Lunghezza());
  }

  // Take the field values from the host's reply.
  const Gruppo_Campi& g6 = g[6];
  const std::vector<std::string> valori = Campi_XML(base, Valore_Gruppo(t, 6, p), g6, risposta);

  // Fill the template, under a temporary name until complete.
  auto errore = [&] {
    strada.Errore(kErrore_XML);
    return Esito_XML::Errore;
  };
  File_Righe modello, uscita;
  const std::string nome_modello = Percorso_Risolvi(Trim(Valore_Gruppo(t, 1, p)));
  const std::string nome_uscita = Percorso_Risolvi(Trim(Valore_Gruppo(t, 2, p)));
  if (Trim(nome_uscita).empty()) return errore();
  const std::string nome_temporaneo = nome_uscita + "#";
  if (!modello.Apri(nome_modello, "rb")) return errore();
  if (!Cancella_Se_Esiste(nome_temporaneo) || !uscita.Apri(nome_temporaneo, "wb")) return errore();
  for (std::string riga; modello.Leggi_Riga(riga);) uscita.Riga(Modello_Riga(riga, g6, valori));
  if (modello.Errore() || !modello.Chiudi() || !uscita.Chiudi()) return errore();
  // A failed write or rename leaves the temporary file; the next run of the
  // document removes it first.
  if (!Temporaneo_Rinomina(Percorso_Fs(nome_temporaneo), Percorso_Fs(nome_uscita), nullptr, true)) return errore();
  return Esito_XML::Fatto;
}

// ---- Images to a folder -------------------------------------------------------------

bool Emissione_Immagini::Esegui(const Stato_Spool& stato, const Strada_Fase& strada) {
  Server_Base& base = s_.Base;
  const Attributi_Spool& a = stato.Attributi;
  const Tabelle_Pagine& t = stato.Pagine.Tabelle;
  const std::vector<Pagina_Resa> pagine = Pagine_Rese(t, a.Prima_Pagina, stato.Pagine.Pagine_Aperte);
  const int32_t totale = static_cast<int32_t>(pagine.size());
  const std::string cartella = Trim(a.Cartella);
  if (cartella.empty()) {
    strada.Errore(kErrore_Immagini);
    return true;
  }
  std::string documento;
  for (const Pagina_Resa& pr : pagine) {
    if (strada.Arresto()) return false;
    const int32_t p = pr.Pagina;
    if (pr.Inizio)
      documento = Nome_Documento(
          base, static_cast<size_t>(p) < t.Chiave_Documento.size() ? t.Chiave_Documento[static_cast<size_t>(p)] : "");
    const std::string destinazione = Percorso_Risolvi(Nome_In_Cartella(
        cartella, documento + "_" + Format(static_cast<int64_t>(pr.Numero), "00000") + stato.Estensione_Immagine));
    const std::string sorgente = base.Percorso_Tmp + Immagine_Copia_1(base, stato, p);
    // Copied under a temporary name beside the target, which it takes only
    // whole: a copy cut short (a full disk) leaves nothing under the name.
    const std::string temporaneo = destinazione + "#";
    std::error_code ec;
    const bool copiato = Cancella_Se_Esiste(destinazione) && Cancella_Se_Esiste(temporaneo) &&
                         std::filesystem::copy_file(Percorso_Fs(sorgente), Percorso_Fs(temporaneo), ec) && !ec;
    if (!copiato || !Temporaneo_Rinomina(Percorso_Fs(temporaneo), Percorso_Fs(destinazione))) {
      Cancella_Se_Esiste(temporaneo);
      strada.Errore(kErrore_Immagini);
      return true;
    }
    s_.Quadro.Avanzamento(Pannello::Riga_Salva, pr.Indice, totale);
    Pompa(s_.Pompa);
  }
  return true;
}

}  // namespace qod
