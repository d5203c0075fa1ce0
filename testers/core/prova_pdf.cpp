#include "qod/testers/prova_pdf.h"

#include "qod/basic.h"

namespace qod::testers {

void Imposta_PDF(const Campi_PDF& c, pdf::Qod_PDF& p) {
  auto numero = [](const std::string& t) { return static_cast<float>(Val(t)); };
  p.qodpdf_Autor = Trim(c.autore);
  p.qodpdf_Dir = Trim(c.cartella);
  p.qodpdf_Files = Trim(c.files);
  p.qodpdf_Height = numero(c.altezza);
  p.qodpdf_Left = numero(c.sinistro);
  p.qodpdf_Out = Trim(c.uscita);
  p.qodpdf_Pag = c.numero_pagina;
  p.qodpdf_Pag_Left = numero(c.pag_sinistro);
  p.qodpdf_Pag_Top = numero(c.pag_superiore);
  p.qodpdf_Subject = Trim(c.oggetto);
  p.qodpdf_Title = Trim(c.titolo);
  p.qodpdf_Top = numero(c.superiore);
  p.qodpdf_Width = numero(c.larghezza);
}

std::string Stato_PDF(const pdf::Qod_PDF& p) { return p.qodpdf_Error ? p.qodpdf_Status : "OK"; }

}  // namespace qod::testers
