// The layout of every record, pinned column by column; the rules of the
// one loop that reads them; the archive index record as composed and as
// read back; the record helpers.
#include <gtest/gtest.h>

#include <span>
#include <string>
#include <vector>

#include "qod/basic.h"
#include "qod/record/attributi.h"
#include "qod/record/definizioni.h"
#include "qod/record/indice_archivio.h"
#include "qod/record/tracciato.h"

using namespace qod;

namespace {

struct Riga {
  std::string nome;
  char tipo;
  int32_t posizione, lunghezza, decimali;
  bool pagina = false;  // the attribute record's page image values
  bool operator==(const Riga&) const = default;
};

std::ostream& operator<<(std::ostream& o, const Riga& r) {
  return o << r.nome << " " << r.tipo << " " << r.posizione << " " << r.lunghezza << "," << r.decimali
           << (r.pagina ? " pagina" : "");
}

template <class R>
std::vector<Riga> Righe(std::span<const Campo_Record<R>> tracciato) {
  std::vector<Riga> v;
  for (const auto& c : tracciato)
    v.push_back({std::string(c.Nome), c.Tipo, c.Posizione, c.Lunghezza, c.Decimali,
                 c.Parte == Attributi_Spool::kParte_Pagina});
  return v;
}

// A record held as plain text: "A" fields as they stand, numeric ones as
// their digits.
Lettore_Campi Testo_Letto(const std::string& record) {
  return [record](std::string_view, int32_t inizio, int32_t lunghezza, int32_t, int32_t) {
    return record.substr(static_cast<size_t>(inizio - 1), static_cast<size_t>(lunghezza));
  };
}

}  // namespace

