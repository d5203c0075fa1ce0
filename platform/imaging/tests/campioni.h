// Sample image files for the tests and the fuzz corpus, written directly with
// libtiff, libpng and libjpeg (and BMP bytes by hand), not through the layer
// under test, each with the pixels a reader must find in it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "qod/imaging/file.h"
#include "qod/imaging/immagine.h"
#include "qod/prova/strumenti.h"

namespace qod::img::prova {

struct Campione {
  std::string nome;
  Formato formato = Formato::Sconosciuto;
  std::vector<uint8_t> dati;
  int larghezza = 0, altezza = 0;
  int bit = 0;                  // depth the loader must give
  std::vector<Colore> pixel;    // expected colours, row by row (image 1)
  int tolleranza = 0;           // per channel (lossy files)
  int immagini = 1;
  int dpi_x = 0, dpi_y = 0;
};

// Every sample: BMP, TIFF, PNG and JPEG variants.
const std::vector<Campione>& Campioni();
const Campione& Campione_Di(const std::string& nome);

// Test patterns: an asymmetric 1-bit pattern and a colour gradient.
bool Motivo_Bit(int x, int y);
Colore Motivo_Colore(int x, int y);

std::vector<uint8_t> Leggi_Byte(const std::filesystem::path& p);
void Scrivi_Byte(const std::filesystem::path& p, const std::vector<uint8_t>& dati);

// Output of a command (stdout and stderr), and its exit status.
int Esegui(const std::string& comando, std::string* uscita);

// An 8 x 8 8-bit page followed by another, in a file of 101 MB whose first
// page carries `tag` private tags of 100 MB each, all on one region of
// zeros (a sparse file).
void Scrivi_Tiff_Tag_Enormi(const std::filesystem::path& f, int tag);

// A digest of a file, read a piece at a time.
uint64_t Impronta(const std::filesystem::path& f);

// The process's resident memory in kB: "VmRSS:" now, "VmHWM:" its peak.
long Memoria_Kb(const char* campo);
// Sets the peak back to what is resident now (writing 5 to
// /proc/self/clear_refs, since Linux 4.0); false where that cannot be done,
// so that no peak can be measured from here on.
bool Azzera_Picco();

}  // namespace qod::img::prova
