// `Attributi_Spool`: the 1118-byte attribute record of a spool file, the
// host's answer to the request for the next spool file. It names the spool
// file, says which outputs to make and carries the printer set-up, the page
// image geometry, the image format, the PDF placement and the save folder.
// Decoded once per spool file into these working values; later stages read
// only the working values (and the raw bytes, kept for the archive).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "qod/record/tracciato.h"

namespace qod {

inline constexpr int kLunghezza_Attributi = 1118;
// Older versions of the record, as documents archived under them keep it.
// Columns 1-178 are the same in all three; the page image values (479-871
// in this version) sit at the same columns in the 998-byte version and 40
// columns earlier in the 958-byte one.
inline constexpr int kLunghezza_Attributi_998 = 998;
inline constexpr int kLunghezza_Attributi_958 = 958;

// How far the page image values of a record of `lunghezza` bytes sit from
// their columns in the 1118-byte version (0 or -40); nothing for a length
// that is no version of the record.
std::optional<int32_t> Scarto_Versione(int32_t lunghezza);

struct Attributi_Spool {
  // ---- The spool file ----------------------------------------------------
  std::string Formato;              // 1 A20: key of the format, mail and XML definitions
  std::string Archivio_21;          // 21 A10: to the archive index
  std::string Archivio_31;          // 31 A10: to the archive index
  std::string File_Spool;           // 41 A10
  std::string Coda;                 // 51 A10: output queue
  std::string Libreria;             // 61 A10: library of the output queue
  std::string Dati_Utente;          // 71 A10
  std::string Tipo_Modulo;          // 81 A10: form type
  std::string Stato_Salvataggio;    // 91 A10: save status, returned in the done record
  std::string Lavoro;               // 101 A10: job name
  std::string Utente;               // 111 A10: user, also the PDF author
  std::string Numero_Lavoro;        // 121 A6
  int32_t Copie_Record = 0;         // 127 B4
  int32_t Pagine_Totali = 0;        // 131 B4
  int32_t Dimensione_Dati = 0;      // 139 B4: bytes of print data
  int32_t Numero_Spool = 0;         // 143 B4: sent back in the done record
  int32_t Prima_Pagina_Record = 0;  // 147 B4
  int32_t Ultima_Pagina_Record = 0; // 151 B4

  // ---- Outputs -----------------------------------------------------------
  std::string Stampa_Predefinita;    // 244 A1: "S" prints
  std::string Archivia_Predefinita;  // 245 A1: "S" archives
  std::string Salva_Predefinito;     // 433 A1: "S" saves
  std::string Stampa_Forzata;        // 636 A1: "*" takes 244
  std::string Archivia_Forzata;      // 637 A1: "*" takes 245
  std::string Salva_Forzato;         // 638 A1: "*" takes 433; "N" also skips mail and XML definitions
  std::string Esito_Finale;          // 639 A1: last character of the done record
  std::string Consegna;              // 640 A1: "P" mail, "X" XML
  std::string Record_Grezzo;         // 621 A1: "T" keeps and archives the raw record

  // ---- Printer -----------------------------------------------------------
  std::string Stampante_1;           // 246 A50
  std::string Stampante_2;           // 342 A50
  std::string Orientamento;          // 296 A1: "V" portrait
  double Margine_Sinistro = 0;       // 297 S5: twips (mm x 56.6868)
  double Margine_Destro = 0;         // 302
  double Margine_Alto = 0;           // 307
  double Margine_Basso = 0;          // 312
  double Scala_Verticale = 0;        // 317 S5.4
  double Scala_Orizzontale = 0;      // 322 S5.4
  std::string Modo_Scala;            // 327 A1: "A", "O", "V", "N"
  std::string Centra_Orizzontale;    // 328 A1
  std::string Centra_Verticale;      // 329 A1
  std::string Copie_Server;          // 330 A1: "S" the server repeats the pages per copy
  std::string Colore;                // 331 A1
  int32_t Stampa_Risoluzione_X = 0;  // 332 S5
  int32_t Stampa_Risoluzione_Y = 0;  // 337 S5
  int32_t Cassetto = 0;              // 392 S5
  std::string Indirizzo_Stampante;   // 417 A15: blank = no reachability test
  std::string Controllo_Stato;       // 432 A1: "N" skips the status check

