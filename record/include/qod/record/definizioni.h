// The definitions the host keeps for a spool file's format: where the
// document key lies on a page ("K" rows), which page fields go into the
// archive index ("F" rows), which constant texts with tags are added to page
// lines ("C" rows), and the six mail and XML field groups.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "qod/record/tracciato.h"

namespace qod {

// One definition row as stored: where its value is cut from a page line and
// how it is converted.
struct Campo_Definizione {
  int32_t Riga = 0;        // page line (1-based); "C" rows: first line
  int32_t Riga_Fine = 0;   // "C" rows: last line
  int32_t Colonna = 0;
  int32_t Lunghezza = 0;
  std::string Tipo;        // extraction kind, 1 character
  std::string Compattazione;  // group fields: "R", "Z" or other
  std::string Costante;    // 20 (K/F), 60 (groups) or up to 300 (C) characters
  std::string Nome;        // XML group 6: element name, trimmed
};

// One row of a format definition as the host sends it: "K" a key field,
// "F" an archive index field, "C" a constant text with tags; a row of any
// other kind is skipped. Numbers are read as Val reads them.
struct Riga_Definizione : Campo_Definizione {
  std::string Genere;   // 1 A1: "K", "F", "C"
  int32_t Numero = 0;   // 2 S5: "K", "F": the field's number
  std::string Testo;    // 20 A300: "C": the text with its tags

  // A "C" row keeps its text trimmed as `Costante`, and its first line as
  // its last when the row gives 0; "K" and "F" rows keep the 20 characters.
  static Riga_Definizione Decodifica(const Lettore_Campi& campo);
  static std::span<const Campo_Record<Riga_Definizione>> Tracciato();
};

// One row of a mail or XML definition: the field group it belongs to, then
// the field. Mail and XML rows place the same columns differently.
struct Riga_Gruppo : Campo_Definizione {
  std::string Gruppo;  // 1 A1: "1".."4" mail, "1".."6" XML

  // The field ends on its first line; an XML row keeps its name (trimmed)
  // in group 6 only.
  static Riga_Gruppo Decodifica_Posta(const Lettore_Campi& campo);
  static Riga_Gruppo Decodifica_XML(const Lettore_Campi& campo);
  static std::span<const Campo_Record<Riga_Gruppo>> Tracciato_Posta();
  static std::span<const Campo_Record<Riga_Gruppo>> Tracciato_XML();
};

// `Definizione_Formato`, as read by the format definition stage.
struct Definizione_Formato {
  static constexpr int kChiavi = 8;
  static constexpr int kIndici = 64;

  // Key fields 1..8 and their end offsets E(0..8): key field n occupies
  // positions E(n-1) .. E(n)-1 of the document key.
  std::array<Campo_Definizione, kChiavi + 1> Chiave{};
  std::array<int32_t, kChiavi + 1> E{};
  int32_t Numero_Chiavi = 0;

  // Archive index fields 1..64 and their end offsets X(0..64).
  std::array<Campo_Definizione, kIndici + 1> Indice{};
  std::array<int32_t, kIndici + 1> X{};
  int32_t Numero_Indici = 0;

  // Constant-text rows, in the order they came.
  std::vector<Campo_Definizione> Costanti;

  // The length of the document key: E(count) - 1, never negative.
  int32_t Lunghezza_Chiave() const;

  // Empties every slot and restarts the counts and the offsets.
  void Azzera();
};

// `Gruppo_Campi`: one mail or XML field group. Field k (1-based) occupies
// positions O(k) .. O(k+1)-1 of the group value; `Inizi` holds O(1..count+1).
struct Gruppo_Campi {
  std::vector<Campo_Definizione> Campi;
  std::vector<int32_t> Inizi{1};

  int32_t Numero() const { return static_cast<int32_t>(Campi.size()); }
  int32_t Lunghezza() const { return Inizi.back() - 1; }
  void Aggiungi(Campo_Definizione c);
  void Azzera();
};

inline constexpr int kGruppi = 6;
using Gruppi_Campi = std::array<Gruppo_Campi, kGruppi + 1>;  // 1..6

}  // namespace qod
