// libFuzzer target of one image loader, chosen at build time (QOD_FUZZ_BMP,
// QOD_FUZZ_TIFF, QOD_FUZZ_PNG, QOD_FUZZ_JPEG). A TIFF input is also loaded at
// its second and third image and counted.
#include <cstddef>
#include <cstdint>

#include "formati.h"

using namespace qod::img;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  Imposta_Limite_Memoria(size_t{64} << 20);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dati, size_t n) {
  Immagine im;
#if defined(QOD_FUZZ_BMP)
  (void)Carica_Bmp(dati, n, im);
#elif defined(QOD_FUZZ_TIFF)
  int immagini = 0;
  for (int k = 1; k <= 3; ++k) {
    if (!Carica_Tiff(dati, n, im, k, &immagini) && k == 1 && immagini == 0) break;
    if (k >= immagini) break;
  }
  (void)Conta_Tiff(dati, n);
#elif defined(QOD_FUZZ_PNG)
  (void)Carica_Png(dati, n, im);
#elif defined(QOD_FUZZ_JPEG)
  (void)Carica_Jpeg(dati, n, im);
#else
#error "no loader chosen"
#endif
  // A loaded image must be readable to its last byte.
  volatile uint8_t somma = 0;
  for (int y = 0; y < im.Altezza(); ++y) {
    const uint8_t* r = im.Riga(y);
    for (size_t i = 0; i < im.Byte_Riga(); ++i) somma = static_cast<uint8_t>(somma + r[i]);
  }
  return 0;
}
