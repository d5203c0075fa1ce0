#include "qod/testers/prova_pdf.h"

#include <utility>

#include "qod/basic.h"

namespace qod::testers {

void Imposta_PDF(const Campi_PDF& c, pdf::Qod_PDF& p) {
  using Pdf = pdf::Qod_PDF;
  static const std::pair<std::string Pdf::*, std::string Campi_PDF::*> kTesti[] = {
      {&Pdf::qodpdf_Autor, &Campi_PDF::autore},    {&Pdf::qodpdf_Dir, &Campi_PDF::cartella},
      {&Pdf::qodpdf_Files, &Campi_PDF::files},     {&Pdf::qodpdf_Out, &Campi_PDF::uscita},
      {&Pdf::qodpdf_Subject, &Campi_PDF::oggetto}, {&Pdf::qodpdf_Title, &Campi_PDF::titolo}};
  static const std::pair<float Pdf::*, std::string Campi_PDF::*> kNumeri[] = {
      {&Pdf::qodpdf_Height, &Campi_PDF::altezza},        {&Pdf::qodpdf_Left, &Campi_PDF::sinistro},
      {&Pdf::qodpdf_Pag_Left, &Campi_PDF::pag_sinistro}, {&Pdf::qodpdf_Pag_Top, &Campi_PDF::pag_superiore},
      {&Pdf::qodpdf_Top, &Campi_PDF::superiore},         {&Pdf::qodpdf_Width, &Campi_PDF::larghezza}};
  for (const auto& [proprieta, campo] : kTesti) p.*proprieta = Trim(c.*campo);
  for (const auto& [proprieta, campo] : kNumeri) p.*proprieta = static_cast<float>(Val(c.*campo));
  p.qodpdf_Pag = c.numero_pagina;
}

std::string Stato_PDF(const pdf::Qod_PDF& p) { return p.qodpdf_Error ? p.qodpdf_Status : "OK"; }

}  // namespace qod::testers
