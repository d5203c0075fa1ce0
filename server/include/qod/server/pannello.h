// The status panel of the server as a model: what the spool stages write and
// what the window shows. 24 row values, the progress bars of rows 18-22, the
// print, archive and save switches of rows 20-22, the "Visualizza" key, the
// toolbar keys that are enabled, the eight shapes of the run-state light, the
// caption and the labels `Client` and `Release`. The window only draws it;
// the core only reads and writes here, so everything runs without a display.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qod {

class Pannello {
 public:
  static constexpr int kRighe = 24;

  // The rows, by their caption.
  enum Riga : int {
    Riga_Stop = 0,
    Riga_Restart = 1,
    Riga_Stampe = 2,
    Riga_Pagine = 3,
    Riga_Lavoro = 4,
    Riga_Numero = 5,
    Riga_Utente = 6,
    Riga_Formato = 7,
    Riga_Job = 8,
    Riga_Dati_Utente = 9,
    Riga_File_Spool = 10,
    Riga_Salvataggio = 11,
    Riga_Coda = 12,
    Riga_Pagine_Spool = 13,
    Riga_Libreria = 14,
    Riga_Copie = 15,
    Riga_Stampante = 16,
    Riga_Cartella = 17,
    Riga_Dati = 18,
    Riga_Immagini = 19,
    Riga_Stampa = 20,
    Riga_Archivia = 21,
    Riga_Salva = 22,
    Riga_Stato = 23,
  };

  // The row captions, each ending in one blank.
  static const std::array<const char*, kRighe>& Didascalie();

  // ---- Row values ------------------------------------------------------

  const std::string& Valore(int riga) const;
  void Valore_Imposta(int riga, std::string testo);

  // The state row counts as empty while its first ten characters are
  // blanks, so that the first message of a spool file stays.
  bool Stato_Vuoto() const;
  // Shows `testo` on the state row when it counts as empty.
  void Stato_Segnala(std::string testo);

  // ---- Progress bars (rows 18-22) ------------------------------------------

  // The inner width in pixels of a row's bar: 126 on the paired rows 18 and
  // 19, 318 on the full rows 20-22, 0 on rows without a bar.
  static double Larghezza_Piena(int riga);
  // Width in pixels; the bar is visible only while wider than one pixel.
  void Barra_Imposta(int riga, double larghezza);
  double Barra_Larghezza(int riga) const;
  bool Barra_Visibile(int riga) const;

  // A stage's progress: the bar at full width / totale x fatto and the text
  // " " & fatto & " / " & totale, both as "###,##0".
  void Avanzamento(int riga, int64_t fatto, int64_t totale);
  static std::string Avanzamento_Testo(int64_t fatto, int64_t totale);

  // ---- Switches (rows 20-22) and the viewer key ----------------------------

  // True while the row's "yes" picture shows. All three start off.
  bool Interruttore(int riga) const;
  void Interruttore_Imposta(int riga, bool acceso);

  bool Visualizza() const { return visualizza_; }
  void Visualizza_Imposta(bool premuto);

  // ---- Toolbar ---------------------------------------------------------------

  enum Tasto : int { Tasto_Uscita = 0, Tasto_Start, Tasto_Stop, Tasto_Uno, Tasto_Visualizza };
  static constexpr int kTasti = 5;
  // The button keys: "Uscita", "Start", "Stop", "Uno", "Visualizza".
  static const char* Chiave(Tasto t);
  bool Tasto_Abilitato(Tasto t) const;
  void Tasto_Abilita(Tasto t, bool abilitato);

  // ---- Run-state light -------------------------------------------------------

  // `Sem`(0..7): one shape per state and blink phase; the window shows the
  // ones whose Visible is set. Every write is a change notice.
  static constexpr int kLuci = 8;
  bool Sem_Visibile(int i) const;
  void Sem_Imposta(int i, bool visibile);

  // ---- Caption and labels ------------------------------------------------------

  const std::string& Caption() const { return caption_; }
  void Caption_Imposta(std::string testo);
  const std::string& Client() const { return client_; }
  void Client_Imposta(std::string testo);
  const std::string& Release() const { return release_; }
  void Release_Imposta(std::string testo);

  // ---- Change notices, for the window ------------------------------------

  // Codes of the notices that are not about a row.
  static constexpr int kAvviso_Visualizza = -1;
  static constexpr int kAvviso_Tasti = -2;
  static constexpr int kAvviso_Sem = -3;
  static constexpr int kAvviso_Etichette = -4;  // caption, Client, Release

  // Called after every change with the row it touched, or one of the codes above.
  void Osserva(std::function<void(int riga)> osservatore) { osservatori_.push_back(std::move(osservatore)); }

 private:
  static bool Valida(int riga) { return riga >= 0 && riga < kRighe; }
  void Avvisa(int riga) const;

  std::array<std::string, kRighe> valori_;
  std::array<double, kRighe> barre_{};
  std::array<bool, kRighe> interruttori_{};
  bool visualizza_ = false;
  std::array<bool, kTasti> tasti_{};
  std::array<bool, kLuci> sem_{};
  std::string caption_, client_, release_;
  std::vector<std::function<void(int)>> osservatori_;
};

}  // namespace qod