TEST(Tracciati, EveryRecordsColumns) {
  const struct {
    const char* record;
    std::vector<Riga> righe, attese;
  } casi[] = {
    {"Attributi_Spool", Righe(Attributi_Spool::Tracciato()), {
      {"Formato", 'A', 1, 20, 0},
      {"Archivio_21", 'A', 21, 10, 0},
      {"Archivio_31", 'A', 31, 10, 0},
      {"File_Spool", 'A', 41, 10, 0},
      {"Coda", 'A', 51, 10, 0},
      {"Libreria", 'A', 61, 10, 0},
      {"Dati_Utente", 'A', 71, 10, 0},
      {"Tipo_Modulo", 'A', 81, 10, 0},
      {"Stato_Salvataggio", 'A', 91, 10, 0},
      {"Lavoro", 'A', 101, 10, 0},
      {"Utente", 'A', 111, 10, 0},
      {"Numero_Lavoro", 'A', 121, 6, 0},
      {"Copie_Record", 'B', 127, 4, 0},
      {"Pagine_Totali", 'B', 131, 4, 0},
      {"Dimensione_Dati", 'B', 139, 4, 0},
      {"Numero_Spool", 'B', 143, 4, 0},
      {"Prima_Pagina_Record", 'B', 147, 4, 0},
      {"Ultima_Pagina_Record", 'B', 151, 4, 0},
      {"Stampa_Predefinita", 'A', 244, 1, 0},
      {"Archivia_Predefinita", 'A', 245, 1, 0},
      {"Stampante_1", 'A', 246, 50, 0},
      {"Orientamento", 'A', 296, 1, 0},
      {"Margine_Sinistro", 'S', 297, 5, 0},
      {"Margine_Destro", 'S', 302, 5, 0},
      {"Margine_Alto", 'S', 307, 5, 0},
      {"Margine_Basso", 'S', 312, 5, 0},
      {"Scala_Verticale", 'S', 317, 5, 4},
      {"Scala_Orizzontale", 'S', 322, 5, 4},
      {"Modo_Scala", 'A', 327, 1, 0},
      {"Centra_Orizzontale", 'A', 328, 1, 0},
      {"Centra_Verticale", 'A', 329, 1, 0},
      {"Copie_Server", 'A', 330, 1, 0},
      {"Colore", 'A', 331, 1, 0},
      {"Stampa_Risoluzione_X", 'S', 332, 5, 0},
      {"Stampa_Risoluzione_Y", 'S', 337, 5, 0},
      {"Stampante_2", 'A', 342, 50, 0},
      {"Cassetto", 'S', 392, 5, 0},
      {"Indirizzo_Stampante", 'A', 417, 15, 0},
      {"Controllo_Stato", 'A', 432, 1, 0},
      {"Salva_Predefinito", 'A', 433, 1, 0},
      {"Txt_Cols", 'S', 479, 4, 0, true},
      {"Txt_Rows", 'S', 483, 4, 0, true},
      {"Txt_Left", 'S', 487, 4, 0, true},
      {"Txt_Top", 'S', 491, 4, 0, true},
      {"Txt_Col_Dim", 'S', 495, 4, 0, true},
      {"Txt_Row_Dim", 'S', 499, 4, 0, true},
      {"Txt_Orie", 'S', 503, 1, 0, true},
      {"Fnt_File", 'A', 504, 25, 0, true},
      {"Fnt_Width", 'S', 529, 4, 0, true},
      {"Fnt_Height", 'S', 533, 4, 0, true},
      {"Fnt_Left", 'S', 537, 4, 0, true},
      {"Fnt_Top", 'S', 541, 4, 0, true},
      {"Fnt_Mode", 'S', 545, 1, 0, true},
      {"Im1_File", 'A', 546, 25, 0, true},
      {"Im1_Width", 'S', 571, 4, 0, true},
      {"Im1_Height", 'S', 575, 4, 0, true},
      {"Im1_Left", 'S', 579, 4, 0, true},
      {"Im1_Top", 'S', 583, 4, 0, true},
      {"Im1_Src_Left", 'S', 587, 4, 0, true},
      {"Im1_Src_Top", 'S', 591, 4, 0, true},
      {"Im1_Mode", 'S', 595, 1, 0, true},
      {"Im1_ZoomX", 'S', 596, 5, 2, true},
      {"Im1_ZoomY", 'S', 601, 5, 2, true},
      {"Indice_33", 'A', 606, 4, 0},
      {"Indice_1", 'A', 620, 1, 0},
      {"Record_Grezzo", 'A', 621, 1, 0},
      {"Indice_2", 'A', 622, 10, 0},
      {"Copie_Forzate", 'S', 632, 4, 0},
      {"Stampa_Forzata", 'A', 636, 1, 0},
      {"Archivia_Forzata", 'A', 637, 1, 0},
      {"Salva_Forzato", 'A', 638, 1, 0},
      {"Esito_Finale", 'A', 639, 1, 0},
      {"Consegna", 'A', 640, 1, 0},
      {"Im2_File_2", 'A', 659, 25, 0},
      {"Im2_File_3", 'A', 684, 25, 0},
      {"Im2_File_4", 'A', 709, 25, 0},
      {"Im2_File_5", 'A', 734, 25, 0},
      {"Im2_Width", 'S', 759, 4, 0, true},
      {"Im2_Height", 'S', 763, 4, 0, true},
      {"Im2_Left", 'S', 767, 4, 0, true},
      {"Im2_Top", 'S', 771, 4, 0, true},
      {"Im2_Src_Left", 'S', 775, 4, 0, true},
      {"Im2_Src_Top", 'S', 779, 4, 0, true},
      {"Im2_Mode", 'S', 783, 1, 0, true},
      {"Im2_ZoomX", 'S', 784, 5, 2, true},
      {"Im2_ZoomY", 'S', 789, 5, 2, true},
      {"Out_Width", 'S', 819, 4, 0, true},
      {"Out_Height", 'S', 823, 4, 0, true},
      {"Tipo_Immagine", 'A', 827, 1, 0, true},
      {"Sfondo_R", 'S', 828, 4, 0, true},
      {"Sfondo_G", 'S', 832, 4, 0, true},
      {"Sfondo_B", 'S', 836, 4, 0, true},
      {"Out_ResX", 'S', 840, 4, 0, true},
      {"Out_ResY", 'S', 844, 4, 0, true},
      {"JPG_Otti", 'A', 848, 1, 0, true},
      {"JPG_Qual", 'S', 849, 4, 0, true},
      {"JPG_Atte", 'S', 853, 4, 0, true},
      {"Rows_Strip", 'S', 857, 4, 0, true},
      {"TIF_MultiP", 'A', 861, 1, 0, true},
      {"Out_ZoomX", 'S', 862, 5, 2, true},
      {"Out_ZoomY", 'S', 867, 5, 2, true},
      {"Indice_127", 'A', 880, 1, 0},
      {"PDF_Left", 'S', 925, 4, 0},
      {"PDF_Top", 'S', 929, 4, 0},
      {"PDF_Width", 'S', 933, 4, 0},
      {"PDF_Height", 'S', 937, 4, 0},
      {"PDF_Pag_Left", 'S', 941, 4, 0},
      {"PDF_Pag_Top", 'S', 945, 4, 0},
      {"Salva_PDF", 'A', 949, 1, 0},
      {"PDF_Pag", 'A', 950, 1, 0},
      {"Cartella", 'A', 999, 100, 0},
    }},
    {"Riga_Definizione", Righe(Riga_Definizione::Tracciato()), {
      {"Genere", 'A', 1, 1, 0},
      {"Numero", 'S', 2, 5, 0},
      {"Riga", 'S', 7, 3, 0},
      {"Riga_Fine", 'S', 10, 3, 0},
      {"Colonna", 'S', 13, 3, 0},
      {"Lunghezza", 'S', 16, 3, 0},
      {"Tipo", 'A', 19, 1, 0},
      {"Costante", 'A', 20, 20, 0},
      {"Testo", 'A', 20, 300, 0},
    }},
    {"Riga_Gruppo posta", Righe(Riga_Gruppo::Tracciato_Posta()), {
      {"Gruppo", 'A', 1, 1, 0},
      {"Riga", 'S', 2, 3, 0},
      {"Colonna", 'S', 5, 3, 0},
      {"Lunghezza", 'S', 8, 3, 0},
      {"Tipo", 'A', 11, 1, 0},
      {"Compattazione", 'A', 12, 1, 0},
      {"Costante", 'A', 13, 60, 0},
    }},
    {"Riga_Gruppo XML", Righe(Riga_Gruppo::Tracciato_XML()), {
      {"Gruppo", 'A', 1, 1, 0},
      {"Nome", 'A', 2, 10, 0},
      {"Riga", 'S', 12, 3, 0},
      {"Colonna", 'S', 15, 4, 0},
      {"Lunghezza", 'S', 19, 4, 0},
      {"Tipo", 'A', 23, 1, 0},
      {"Compattazione", 'A', 24, 1, 0},
      {"Costante", 'A', 25, 60, 0},
    }},
    {"Indice_Archivio", Righe(Indice_Archivio::Tracciato()), {
      {"Marca", 'A', 1, 1, 0},
      {"Chiave_Archivio", 'A', 2, 10, 0},
      {"Pagine", 'S', 12, 5, 0},
      {"Indice_33", 'A', 17, 4, 0},
      {"Chiave", 'A', 21, 40, 0},
      {"Riservato", 'S', 61, 5, 0},
      {"Data_Ora", 'A', 66, 14, 0},
      {"Archivio_31", 'A', 80, 10, 0},
      {"Archivio_21", 'A', 90, 10, 0},
      {"Utente", 'A', 100, 10, 0},
      {"Tipo_Immagine", 'A', 110, 1, 0},
      {"Indice_127", 'A', 111, 1, 0},
      {"Salva_PDF", 'A', 112, 1, 0},
    }},
  };
  for (const auto& c : casi) EXPECT_EQ(c.righe, c.attese) << c.record;
}

