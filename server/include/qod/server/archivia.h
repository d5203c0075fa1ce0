// The archive upload: every document of the spool file goes into the host
// archive as its index record ("I", which gives the archive id), then, once
// opened ("C"), its content in chunks ("W") and the close ("B"). The content
// is the copy-1 page images, or in text mode (attribute 621 "T") the raw
// attribute record once and then every page's text and tag command files.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "qod/host/trasporto.h"
#include "qod/server/uscite.h"

namespace qod {

inline constexpr int kPezzo_Massimo = 8161;   // raw bytes of one chunk: a request is at most 8192
inline constexpr char kNessun_Archivio[] = "**********";  // no document open / not archived

class Fase_Archivia : public Fase_Uscita {
 public:
  // `canale`: the host connection's records.
  Fase_Archivia(Servizi_Fase servizi, Trasporto& canale) : s_(std::move(servizi)), canale_(canale) {}
  // True when every document was stored or refused by the host; false after
  // a transfer failure or a page file that could not be read: the failure is
  // logged, the connection is dropped for a new attempt, and the spool file
  // stays on the host.
  bool Esegui(const Stato_Spool& stato, const Strada_Fase& strada) override;

 private:
  Servizi_Fase s_;
  Trasporto& canale_;
};

}  // namespace qod
