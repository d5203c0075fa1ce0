// The PDF generator's test form: its boxes, how a run hands them to the
// generator and what the state line shows afterwards.
#pragma once

#include <string>

#include "qod/pdf/qod_pdf.h"

namespace qod::testers {

// The texts of the form's boxes (ANSI) and its check box.
struct Campi_PDF {
  std::string autore, titolo, oggetto, cartella, files;
  std::string altezza, larghezza, sinistro, superiore;
  bool numero_pagina = false;
  std::string pag_sinistro, pag_superiore;
  std::string uscita;
};

// Sets every property of `pdf` from the boxes: texts without the blanks
// around them, numbers read from the start of their text with "." as the
// decimal point ("29,7" gives 29, a text that does not begin with a number
// gives 0).
void Imposta_PDF(const Campi_PDF& c, pdf::Qod_PDF& pdf);

// The state line after a run: the generator's message when it failed, "OK"
// when it completed.
std::string Stato_PDF(const pdf::Qod_PDF& pdf);

}  // namespace qod::testers