// Whole numbers by the record's rule, columns moved, one part alone.
TEST(Tracciati, OneLoopReadsEveryRecord) {
  struct Prova {
    std::string testo;
    int32_t intero = -1, altro = -1;
    double decimale = -1;
    float singolo = -1;
  };
  constexpr Campo_Record<Prova> tracciato[] = {
      {"testo", 'A', 1, 3, 0, &Prova::testo},
      {"intero", 'S', 4, 4, 0, &Prova::intero, {}, 1},
      {"altro", 'S', 8, 2, 0, &Prova::altro},
      {"decimale", 'S', 10, 5, 2, &Prova::decimale, Scala_Campo::Twips},
      {"singolo", 'S', 15, 4, 0, &Prova::singolo, Scala_Campo::Centesimi},
  };
  const std::string record = "ABC12:4x9001001234";
  const std::span<const Campo_Record<Prova>> t(tracciato);
  Prova p;
  EXPECT_EQ(Campi_Leggi(t, Testo_Letto(record), p), 4);  // the lower of 4 and 8
  EXPECT_EQ(p.testo, "ABC");
  EXPECT_EQ(p.intero, 0);
  EXPECT_EQ(p.altro, 0);
  EXPECT_DOUBLE_EQ(p.decimale, Val("00100") * 56.6868);
  EXPECT_EQ(p.singolo, static_cast<float>(1234.0 / 100));

  Prova v;
  EXPECT_EQ(Campi_Leggi(t, Testo_Letto(record), v, {.Numeri = Interi::Val}), 0);
  EXPECT_EQ(v.intero, 12);  // Val stops at the first character that is no digit
  EXPECT_EQ(v.altro, 0);

  Prova parte;
  EXPECT_EQ(Campi_Leggi(t, Testo_Letto(" 0042"), parte, {.Scarto = -2, .Parte = 1}), 0);
  EXPECT_EQ(parte.intero, 42);
  EXPECT_EQ(parte.testo, "");
  EXPECT_EQ(parte.altro, -1);
}

