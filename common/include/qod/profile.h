// Settings files with the rules of the Windows private-profile calls:
// section and key names compare case-insensitively; keys and values are
// trimmed; one pair of enclosing quotes is stripped; only ";" starts a
// comment; the first of two equal keys wins; a value read is cut to the
// caller's buffer (255 gives at most 254 characters). A write replaces the
// value in place, appends a new key at the end of its section and a new
// section at the end of the file, as "key=value" with CR LF; every other
// byte of the file stays as it was. A missing file reads as defaults.
// File names and contents are ANSI bytes.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qod {

// GetPrivateProfileString: the value, or `predefinito` (without its trailing
// blanks) when the section or key is missing; cut to `dimensione` - 1.
std::string Profilo_Leggi(const std::string& file, std::string_view sezione, std::string_view chiave,
                          std::string_view predefinito = "", int dimensione = 255);

// WritePrivateProfileString: false when the file could not be written.
bool Profilo_Scrivi(const std::string& file, std::string_view sezione, std::string_view chiave,
                    std::string_view valore);

// Several writes applied in one rewrite of the file, so that values that
// belong together (a record and its check text) land together or not at all.
struct Profilo_Voce {
  std::string sezione, chiave, valore;
};
bool Profilo_Scrivi_Tutti(const std::string& file, const std::vector<Profilo_Voce>& voci);

// WritePrivateProfileString with no value: removes the key.
bool Profilo_Cancella_Chiave(const std::string& file, std::string_view sezione, std::string_view chiave);
// WritePrivateProfileString with no key: removes the whole section.
bool Profilo_Cancella_Sezione(const std::string& file, std::string_view sezione);

// The key names of a section and the section names of the file, in file order.
std::vector<std::string> Profilo_Chiavi(const std::string& file, std::string_view sezione);
std::vector<std::string> Profilo_Sezioni(const std::string& file);

// The same rules over text already in memory (used by the functions above).
class Profilo_Testo {
 public:
  explicit Profilo_Testo(std::string contenuto = {});
  const std::string& Contenuto() const { return testo_; }
  bool Leggi(std::string_view sezione, std::string_view chiave, std::string& valore) const;
  // The line (from 1) of the key Leggi reads, or 0 when there is none.
  int Riga_Chiave(std::string_view sezione, std::string_view chiave) const;
  void Scrivi(std::string_view sezione, std::string_view chiave, std::string_view valore);
  void Cancella_Chiave(std::string_view sezione, std::string_view chiave);
  void Cancella_Sezione(std::string_view sezione);
  std::vector<std::string> Chiavi(std::string_view sezione) const;
  std::vector<std::string> Sezioni() const;

 private:
  struct Riga {
    size_t inizio, fine, fine_con_a_capo;  // byte offsets of the line
  };
  std::vector<Riga> Righe() const;
  // The index in `righe` of the key read, or righe.size().
  size_t Trova(std::string_view sezione, std::string_view chiave, const std::vector<Riga>& righe) const;
  std::string_view Testo(const Riga& r) const { return std::string_view(testo_).substr(r.inizio, r.fine - r.inizio); }
  std::string testo_;
};

}  // namespace qod
