// Set-up of the viewer's tests against the stand-in host.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "qod/host/collegamento.h"
#include "qod/host/programma.h"
#include "qod/host_simulato.h"

namespace qod::prova {

// Starts the stand-in with `argomenti`, writes its conversion table into the
// viewer's program folder `cartella`, sets the folder in `base`, and points
// `dati` at the stand-in's record port as `utente`. Call it through
// ASSERT_NO_FATAL_FAILURE.
inline void Viewer_Su_Host(std::unique_ptr<Host_Simulato>& host, std::vector<std::string> argomenti,
                           const std::filesystem::path& cartella, Base_Programma& base, Dati_Collegamento& dati,
                           const std::string& utente) {
  host = std::make_unique<Host_Simulato>(std::move(argomenti));
  ASSERT_TRUE(host->Avvia()) << host->Uscita();
  ASSERT_TRUE(Host_Simulato::Scrivi_Tabella(cartella / "Qod_TBL1.Tbl"));
  base.Cartella_Imposta(cartella.string());
  dati.Collegamento = host->Collegamento(utente);
}

}  // namespace qod::prova
