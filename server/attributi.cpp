#include "qod/server/attributi.h"

#include "qod/basic.h"

namespace qod {

namespace {

// Reads the fields of one record through the caller's decoder, every column
// moved by `scarto`. Whole numbers are read as CLng reads them; a field that
// holds no number reads as 0 and the lowest such column is kept.
class Campi_Record {
 public:
  Campi_Record(const Lettore_Campi& campo, int32_t scarto, int32_t& posizione_errata)
      : campo_(campo), scarto_(scarto), errata_(posizione_errata) {}

  std::string A(int32_t pos, int32_t len) const { return campo_("A", pos + scarto_, len, 0, 0); }
  int32_t B(int32_t pos) const { return Intero("B", pos, 4); }
  int32_t S(int32_t pos, int32_t len) const { return Intero("S", pos, len); }
  // Fractional numbers: Val of the decoded text.
  double D(int32_t pos, int32_t len, int32_t dec) const { return Val(campo_("S", pos + scarto_, len, len, dec)); }

 private:
  int32_t Intero(const char* tipo, int32_t pos, int32_t len) const {
    auto v = CLng(std::string_view(campo_(tipo, pos + scarto_, len, len, 0)));
    if (!v) {
      if (errata_ == 0 || pos + scarto_ < errata_) errata_ = pos + scarto_;
      return 0;
    }
    return *v;
  }

  const Lettore_Campi& campo_;
  int32_t scarto_;
  int32_t& errata_;
};

// The page image values, at their columns of the 1118-byte record moved by
// `scarto`.
void Valori_Pagina(Attributi_Spool& a, const Lettore_Campi& campo, int32_t scarto, int32_t& posizione_errata) {
  const Campi_Record r(campo, scarto, posizione_errata);
  auto A = [&r](int32_t pos, int32_t len) { return r.A(pos, len); };
  auto S = [&r](int32_t pos, int32_t len) { return r.S(pos, len); };
  auto D = [&r](int32_t pos, int32_t len, int32_t dec) { return r.D(pos, len, dec); };

  a.Txt_Cols = S(479, 4);
  a.Txt_Rows = S(483, 4);
  a.Txt_Left = S(487, 4);
  a.Txt_Top = S(491, 4);
  a.Txt_Col_Dim = S(495, 4);
  a.Txt_Row_Dim = S(499, 4);
  a.Txt_Orie = S(503, 1);
  a.Fnt_File = A(504, 25);
  a.Fnt_Width = S(529, 4);
  a.Fnt_Height = S(533, 4);
  a.Fnt_Left = S(537, 4);
  a.Fnt_Top = S(541, 4);
  a.Fnt_Mode = S(545, 1);
  a.Im1_File = A(546, 25);
  a.Im1_Width = S(571, 4);
  a.Im1_Height = S(575, 4);
  a.Im1_Left = S(579, 4);
  a.Im1_Top = S(583, 4);
  a.Im1_Src_Left = S(587, 4);
  a.Im1_Src_Top = S(591, 4);
  a.Im1_Mode = S(595, 1);
  a.Im1_ZoomX = D(596, 5, 2) / 100;
  a.Im1_ZoomY = D(601, 5, 2) / 100;
  a.Im2_Width = S(759, 4);
  a.Im2_Height = S(763, 4);
  a.Im2_Left = S(767, 4);
  a.Im2_Top = S(771, 4);
  a.Im2_Src_Left = S(775, 4);
  a.Im2_Src_Top = S(779, 4);
  a.Im2_Mode = S(783, 1);
  a.Im2_ZoomX = D(784, 5, 2) / 100;
  a.Im2_ZoomY = D(789, 5, 2) / 100;
  a.Out_Width = S(819, 4);
  a.Out_Height = S(823, 4);
  a.Tipo_Immagine = A(827, 1);
  a.Sfondo_R = S(828, 4);
  a.Sfondo_G = S(832, 4);
  a.Sfondo_B = S(836, 4);
  a.Out_ResX = S(840, 4);
  a.Out_ResY = S(844, 4);
  a.JPG_Otti = A(848, 1);
  a.JPG_Qual = S(849, 4);
  a.JPG_Atte = S(853, 4);
  a.Rows_Strip = S(857, 4);
  a.TIF_MultiP = A(861, 1);
  a.Out_ZoomX = D(862, 5, 2) / 100;
  a.Out_ZoomY = D(867, 5, 2) / 100;
}

}  // namespace

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
  Valori_Pagina(a, campo, *scarto, posizione_errata);
  return a;
}