  // ---- Page image (the image generator's members) ------------------------
  int32_t Txt_Cols = 0, Txt_Rows = 0, Txt_Left = 0, Txt_Top = 0, Txt_Col_Dim = 0, Txt_Row_Dim = 0;  // 479..499 S4
  int32_t Txt_Orie = 0;              // 503 S1
  std::string Fnt_File;              // 504 A25
  int32_t Fnt_Width = 0, Fnt_Height = 0, Fnt_Left = 0, Fnt_Top = 0;  // 529, 533, 537, 541 S4
  int32_t Fnt_Mode = 0;              // 545 S1
  std::string Im1_File;              // 546 A25
  int32_t Im1_Width = 0, Im1_Height = 0, Im1_Left = 0, Im1_Top = 0, Im1_Src_Left = 0, Im1_Src_Top = 0;  // 571..591
  int32_t Im1_Mode = 0;              // 595 S1
  double Im1_ZoomX = 0, Im1_ZoomY = 0;  // 596, 601 S5.2 percent, / 100
  std::string Im2_File_2, Im2_File_3, Im2_File_4, Im2_File_5;  // 659, 684, 709, 734 A25: overlay of copy 2..5+
  int32_t Im2_Width = 0, Im2_Height = 0, Im2_Left = 0, Im2_Top = 0, Im2_Src_Left = 0, Im2_Src_Top = 0;  // 759..779
  int32_t Im2_Mode = 0;              // 783 S1
  double Im2_ZoomX = 0, Im2_ZoomY = 0;  // 784, 789 S5.2 percent, / 100
  int32_t Out_Width = 0, Out_Height = 0;  // 819, 823 S4
  std::string Tipo_Immagine;         // 827 A1: one base-36 digit
  int32_t Sfondo_R = 0, Sfondo_G = 0, Sfondo_B = 0;  // 828, 832, 836 S4
  int32_t Out_ResX = 0, Out_ResY = 0;  // 840, 844 S4
  std::string JPG_Otti;              // 848 A1: "S"
  int32_t JPG_Qual = 0, JPG_Atte = 0, Rows_Strip = 0;  // 849, 853, 857 S4
  std::string TIF_MultiP;            // 861 A1: "S"
  double Out_ZoomX = 0, Out_ZoomY = 0;  // 862, 867 S5.2 percent, / 100

  // ---- Archive index and saving ------------------------------------------
  std::string Indice_33;             // 606 A4
  std::string Indice_1;              // 620 A1
  std::string Indice_2;              // 622 A10
  int32_t Copie_Forzate = 0;         // 632 S4: above 0 replaces 127
  std::string Indice_127;            // 880 A1
  float PDF_Left = 0, PDF_Top = 0, PDF_Width = 0, PDF_Height = 0;  // 925..937 S4 / 100, cm
  float PDF_Pag_Left = 0, PDF_Pag_Top = 0;  // 941, 945
  std::string Salva_PDF;             // 949 A1: "S" saves one PDF per document
  std::string PDF_Pag;               // 950 A1: page numbers
  std::string Cartella;              // 999 A100, trimmed

  // ---- Derived values ----------------------------------------------------
  int32_t Copie = 0;                 // 632 when above 0, else 127
  int32_t Prima_Pagina = 1;          // 147, at least 1
  int32_t Ultima_Pagina = 0;         // 151, or 131 when 151 is below 1
  std::string Stampante;             // Trim(246 & 342)
  bool Da_Stampare = false;          // (636 unless "*", else 244) = "S"
  bool Da_Archiviare = false;        // 637 / 245
  bool Da_Salvare = false;           // 638 / 433

  // Decodes every field through `campo`, then the derived values. Whole
  // numbers are read as CLng reads them; a field that holds no number reads
  // as 0 and the first such position is kept in `posizione_errata` (0 when
  // every number was good).
  static Attributi_Spool Decodifica(const Lettore_Campi& campo, int32_t& posizione_errata);
  // Decodes only the page image values (Txt_*, Fnt_*, Im1_*, Im2_* but the
  // overlay names of copies 2-5, Out_*, Tipo_Immagine, Sfondo_*, JPG_*,
  // Rows_Strip, TIF_MultiP) of a record of `lunghezza` bytes, at the
  // columns of its version; the other members keep their defaults. Nothing
  // for a length that is no version of the record.
  static std::optional<Attributi_Spool> Decodifica_Pagina(const Lettore_Campi& campo, int32_t lunghezza,
                                                          int32_t& posizione_errata);

  // The layout of the 1118-byte version, every field read; the page image
  // values are its part kParte_Pagina.
  static constexpr int kParte_Pagina = 1;
  static std::span<const Campo_Record<Attributi_Spool>> Tracciato();
};

// The image type's number: 0..35 for "0".."9", "A".."Z" (exact: lower case
// gives -1); -1 otherwise.
int32_t Cifra_Base36(std::string_view carattere);

}  // namespace qod
