#include "qod/record/attributi.h"

namespace qod {

namespace {

using A = Attributi_Spool;
constexpr int kPagina = Attributi_Spool::kParte_Pagina;
constexpr auto kCentesimi = Scala_Campo::Centesimi;
constexpr auto kTwips = Scala_Campo::Twips;

// Columns of the 1118-byte version. Whole numbers are read as CLng reads
// them; fractional ones as Val of the decoded text.
constexpr Campo_Record<A> kTracciato[] = {
    {"Formato", 'A', 1, 20, 0, &A::Formato},
    {"Archivio_21", 'A', 21, 10, 0, &A::Archivio_21},
    {"Archivio_31", 'A', 31, 10, 0, &A::Archivio_31},
    {"File_Spool", 'A', 41, 10, 0, &A::File_Spool},
    {"Coda", 'A', 51, 10, 0, &A::Coda},
    {"Libreria", 'A', 61, 10, 0, &A::Libreria},
    {"Dati_Utente", 'A', 71, 10, 0, &A::Dati_Utente},
    {"Tipo_Modulo", 'A', 81, 10, 0, &A::Tipo_Modulo},
    {"Stato_Salvataggio", 'A', 91, 10, 0, &A::Stato_Salvataggio},
    {"Lavoro", 'A', 101, 10, 0, &A::Lavoro},
    {"Utente", 'A', 111, 10, 0, &A::Utente},
    {"Numero_Lavoro", 'A', 121, 6, 0, &A::Numero_Lavoro},
    {"Copie_Record", 'B', 127, 4, 0, &A::Copie_Record},
    {"Pagine_Totali", 'B', 131, 4, 0, &A::Pagine_Totali},
    {"Dimensione_Dati", 'B', 139, 4, 0, &A::Dimensione_Dati},
    {"Numero_Spool", 'B', 143, 4, 0, &A::Numero_Spool},
    {"Prima_Pagina_Record", 'B', 147, 4, 0, &A::Prima_Pagina_Record},
    {"Ultima_Pagina_Record", 'B', 151, 4, 0, &A::Ultima_Pagina_Record},
    {"Stampa_Predefinita", 'A', 244, 1, 0, &A::Stampa_Predefinita},
    {"Archivia_Predefinita", 'A', 245, 1, 0, &A::Archivia_Predefinita},
    {"Stampante_1", 'A', 246, 50, 0, &A::Stampante_1},
    {"Orientamento", 'A', 296, 1, 0, &A::Orientamento},
    {"Margine_Sinistro", 'S', 297, 5, 0, &A::Margine_Sinistro, kTwips},
    {"Margine_Destro", 'S', 302, 5, 0, &A::Margine_Destro, kTwips},
    {"Margine_Alto", 'S', 307, 5, 0, &A::Margine_Alto, kTwips},
    {"Margine_Basso", 'S', 312, 5, 0, &A::Margine_Basso, kTwips},
    {"Scala_Verticale", 'S', 317, 5, 4, &A::Scala_Verticale},
    {"Scala_Orizzontale", 'S', 322, 5, 4, &A::Scala_Orizzontale},
    {"Modo_Scala", 'A', 327, 1, 0, &A::Modo_Scala},
    {"Centra_Orizzontale", 'A', 328, 1, 0, &A::Centra_Orizzontale},
    {"Centra_Verticale", 'A', 329, 1, 0, &A::Centra_Verticale},
    {"Copie_Server", 'A', 330, 1, 0, &A::Copie_Server},
    {"Colore", 'A', 331, 1, 0, &A::Colore},
    {"Stampa_Risoluzione_X", 'S', 332, 5, 0, &A::Stampa_Risoluzione_X},
    {"Stampa_Risoluzione_Y", 'S', 337, 5, 0, &A::Stampa_Risoluzione_Y},
    {"Stampante_2", 'A', 342, 50, 0, &A::Stampante_2},
    {"Cassetto", 'S', 392, 5, 0, &A::Cassetto},
    {"Indirizzo_Stampante", 'A', 417, 15, 0, &A::Indirizzo_Stampante},
    {"Controllo_Stato", 'A', 432, 1, 0, &A::Controllo_Stato},
    {"Salva_Predefinito", 'A', 433, 1, 0, &A::Salva_Predefinito},
    {"Txt_Cols", 'S', 479, 4, 0, &A::Txt_Cols, {}, kPagina},
    {"Txt_Rows", 'S', 483, 4, 0, &A::Txt_Rows, {}, kPagina},
    {"Txt_Left", 'S', 487, 4, 0, &A::Txt_Left, {}, kPagina},
    {"Txt_Top", 'S', 491, 4, 0, &A::Txt_Top, {}, kPagina},
    {"Txt_Col_Dim", 'S', 495, 4, 0, &A::Txt_Col_Dim, {}, kPagina},
    {"Txt_Row_Dim", 'S', 499, 4, 0, &A::Txt_Row_Dim, {}, kPagina},
    {"Txt_Orie", 'S', 503, 1, 0, &A::Txt_Orie, {}, kPagina},
    {"Fnt_File", 'A', 504, 25, 0, &A::Fnt_File, {}, kPagina},
    {"Fnt_Width", 'S', 529, 4, 0, &A::Fnt_Width, {}, kPagina},
    {"Fnt_Height", 'S', 533, 4, 0, &A::Fnt_Height, {}, kPagina},
    {"Fnt_Left", 'S', 537, 4, 0, &A::Fnt_Left, {}, kPagina},
    {"Fnt_Top", 'S', 541, 4, 0, &A::Fnt_Top, {}, kPagina},
    {"Fnt_Mode", 'S', 545, 1, 0, &A::Fnt_Mode, {}, kPagina},
    {"Im1_File", 'A', 546, 25, 0, &A::Im1_File, {}, kPagina},
    {"Im1_Width", 'S', 571, 4, 0, &A::Im1_Width, {}, kPagina},
    {"Im1_Height", 'S', 575, 4, 0, &A::Im1_Height, {}, kPagina},
    {"Im1_Left", 'S', 579, 4, 0, &A::Im1_Left, {}, kPagina},
    {"Im1_Top", 'S', 583, 4, 0, &A::Im1_Top, {}, kPagina},
    {"Im1_Src_Left", 'S', 587, 4, 0, &A::Im1_Src_Left, {}, kPagina},
    {"Im1_Src_Top", 'S', 591, 4, 0, &A::Im1_Src_Top, {}, kPagina},
    {"Im1_Mode", 'S', 595, 1, 0, &A::Im1_Mode, {}, kPagina},
    {"Im1_ZoomX", 'S', 596, 5, 2, &A::Im1_ZoomX, kCentesimi, kPagina},
    {"Im1_ZoomY", 'S', 601, 5, 2, &A::Im1_ZoomY, kCentesimi, kPagina},
    {"Indice_33", 'A', 606, 4, 0, &A::Indice_33},
    {"Indice_1", 'A', 620, 1, 0, &A::Indice_1},
    {"Record_Grezzo", 'A', 621, 1, 0, &A::Record_Grezzo},
    {"Indice_2", 'A', 622, 10, 0, &A::Indice_2},
    {"Copie_Forzate", 'S', 632, 4, 0, &A::Copie_Forzate},
    {"Stampa_Forzata", 'A', 636, 1, 0, &A::Stampa_Forzata},
    {"Archivia_Forzata", 'A', 637, 1, 0, &A::Archivia_Forzata},
    {"Salva_Forzato", 'A', 638, 1, 0, &A::Salva_Forzato},
    {"Esito_Finale", 'A', 639, 1, 0, &A::Esito_Finale},
    {"Consegna", 'A', 640, 1, 0, &A::Consegna},
    {"Im2_File_2", 'A', 659, 25, 0, &A::Im2_File_2},
    {"Im2_File_3", 'A', 684, 25, 0, &A::Im2_File_3},
    {"Im2_File_4", 'A', 709, 25, 0, &A::Im2_File_4},
    {"Im2_File_5", 'A', 734, 25, 0, &A::Im2_File_5},
    {"Im2_Width", 'S', 759, 4, 0, &A::Im2_Width, {}, kPagina},
    {"Im2_Height", 'S', 763, 4, 0, &A::Im2_Height, {}, kPagina},
    {"Im2_Left", 'S', 767, 4, 0, &A::Im2_Left, {}, kPagina},
    {"Im2_Top", 'S', 771, 4, 0, &A::Im2_Top, {}, kPagina},
    {"Im2_Src_Left", 'S', 775, 4, 0, &A::Im2_Src_Left, {}, kPagina},
    {"Im2_Src_Top", 'S', 779, 4, 0, &A::Im2_Src_Top, {}, kPagina},
    {"Im2_Mode", 'S', 783, 1, 0, &A::Im2_Mode, {}, kPagina},
    {"Im2_ZoomX", 'S', 784, 5, 2, &A::Im2_ZoomX, kCentesimi, kPagina},
    {"Im2_ZoomY", 'S', 789, 5, 2, &A::Im2_ZoomY, kCentesimi, kPagina},
    {"Out_Width", 'S', 819, 4, 0, &A::Out_Width, {}, kPagina},
    {"Out_Height", 'S', 823, 4, 0, &A::Out_Height, {}, kPagina},
    {"Tipo_Immagine", 'A', 827, 1, 0, &A::Tipo_Immagine, {}, kPagina},
    {"Sfondo_R", 'S', 828, 4, 0, &A::Sfondo_R, {}, kPagina},
    {"Sfondo_G", 'S', 832, 4, 0, &A::Sfondo_G, {}, kPagina},
    {"Sfondo_B", 'S', 836, 4, 0, &A::Sfondo_B, {}, kPagina},
    {"Out_ResX", 'S', 840, 4, 0, &A::Out_ResX, {}, kPagina},
    {"Out_ResY", 'S', 844, 4, 0, &A::Out_ResY, {}, kPagina},
    {"JPG_Otti", 'A', 848, 1, 0, &A::JPG_Otti, {}, kPagina},
    {"JPG_Qual", 'S', 849, 4, 0, &A::JPG_Qual, {}, kPagina},
    {"JPG_Atte", 'S', 853, 4, 0, &A::JPG_Atte, {}, kPagina},
    {"Rows_Strip", 'S', 857, 4, 0, &A::Rows_Strip, {}, kPagina},
    {"TIF_MultiP", 'A', 861, 1, 0, &A::TIF_MultiP, {}, kPagina},
    {"Out_ZoomX", 'S', 862, 5, 2, &A::Out_ZoomX, kCentesimi, kPagina},
    {"Out_ZoomY", 'S', 867, 5, 2, &A::Out_ZoomY, kCentesimi, kPagina},
    {"Indice_127", 'A', 880, 1, 0, &A::Indice_127},
    {"PDF_Left", 'S', 925, 4, 0, &A::PDF_Left, kCentesimi},
    {"PDF_Top", 'S', 929, 4, 0, &A::PDF_Top, kCentesimi},
    {"PDF_Width", 'S', 933, 4, 0, &A::PDF_Width, kCentesimi},
    {"PDF_Height", 'S', 937, 4, 0, &A::PDF_Height, kCentesimi},
    {"PDF_Pag_Left", 'S', 941, 4, 0, &A::PDF_Pag_Left, kCentesimi},
    {"PDF_Pag_Top", 'S', 945, 4, 0, &A::PDF_Pag_Top, kCentesimi},
    {"Salva_PDF", 'A', 949, 1, 0, &A::Salva_PDF},
    {"PDF_Pag", 'A', 950, 1, 0, &A::PDF_Pag},
    {"Cartella", 'A', 999, 100, 0, &A::Cartella},
};

}  // namespace

std::span<const Campo_Record<Attributi_Spool>> Attributi_Spool::Tracciato() { return kTracciato; }

std::optional<int32_t> Scarto_Versione(int32_t lunghezza) {
  switch (lunghezza) {
    case kLunghezza_Attributi:
    case kLunghezza_Attributi_998:
      return 0;
    case kLunghezza_Attributi_958:
      return -40;
    default:
      return std::nullopt;
  }
}

std::optional<Attributi_Spool> Attributi_Spool::Decodifica_Pagina(const Lettore_Campi& campo, int32_t lunghezza,
                                                                   int32_t& posizione_errata) {
  posizione_errata = 0;
  const auto scarto = Scarto_Versione(lunghezza);
  if (!scarto) return std::nullopt;
  Attributi_Spool a;
  posizione_errata = Campi_Leggi(Tracciato(), campo, a, {.Scarto = *scarto, .Parte = kParte_Pagina});
  return a;
}

Attributi_Spool Attributi_Spool::Decodifica(const Lettore_Campi& campo, int32_t& posizione_errata) {
  Attributi_Spool a;
  posizione_errata = Campi_Leggi(Tracciato(), campo, a);
  a.Cartella = Trim(a.Cartella);

  // Derived values.
  a.Copie = a.Copie_Forzate > 0 ? a.Copie_Forzate : a.Copie_Record;
  a.Prima_Pagina = a.Prima_Pagina_Record < 1 ? 1 : a.Prima_Pagina_Record;
  a.Ultima_Pagina = a.Ultima_Pagina_Record < 1 ? a.Pagine_Totali : a.Ultima_Pagina_Record;
  a.Stampante = Trim(a.Stampante_1 + a.Stampante_2);
  auto scelta = [](const std::string& forzata, const std::string& predefinita) {
    return (forzata != "*" ? forzata : predefinita) == "S";
  };
  a.Da_Stampare = scelta(a.Stampa_Forzata, a.Stampa_Predefinita);
  a.Da_Archiviare = scelta(a.Archivia_Forzata, a.Archivia_Predefinita);
  a.Da_Salvare = scelta(a.Salva_Forzato, a.Salva_Predefinito);
  return a;
}

int32_t Cifra_Base36(std::string_view c) {
  static constexpr std::string_view kCifre = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  if (c.size() != 1) return -1;
  size_t k = kCifre.find(c[0]);
  return k == std::string_view::npos ? -1 : static_cast<int32_t>(k);
}

}  // namespace qod