TEST(Indice_Archivio, ComposedAtItsColumnsAndReadBack) {
  Attributi_Spool a;
  a.Indice_33 = "IX";
  a.Archivio_31 = "ARC31";
  a.Archivio_21 = "ARC21";
  a.Utente = "ROSSI";
  a.Tipo_Immagine = "A";
  a.Indice_127 = "1";
  a.Salva_PDF = "S";
  const std::string chiave(45, 'K');  // cut to 40
  const auto i = Indice_Archivio::Da_Attributi(a, false, 3, chiave, "20261210093000", "DATI");
  const std::string atteso = "U" + Space(10) + "00003" + "IX  " + std::string(40, 'K') + "00000" + "20261210093000" +
                             "ARC31     " + "ARC21     " + "ROSSI     " + "A1S";
  ASSERT_EQ(atteso.size(), 112u);
  EXPECT_EQ(i.Componi(120), atteso + "DATI    ");
  EXPECT_EQ(i.Componi(114), atteso + "DA");
  EXPECT_EQ(Indice_Archivio::Da_Attributi(a, true, 12, "K", "", "").Componi(112).substr(109), "TTT");

  // What the host gives back: the document's archive key in columns 2-11.
  std::string indietro = i.Componi(116);
  indietro.replace(1, 10, "0000000042");
  const auto letto = Indice_Archivio::Decodifica(Testo_Letto(indietro));
  EXPECT_EQ(letto.Chiave_Archivio, "0000000042");
  EXPECT_EQ(letto.Pagine, "00003");
  EXPECT_EQ(letto.Chiave, std::string(40, 'K'));
  EXPECT_EQ(letto.Tipo_Immagine, "A");
  EXPECT_EQ(letto.Salva_PDF, "S");
  EXPECT_EQ(letto.Dati_Archivio, "");  // read by the dictionary
}

TEST(Indice_Archivio, PageCountBeyondFiveDigitsIsTheLargestThatFits) {
  const struct {
    int32_t pagine;
    const char* atteso;
  } casi[] = {{1, "00001"}, {99999, "99999"}, {100000, "99999"}, {123456, "99999"}};
  for (const auto& c : casi) {
    const auto i = Indice_Archivio::Da_Attributi(Attributi_Spool{}, false, c.pagine, "K", "", "");
    EXPECT_EQ(i.Pagine, c.atteso) << c.pagine;
    const std::string r = i.Componi(112);
    EXPECT_EQ(r.substr(11, 5), c.atteso) << c.pagine;
    EXPECT_EQ(r.substr(16, 4), "    ") << c.pagine;  // the fields after it stay where they are
  }
}

TEST(Helpers, CifraBase36) {
  EXPECT_EQ(Cifra_Base36("0"), 0);
  EXPECT_EQ(Cifra_Base36("9"), 9);
  EXPECT_EQ(Cifra_Base36("A"), 10);
  EXPECT_EQ(Cifra_Base36("Z"), 35);
  EXPECT_EQ(Cifra_Base36("a"), -1);
  EXPECT_EQ(Cifra_Base36(""), -1);
  EXPECT_EQ(Cifra_Base36("#"), -1);
}

TEST(Helpers, RecordComprimi) {
  struct Caso {
    const char* record;
    std::vector<std::string> tipi;
    std::vector<int32_t> inizi;
    const char* atteso;
  } casi[] = {
      {"AB  00012", {"R", "Z"}, {1, 5, 10}, "AB12"},
      {"AB  00000", {"R", "Z"}, {1, 5, 10}, "AB"},    // a "Z" field of zeros goes entirely
      {"AB  00012", {"X", "Z"}, {1, 5, 10}, "AB  12"},
      {"    X", {"R"}, {1, 6}, "    X"},             // only trailing blanks
      {"A B ", {"R"}, {1, 5}, "A B"},
      {"AB", {"R", "Z"}, {1, 5, 10}, "AB"},           // fields past the end of a short record
  };
  for (auto& c : casi)
    EXPECT_EQ(Record_Comprimi(c.record, c.tipi, c.inizi, static_cast<int32_t>(c.tipi.size())), c.atteso) << c.record;
}
