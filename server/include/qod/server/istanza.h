// One running copy of the program per program folder: a lock on a file in
// that folder, held for the life of the process and dropped by the system
// when the process ends, however it ends. Servers of different slots run
// side by side in different folders.
#pragma once

#include <string>

namespace qod {

class Istanza_Unica {
 public:
  Istanza_Unica() = default;
  ~Istanza_Unica();
  Istanza_Unica(const Istanza_Unica&) = delete;
  Istanza_Unica& operator=(const Istanza_Unica&) = delete;

  // True when this process now holds the folder's lock; false when another
  // copy holds it (Errore() empty) or the lock file cannot be created or
  // locked (Errore() says why).
  bool Acquisisci(const std::string& cartella, const std::string& nome = "Qod_S.LCK");
  void Rilascia();
  const std::string& Errore() const { return errore_; }

  // Whether another copy holds the folder's lock, looked at without making
  // the lock file (a folder without it has no copy running).
  static bool Altra_Copia(const std::string& cartella, const std::string& nome = "Qod_S.LCK");

 private:
  int fd_ = -1;
  std::string errore_;
};

}  // namespace qod