Attributi_Spool Attributi_Spool::Decodifica(const Lettore_Campi& campo, int32_t& posizione_errata) {
  posizione_errata = 0;
  Attributi_Spool a;
  const Campi_Record r(campo, 0, posizione_errata);
  auto A = [&r](int32_t pos, int32_t len) { return r.A(pos, len); };
  auto B = [&r](int32_t pos) { return r.B(pos); };
  auto S = [&r](int32_t pos, int32_t len) { return r.S(pos, len); };
  auto D = [&r](int32_t pos, int32_t len, int32_t dec) { return r.D(pos, len, dec); };

  a.Formato = A(1, 20);
  a.Archivio_21 = A(21, 10);
  a.Archivio_31 = A(31, 10);
  a.File_Spool = A(41, 10);
  a.Coda = A(51, 10);
  a.Libreria = A(61, 10);
  a.Dati_Utente = A(71, 10);
  a.Tipo_Modulo = A(81, 10);
  a.Stato_Salvataggio = A(91, 10);
  a.Lavoro = A(101, 10);
  a.Utente = A(111, 10);
  a.Numero_Lavoro = A(121, 6);
  a.Copie_Record = B(127);
  a.Pagine_Totali = B(131);
  a.Dimensione_Dati = B(139);
  a.Numero_Spool = B(143);
  a.Prima_Pagina_Record = B(147);
  a.Ultima_Pagina_Record = B(151);

  a.Stampa_Predefinita = A(244, 1);
  a.Archivia_Predefinita = A(245, 1);
  a.Stampante_1 = A(246, 50);
  a.Orientamento = A(296, 1);
  constexpr double kTwips_Per_Mm = 56.6868;
  a.Margine_Sinistro = D(297, 5, 0) * kTwips_Per_Mm;
  a.Margine_Destro = D(302, 5, 0) * kTwips_Per_Mm;
  a.Margine_Alto = D(307, 5, 0) * kTwips_Per_Mm;
  a.Margine_Basso = D(312, 5, 0) * kTwips_Per_Mm;
  a.Scala_Verticale = D(317, 5, 4);
  a.Scala_Orizzontale = D(322, 5, 4);
  a.Modo_Scala = A(327, 1);
  a.Centra_Orizzontale = A(328, 1);
  a.Centra_Verticale = A(329, 1);
  a.Copie_Server = A(330, 1);
  a.Colore = A(331, 1);
  a.Stampa_Risoluzione_X = S(332, 5);
  a.Stampa_Risoluzione_Y = S(337, 5);
  a.Stampante_2 = A(342, 50);
  a.Cassetto = S(392, 5);
  a.Indirizzo_Stampante = A(417, 15);
  a.Controllo_Stato = A(432, 1);
  a.Salva_Predefinito = A(433, 1);

  Valori_Pagina(a, campo, 0, posizione_errata);
  a.Indice_33 = A(606, 4);
  a.Indice_1 = A(620, 1);
  a.Record_Grezzo = A(621, 1);
  a.Indice_2 = A(622, 10);
  a.Copie_Forzate = S(632, 4);
  a.Stampa_Forzata = A(636, 1);
  a.Archivia_Forzata = A(637, 1);
  a.Salva_Forzato = A(638, 1);
  a.Esito_Finale = A(639, 1);
  a.Consegna = A(640, 1);
  a.Im2_File_2 = A(659, 25);
  a.Im2_File_3 = A(684, 25);
  a.Im2_File_4 = A(709, 25);
  a.Im2_File_5 = A(734, 25);
  a.Indice_127 = A(880, 1);
  a.PDF_Left = static_cast<float>(D(925, 4, 0) / 100);
  a.PDF_Top = static_cast<float>(D(929, 4, 0) / 100);
  a.PDF_Width = static_cast<float>(D(933, 4, 0) / 100);
  a.PDF_Height = static_cast<float>(D(937, 4, 0) / 100);
  a.PDF_Pag_Left = static_cast<float>(D(941, 4, 0) / 100);
  a.PDF_Pag_Top = static_cast<float>(D(945, 4, 0) / 100);
  a.Salva_PDF = A(949, 1);
  a.PDF_Pag = A(950, 1);
  a.Cartella = Trim(A(999, 100));

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

}  // namespace qod
