#include "qod/testers/parametri.h"

#include "qod/basic.h"

namespace qod::testers {

namespace {

using C = Conversione;
using T = Tipo_Campo;
using G = Qod_IMG;

std::vector<Campo> Tabella() {
  std::vector<Campo> v = {
      {"out_Nome", " Out ", T::Testo, "/TEST/TEST.TIF", true, C::Testo, &G::qodimg_Out_File, "qodimg_Out_File"},
      {"out_Width", " Out ", T::Testo, "1728", false, C::Intero32, &G::qodimg_Out_Width, "qodimg_Out_Width"},
      {"out_Height", " Out ", T::Testo, "2144", false, C::Intero32, &G::qodimg_Out_Height, "qodimg_Out_Height"},
      {"txt_S", " Out ", T::Lista, "0=TIF G3-1D", false, C::Formato, &G::qodimg_Out_Save, "qodimg_Out_Save"},
      {"txt_Rx", " Out ", T::Testo, "204", false, C::Intero32, &G::qodimg_Out_ResX, "qodimg_Out_ResX"},
      {"txt_Ry", " Out ", T::Testo, "196", false, C::Intero32, &G::qodimg_Out_ResY, "qodimg_Out_ResY"},
      {"chkOtt", " JPEG ", T::Spunta, "1", false, C::Spunta, &G::qodimg_JPG_Otti, "qodimg_JPG_Otti"},
      {"txtQual", " JPEG ", T::Testo, "75", false, C::Intero32, &G::qodimg_JPG_Qual, "qodimg_JPG_Qual"},
      {"txtAtt", " JPEG ", T::Testo, "25", false, C::Intero32, &G::qodimg_JPG_Atte, "qodimg_JPG_Atte"},
      {"txt_Rows_Strip", " TIFF", T::Testo, "2144", false, C::Intero32, &G::qodimg_Rows_Strip, "qodimg_Rows_Strip"},
      {"chkMulti", " TIFF", T::Spunta, "0", false, C::Spunta, &G::qodimg_TIF_MultiP, "qodimg_TIF_MultiP"},
      {"out_Colore", " Out ", T::Colore, "16777215", false, C::Colore, &G::qodimg_Out_BkColor, "qodimg_Out_BkColor"},
      {"cmd_Nome", " Comandi ", T::Testo, "/TEST/_COMANDI.TXT", true, C::Testo, &G::qodimg_Cmd_File, "qodimg_Cmd_File"},
      {"txt_Cmd_CPY", " Testo ", T::Testo, "1", false, C::Intero32, &G::qodimg_Cmd_CPY, "qodimg_Cmd_CPY"},
      {"txt_Nome", " Testo ", T::Testo, "/TEST/_TESTO.TXT", true, C::Testo, &G::qodimg_Txt_File, "qodimg_Txt_File"},
      {"txt_Orie", " Testo ", T::Lista, "1=Ver.", false, C::Lista16, &G::qodimg_Txt_Orie, "qodimg_Txt_Orie"},
      {"txt_Col_Dim", " Testo ", T::Testo, "16", false, C::Intero16, &G::qodimg_Txt_Col_Dim, "qodimg_Txt_Col_Dim"},
      {"txt_Row_Dim", " Testo ", T::Testo, "24", false, C::Intero16, &G::qodimg_Txt_Row_Dim, "qodimg_Txt_Row_Dim"},
      {"txt_Top", " Testo ", T::Testo, "20", false, C::Intero16, &G::qodimg_Txt_Top, "qodimg_Txt_Top"},
      {"txt_Left", " Testo ", T::Testo, "20", false, C::Intero16, &G::qodimg_Txt_Left, "qodimg_Txt_Left"},
      {"txt_Cols", " Testo ", T::Testo, "100", false, C::Intero16, &G::qodimg_Txt_Cols, "qodimg_Txt_Cols"},
      {"txt_Rows", " Testo ", T::Testo, "66", false, C::Intero16, &G::qodimg_Txt_Rows, "qodimg_Txt_Rows"},
      {"fnt_Nome", " Font ", T::Testo, "/TEST/_FONT.BMP", true, C::Testo, &G::qodimg_Fnt_File, "qodimg_Fnt_File"},
      {"fnt_Top", " Font ", T::Testo, "0", false, C::Intero16, &G::qodimg_Fnt_Top, "qodimg_Fnt_Top"},
      {"fnt_Left", " Font ", T::Testo, "0", false, C::Intero16, &G::qodimg_Fnt_Left, "qodimg_Fnt_Left"},
      {"fnt_Width", " Font ", T::Testo, "16", false, C::Intero16, &G::qodimg_Fnt_Width, "qodimg_Fnt_Width"},
      {"fnt_Height", " Font ", T::Testo, "24", false, C::Intero16, &G::qodimg_Fnt_Height, "qodimg_Fnt_Height"},
      {"fnt_Mode", " Font ", T::Lista, "1=Merge", false, C::Lista16, &G::qodimg_Fnt_Mode, "qodimg_Fnt_Mode"},
  };
  // The two logos: elements 0 and 1 of the same field arrays.
  struct Logo {
    std::string gruppo, file, larghezza, altezza;
    std::string G::*nome;
    int16_t G::*left, G::*top, G::*src_left, G::*src_top, G::*width, G::*height, G::*mode, G::*pos;
    double G::*zoom_x, G::*zoom_y;
    std::string prefisso;
  };
  const Logo loghi[2] = {
      {" Immagine 1 ", "/TEST/_LOGO1.TIF", "1728", "2144", &G::qodimg_Im1_File, &G::qodimg_Im1_Left,
       &G::qodimg_Im1_Top, &G::qodimg_Im1_Src_Left, &G::qodimg_Im1_Src_Top, &G::qodimg_Im1_Width,
       &G::qodimg_Im1_Height, &G::qodimg_Im1_Mode, &G::qodimg_Im1_Pos, &G::qodimg_Im1_ZoomX, &G::qodimg_Im1_ZoomY,
       "qodimg_Im1_"},
      {" Immagine 2 ", "/TEST/_LOGO2.JPG", "1024", "768", &G::qodimg_Im2_File, &G::qodimg_Im2_Left,
       &G::qodimg_Im2_Top, &G::qodimg_Im2_Src_Left, &G::qodimg_Im2_Src_Top, &G::qodimg_Im2_Width,
       &G::qodimg_Im2_Height, &G::qodimg_Im2_Mode, &G::qodimg_Im2_Pos, &G::qodimg_Im2_ZoomX, &G::qodimg_Im2_ZoomY,
       "qodimg_Im2_"},
  };
  for (int i = 0; i < 2; ++i) {
    const Logo& l = loghi[i];
    const std::string e = "(" + std::to_string(i) + ")";
    const std::string& p = l.prefisso;
    v.push_back({"img_Nome" + e, l.gruppo, T::Testo, l.file, true, C::Testo, l.nome, p + "File"});
    v.push_back({"img_Left" + e, l.gruppo, T::Testo, "20", false, C::Intero16, l.left, p + "Left"});
    v.push_back({"img_Top" + e, l.gruppo, T::Testo, "20", false, C::Intero16, l.top, p + "Top"});
    v.push_back({"img_Src_Left" + e, l.gruppo, T::Testo, "0", false, C::Intero16, l.src_left, p + "Src_Left"});
    v.push_back({"img_Src_Top" + e, l.gruppo, T::Testo, "0", false, C::Intero16, l.src_top, p + "Src_Top"});
    v.push_back({"img_Width" + e, l.gruppo, T::Testo, l.larghezza, false, C::Intero16, l.width, p + "Width"});
    v.push_back({"img_Height" + e, l.gruppo, T::Testo, l.altezza, false, C::Intero16, l.height, p + "Height"});
    v.push_back({"img_Mode" + e, l.gruppo, T::Lista, "1=Merge", false, C::Lista16, l.mode, p + "Mode"});
    v.push_back({"Img_Pos" + e, l.gruppo, T::Lista, "0=Ass.", false, C::Lista16, l.pos, p + "Pos"});
    v.push_back({"img_ZoomX" + e, l.gruppo, T::Testo, "1,000", false, C::Decimale, l.zoom_x, p + "ZoomX"});
    v.push_back({"img_ZoomY" + e, l.gruppo, T::Testo, "1,000", false, C::Decimale, l.zoom_y, p + "ZoomY"});
  }
  return v;
}

// A converted value, ready for its member.
using Valore = std::variant<std::string, int32_t, int16_t, double, bool>;

std::optional<Valore> Converti(const Campo& c, const std::string& t, Separatori s) {
  switch (c.conversione) {
    case C::Testo: return Valore{t};
    case C::Intero32:
      if (auto v = Intero32_Campo(t, s)) return Valore{*v};
      return std::nullopt;
    case C::Intero16:
      if (auto v = Intero16_Campo(t, s)) return Valore{*v};
      return std::nullopt;
    case C::Decimale:
      if (auto v = Numero_Campo(t, s)) return Valore{*v};
      return std::nullopt;
    case C::Spunta: return Valore{t == "1"};
    case C::Formato: {
      const int32_t k = Codice_Formato(t);
      if (k < 0) return std::nullopt;
      return Valore{k};
    }
    case C::Lista16:
      if (auto v = Intero16_Campo(t.substr(0, 1), s)) return Valore{*v};
      return std::nullopt;
    case C::Colore:
      if (auto v = Intero32_Campo(t, s)) return Valore{*v};
      return std::nullopt;
  }
  return std::nullopt;
}

}  // namespace

const std::vector<Campo>& Campi() {
  static const std::vector<Campo> campi = Tabella();
  return campi;
}

const std::vector<std::string>& Voci_Formato() {
  static const std::vector<std::string> v = {
      "0=TIF G3-1D",          "1=TIF bianco e nero", "2=TIF colori",         "3=BMP bianco e nero",
      "4=BMP colori",         "5=JPG toni di grigio", "6=JPG colori",        "7=PNG bianco e nero",
      "8=PNG toni di grigio", "9=PNG colori",         "A=TIF G4"};
  return v;
}
const std::vector<std::string>& Voci_Orientamento() {
  static const std::vector<std::string> v = {"0=Orr.", "1=Ver."};
  return v;
}
const std::vector<std::string>& Voci_Modo() {
  static const std::vector<std::string> v = {"0=Copy", "1=Merge", "2=Paint"};
  return v;
}
const std::vector<std::string>& Voci_Posizione() {
  static const std::vector<std::string> v = {"0=Ass.", "1=Rel."};
  return v;
}

std::vector<std::string> Valori_Predefiniti(std::string_view cartella) {
  std::vector<std::string> v;
  for (const Campo& c : Campi()) v.push_back(c.percorso ? std::string(cartella) + c.predefinito : c.predefinito);
  return v;
}

int32_t Codice_Formato(std::string_view testo) {
  static constexpr std::string_view kCifre = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  if (testo.empty()) return -1;
  const size_t k = kCifre.find(testo[0]);
  return k == std::string_view::npos ? -1 : static_cast<int32_t>(k);
}

std::string Estensione_Cambia(std::string_view nome, std::string_view voce) {
  // Only the file-name part: a "." in a folder name is not an extension.
  const size_t barra = nome.find_last_of("/\\");
  const size_t inizio = barra == std::string_view::npos ? 0 : barra + 1;
  const size_t punto = nome.rfind('.');
  if (punto == std::string_view::npos || punto < inizio) return std::string(nome);
  const size_t uguale = voce.find('=');
  const std::string estensione = uguale == std::string_view::npos ? "" : Mid(voce, static_cast<int64_t>(uguale) + 2, 3);
  return std::string(nome.substr(0, punto + 1)) + estensione;
}

std::optional<Errore_Campo> Imposta_Generatore(const std::vector<std::string>& valori, Separatori s, Qod_IMG& g) {
  const auto& campi = Campi();
  std::vector<Valore> convertiti;
  convertiti.reserve(campi.size());
  for (size_t i = 0; i < campi.size(); ++i) {
    const std::string t = i < valori.size() ? valori[i] : std::string();
    auto v = Converti(campi[i], t, s);
    if (!v) return Errore_Campo{campi[i].nome, t};
    convertiti.push_back(std::move(*v));
  }
  for (size_t i = 0; i < campi.size(); ++i) {
    std::visit(
        [&](auto membro) {
          using Tipo = std::remove_reference_t<decltype(g.*membro)>;
          g.*membro = std::get<Tipo>(convertiti[i]);
        },
        campi[i].membro);
  }
  return std::nullopt;
}

std::string Messaggio_Campo(const Errore_Campo& e) {
  return "Valore non valido nel campo " + e.campo + ": \"" + e.valore + "\"";
}

}  // namespace qod::testers
