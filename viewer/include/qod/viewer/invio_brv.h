// Handing a document to the Brevin fax and mail program, which runs beside
// the host on the same desktop: the pages are copied under hand-off names
// ("__Brv_", a sequence number, "_", a page counter, the rest of the page's
// name) into the document's folder, and a message of five tags naming the
// last copy is written into the program's "text box".
//
// The program listens on a local socket (by default "Brevin" in the user's
// runtime folder). A connection is answered with the box's text and a line
// end: "DATI DA DRV" when the program is ready for a hand-off; anything else
// (the previous message, still being worked on) means busy, and the program
// closes the connection. On a ready connection the message is written in
// one piece (Windows-1252) and the writing side is shut; the program
// answers "1" and a line end once it has taken the text.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "qod/viewer/pagine.h"

namespace qod::imv {

// The text of a ready box.
inline constexpr const char* kCasella_Pronta = "DATI DA DRV";

// The message: "{FI=" file "}{RI=" reference "}{TI=" kind "}{TC=" type
// "}{CD=" code "}", values as they are.
std::string Messaggio_Brv(const std::string& file, const std::string& riferimento, char tipo,
                          const std::string& tipo_brv, const std::string& codice);

// The sequence number after the largest of the hand-off files in a folder:
// the five characters after "__Brv_" read as a number up to the first
// non-digit (0 when none); 1 when the folder holds no hand-off file.
long Sequenza_Brv(const std::string& cartella);

// The folder of a path, with its last "/" ("" for a bare name).
std::string Cartella_Di(const std::string& file);

// The copies of one hand-off: the page files of the document in page
// order, with the rest of the name after the page digits, the counter width
// (the digit width; 0 for a document held whole in one file, copied once
// with counter 1 and the file's extension as rest).
struct Piano_Brv {
  std::string cartella;
  std::vector<std::string> pagine;
  std::string resto;
  long cifre = 0;
  // The name of copy `contatore` (from 1) of hand-off `sequenza`.
  std::string Nome(long sequenza, long contatore) const;
};
Piano_Brv Piano_Copie(const Pagine& p);

// Writes the copies of a plan. The sequence number is the next one of the
// folder, taken by creating its first copy exclusively (a number another
// viewer took meanwhile is passed over). On any failure the copies written
// so far are removed and `errore` names the page file that failed.
struct Copie_Brv {
  bool ok = false;
  long sequenza = 0;
  std::vector<std::string> copie;
  std::string errore;
};
Copie_Brv Copie_Scrivi(const Piano_Brv& piano);

// ---- The fax program ------------------------------------------------------------

// The program's socket when nothing else is set: "Brevin" in the user's
// runtime folder ($XDG_RUNTIME_DIR, else /tmp/qod-<uid>).
std::string Brevin_Indirizzo();

// The program's box, found ready: one open connection.
class Casella_Brv {
 public:
  explicit Casella_Brv(int fd) : fd_(fd) {}
  ~Casella_Brv();
  Casella_Brv(const Casella_Brv&) = delete;
  Casella_Brv& operator=(const Casella_Brv&) = delete;

  // Writes the message into the box and waits until the program has taken
  // it (at most `attesa_ms`). False when it did not answer so.
  bool Invia(const std::string& messaggio, int attesa_ms = 10000);

 private:
  int fd_;
};

// Finds the program ready for a hand-off at `indirizzo`: nothing when no
// program listens there, or it is busy, or it does not answer within
// `attesa_ms`.
std::unique_ptr<Casella_Brv> Client_Brv_Trova(const std::string& indirizzo, int attesa_ms = 2000);

}  // namespace qod::imv
