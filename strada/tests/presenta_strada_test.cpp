// The whole road of an archived document: the server takes the sample
// invoices from the stand-in host's queue twice, archiving them once as
// page images and once as text; the viewer fetches them back from the
// stand-in's archive store. Image pages arrive byte for byte; text pages
// rendered by the viewer are the server's own copy-1 images pixel for pixel.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "qod/basic.h"
#include "qod/client/collegamento_client.h"
#include "qod/client/presenta.h"
#include "qod/client/trasporto_client.h"
#include "qod/imagegen/qod_img.h"
#include "qod/imagegen/striscia_font.h"
#include "qod/imaging/file.h"
#include "qod/server/archivia.h"
#include "qod/host_simulato.h"
#include "stessi_pixel.h"
#include "strada_simulata.h"

using namespace qod;
using namespace qod::test;
using qod::prova::File_Leggi;
namespace fs = std::filesystem;

namespace {

struct Vista_Prova : Vista_Documento {
  std::vector<std::string> messaggi, caricati;
  void Messaggio_Mostra(const std::string& testo) override { messaggi.push_back(testo); }
  void Immagine_Carica(const std::string& file, const Valori_Fax&) override { caricati.push_back(file); }
  void Immagine_Stampa(const std::string&) override {}
  void Immagine_Set_Stampa(const std::string&) override {}
};

// The sample invoices with the archive asked for, as page images or (with
// the raw record kept) as text.
void Fatture(const Strada_Simulata& strada, const std::string& nome, bool testo) {
  const fs::path d = strada.coda / nome;
  fs::copy(fs::path(QOD_CODA_ESEMPI) / "0001_FATTURE", d, fs::copy_options::recursive);
  std::ofstream(d / "attributi.txt", std::ios::app) << "archivia = S\n" << (testo ? "record_grezzo = T\n" : "");
}

}  // namespace

TEST(FetchRoad, DocumentsArchivedByTheServerComeBackAsTheServerMadeThem) {
  Strada_Simulata strada;
  Fatture(strada, "0001_IMMAGINI", false);
  Fatture(strada, "0002_TESTO", true);
  ASSERT_TRUE(strada.Avvia());
  Server_Base& base = strada.base;
  const fs::path strip = fs::path(base.Percorso_Fnt) / "cour20.bmp";
  std::string errore;
  ASSERT_TRUE(Scrivi_Striscia_Font(strip.string(), Opzioni_Striscia{}, &errore)) << errore;

  Qod_IMG img_server;
  Generatore_Qod_IMG<Qod_IMG> generatore_server(img_server);
  Fase_Archivia archivia({strada.base, strada.pannello, {}}, strada.trasporto);
  Fasi_Spool fasi;
  fasi.Immagini = &generatore_server;
  fasi.Archivia = &archivia;
  ASSERT_TRUE(strada.Collega(fasi));
  strada.pannello.Interruttore_Imposta(Pannello::Riga_Archivia, true);

  // Each run leaves its copy-1 page images in the server's folder until the
  // next spool file: keep them.
  const prova::Cartella_Prova copie("copie_server");
  for (const char* run : {"immagini", "testo"}) {
    ASSERT_TRUE(strada.server->Spool_Get()) << File_Leggi(base.File_LOG);
    ASSERT_FALSE(strada.server->Stato().Errore_Spool) << File_Leggi(base.File_LOG);
    for (int p = 1; p <= 2; ++p) {
      const std::string n = "00001_I_00001_" + Format(p, "00000") + ".TIF";
      fs::copy_file(base.Percorso_Tmp + n, copie.Dir() / (std::string(run) + "_" + n));
    }
  }
  // Two documents each: ids 1 and 2 as page images, 3 and 4 as text.
  const fs::path archivio = strada.host->Cartella() / "archivio";
  ASSERT_EQ(Mid(File_Leggi(archivio / "0000000001" / "indice.txt"), 110, 1), "A");
  ASSERT_EQ(Mid(File_Leggi(archivio / "0000000003" / "indice.txt"), 110, 3), "TTT");

  // The viewer, instance 2, on the same host, with its own font folder.
  const prova::Cartella_Prova viewer("viewer");
  RecordingMessageSink messaggi;
  Base_Programma base_viewer{strada.orologio, messaggi, kNomi_Client};
  ASSERT_TRUE(prova::Host_Simulato::Scrivi_Tabella(viewer.Dir() / "Qod_TBL1.Tbl"));
  base_viewer.Cartella_Imposta(viewer.Dir().string());
  Dati_Collegamento dati;
  dati.Collegamento = strada.host->Collegamento();
  Trasporto_Client t(Attese_Rete{5000, 100, 2000});
  Collegamento_Client collegamento(base_viewer, dati, t, 2);
  ASSERT_TRUE(collegamento.Host_Collega());
  const Cartelle_Client cartelle{viewer.Testo() + "TmpC/", viewer.Testo() + "Fnt/", viewer.Testo() + "Lgo/"};
  fs::create_directories(cartelle.Fnt);
  fs::copy_file(strip, cartelle.Fnt + "COUR20.BMP");
  Qod_IMG img_viewer;
  Generatore_Qod_IMG<Qod_IMG> generatore_viewer(img_viewer);
  Presenta_Client presenta(t, collegamento.Dizionario(), collegamento.Accesso(), cartelle, 2, &generatore_viewer);

  const struct {
    const char* id;
    const char* copia_server;
    bool testo;
  } documenti[] = {{"0000000001", "immagini_00001_I_00001_00001.TIF", false},
                   {"0000000002", "immagini_00001_I_00001_00002.TIF", false},
                   {"0000000003", "testo_00001_I_00001_00001.TIF", true},
                   {"0000000004", "testo_00001_I_00001_00002.TIF", true}};
  for (const auto& d : documenti) {
    SCOPED_TRACE(d.id);
    Vista_Prova vista;
    const Esito_Presenta e = presenta.Spool_Presenta(d.id, "Visualizza", vista);
    EXPECT_TRUE(vista.messaggi.empty()) << vista.messaggi[0];
    EXPECT_TRUE(e.completo);
    EXPECT_EQ(e.Pagine, 1);
    EXPECT_EQ(e.Tipo, d.testo ? "T" : "A");
    const std::string primo = cartelle.TmpC + "00002_I_00001_00001.TIF";
    EXPECT_EQ(vista.caricati, std::vector<std::string>{primo});
    const std::string server = (copie.Dir() / d.copia_server).string();
    if (!d.testo) {
      EXPECT_EQ(File_Leggi(primo), File_Leggi(server));
      continue;
    }
    // The viewer wrote the page text and tags it rendered.
    EXPECT_NE(File_Leggi(cartelle.TmpC + "00002_S_00001.TXT").find("Numero fattura"), std::string::npos);
    EXPECT_NE(File_Leggi(cartelle.TmpC + "00002_C_00001.TXT").find("{VA=FATTURA}"), std::string::npos);
    EXPECT_TRUE(Stessi_Pixel(primo, server));
    const std::string tiff = prova::Comando("tiffinfo '" + primo + "' 2>&1");
    EXPECT_NE(tiff.find("CCITT Group 4"), std::string::npos) << tiff;
    EXPECT_NE(tiff.find("Resolution: 204, 196 pixels/inch"), std::string::npos) << tiff;
    // For looking at.
    img::Immagine pagina;
    ASSERT_TRUE(img::Carica(primo, pagina));
    img::Salva(pagina, std::string("presenta_testo_") + d.id + ".png", {0, false, "EXTENSION = PNG"});
  }
}
