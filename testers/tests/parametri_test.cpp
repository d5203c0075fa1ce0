// The test form's fields against the generator: every field reaches the
// member it names, in its conversion; a field that does not convert stops
// the run before the generator is touched.
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <sstream>

#include "qod/testers/parametri.h"

namespace qod::testers {
namespace {

const Separatori kIt{',', '.'};
const Separatori kEn{'.', ','};

template <typename T>
std::string Testo(T v) {
  std::ostringstream o;
  o << +v;
  return o.str();
}
std::string Testo(const std::string& v) { return v; }

// Each field with a text that differs from its default and what the
// generator member must hold afterwards, read straight from the member.
struct Caso {
  const char* campo;
  const char* testo;
  std::function<std::string(const Qod_IMG&)> leggi;
  const char* atteso;
};

#define M(membro) [](const Qod_IMG& g) { return Testo(g.membro); }

const std::vector<Caso>& Casi() {
  static const std::vector<Caso> c = {
      {"out_Nome", "/o/uscita.png", M(qodimg_Out_File), "/o/uscita.png"},
      {"out_Width", "1000", M(qodimg_Out_Width), "1000"},
      {"out_Height", "1.200", M(qodimg_Out_Height), "1200"},
      {"txt_S", "9=PNG colori", M(qodimg_Out_Save), "9"},
      {"txt_Rx", "300", M(qodimg_Out_ResX), "300"},
      {"txt_Ry", "301", M(qodimg_Out_ResY), "301"},
      {"chkOtt", "0", M(qodimg_JPG_Otti), "0"},
      {"txtQual", "90", M(qodimg_JPG_Qual), "90"},
      {"txtAtt", "10", M(qodimg_JPG_Atte), "10"},
      {"txt_Rows_Strip", "64", M(qodimg_Rows_Strip), "64"},
      {"chkMulti", "1", M(qodimg_TIF_MultiP), "1"},
      {"out_Colore", "255", M(qodimg_Out_BkColor), "255"},
      {"cmd_Nome", "C:\\C\\CMD.TXT", M(qodimg_Cmd_File), "C:\\C\\CMD.TXT"},
      {"txt_Cmd_CPY", "3", M(qodimg_Cmd_CPY), "3"},
      {"txt_Nome", " T.TXT ", M(qodimg_Txt_File), " T.TXT "},
      {"txt_Orie", "0=Orr.", M(qodimg_Txt_Orie), "0"},
      {"txt_Col_Dim", "17", M(qodimg_Txt_Col_Dim), "17"},
      {"txt_Row_Dim", "25", M(qodimg_Txt_Row_Dim), "25"},
      {"txt_Top", "-5", M(qodimg_Txt_Top), "-5"},
      {"txt_Left", "7", M(qodimg_Txt_Left), "7"},
      {"txt_Cols", "80", M(qodimg_Txt_Cols), "80"},
      {"txt_Rows", "70", M(qodimg_Txt_Rows), "70"},
      {"fnt_Nome", "/f/F.BMP", M(qodimg_Fnt_File), "/f/F.BMP"},
      {"fnt_Top", "1", M(qodimg_Fnt_Top), "1"},
      {"fnt_Left", "2", M(qodimg_Fnt_Left), "2"},
      {"fnt_Width", "14", M(qodimg_Fnt_Width), "14"},
      {"fnt_Height", "22", M(qodimg_Fnt_Height), "22"},
      {"fnt_Mode", "2=Paint", M(qodimg_Fnt_Mode), "2"},
      {"img_Nome(0)", "/l/1.TIF", M(qodimg_Im1_File), "/l/1.TIF"},
      {"img_Left(0)", "31", M(qodimg_Im1_Left), "31"},
      {"img_Top(0)", "32", M(qodimg_Im1_Top), "32"},
      {"img_Src_Left(0)", "33", M(qodimg_Im1_Src_Left), "33"},
      {"img_Src_Top(0)", "34", M(qodimg_Im1_Src_Top), "34"},
      {"img_Width(0)", "35", M(qodimg_Im1_Width), "35"},
      {"img_Height(0)", "36", M(qodimg_Im1_Height), "36"},
      {"img_Mode(0)", "0=Copy", M(qodimg_Im1_Mode), "0"},
      {"Img_Pos(0)", "1=Rel.", M(qodimg_Im1_Pos), "1"},
      {"img_ZoomX(0)", "1,5", M(qodimg_Im1_ZoomX), "1.5"},
      {"img_ZoomY(0)", "0,25", M(qodimg_Im1_ZoomY), "0.25"},
      {"img_Nome(1)", "/l/2.JPG", M(qodimg_Im2_File), "/l/2.JPG"},
      {"img_Left(1)", "41", M(qodimg_Im2_Left), "41"},
      {"img_Top(1)", "42", M(qodimg_Im2_Top), "42"},
      {"img_Src_Left(1)", "43", M(qodimg_Im2_Src_Left), "43"},
      {"img_Src_Top(1)", "44", M(qodimg_Im2_Src_Top), "44"},
      {"img_Width(1)", "45", M(qodimg_Im2_Width), "45"},
      {"img_Height(1)", "46", M(qodimg_Im2_Height), "46"},
      {"img_Mode(1)", "2=Paint", M(qodimg_Im2_Mode), "2"},
      {"Img_Pos(1)", "1=Rel.", M(qodimg_Im2_Pos), "1"},
      {"img_ZoomX(1)", "2", M(qodimg_Im2_ZoomX), "2"},
      {"img_ZoomY(1)", "3,75", M(qodimg_Im2_ZoomY), "3.75"},
  };
  return c;
}

size_t Indice(const std::string& nome) {
  const auto& campi = Campi();
  for (size_t i = 0; i < campi.size(); ++i)
    if (campi[i].nome == nome) return i;
  ADD_FAILURE() << "no field " << nome;
  return 0;
}

TEST(CampiForm, EveryFieldReachesItsGeneratorMember) {
  ASSERT_EQ(Campi().size(), 50u);
  ASSERT_EQ(Casi().size(), 50u);
  // The fields run in the order the form copies them.
  for (size_t i = 0; i < Casi().size(); ++i) EXPECT_EQ(Campi()[i].nome, Casi()[i].campo) << i;

  // One field changed at a time, the rest at their defaults: only its member
  // takes the new value.
  const auto base = Valori_Predefiniti("/prova");
  Qod_IMG riferimento;
  ASSERT_FALSE(Imposta_Generatore(base, kIt, riferimento));
  for (const Caso& c : Casi()) {
    auto valori = base;
    valori[Indice(c.campo)] = c.testo;
    Qod_IMG g;
    ASSERT_FALSE(Imposta_Generatore(valori, kIt, g)) << c.campo;
    EXPECT_EQ(c.leggi(g), c.atteso) << c.campo;
    for (const Caso& altro : Casi())
      if (std::string(altro.campo) != c.campo) {
        EXPECT_EQ(altro.leggi(g), altro.leggi(riferimento)) << c.campo << " moved " << altro.campo;
      }
  }
}

TEST(CampiForm, DefaultsGiveTheFaxPage) {
  Qod_IMG g;
  g.qodimg_Out_ZoomX = 0.5;
  g.qodimg_Out_ZoomY = 0.25;
  g.qodimg_Color = 0x1234;
  ASSERT_FALSE(Imposta_Generatore(Valori_Predefiniti("/base"), kIt, g));
  EXPECT_EQ(g.qodimg_Out_File, "/base/TEST/TEST.TIF");
  EXPECT_EQ(g.qodimg_Cmd_File, "/base/TEST/_COMANDI.TXT");
  EXPECT_EQ(g.qodimg_Txt_File, "/base/TEST/_TESTO.TXT");
  EXPECT_EQ(g.qodimg_Fnt_File, "/base/TEST/_FONT.BMP");
  EXPECT_EQ(g.qodimg_Im1_File, "/base/TEST/_LOGO1.TIF");
  EXPECT_EQ(g.qodimg_Im2_File, "/base/TEST/_LOGO2.JPG");
  EXPECT_EQ(g.qodimg_Out_Width, 1728);
  EXPECT_EQ(g.qodimg_Out_Height, 2144);
  EXPECT_EQ(g.qodimg_Out_ResX, 204);
  EXPECT_EQ(g.qodimg_Out_ResY, 196);
  EXPECT_EQ(g.qodimg_Out_Save, 0);
  EXPECT_EQ(g.qodimg_Txt_Orie, 1);
  EXPECT_TRUE(g.qodimg_JPG_Otti);
  EXPECT_FALSE(g.qodimg_TIF_MultiP);
  EXPECT_EQ(g.qodimg_Out_BkColor, 0xFFFFFF);
  EXPECT_EQ(g.qodimg_Fnt_Mode, 1);
  EXPECT_EQ(g.qodimg_Im1_Width, 1728);
  EXPECT_EQ(g.qodimg_Im1_Height, 2144);
  EXPECT_EQ(g.qodimg_Im2_Width, 1024);
  EXPECT_EQ(g.qodimg_Im2_Height, 768);
  EXPECT_DOUBLE_EQ(g.qodimg_Im1_ZoomX, 1.0);
  EXPECT_DOUBLE_EQ(g.qodimg_Im2_ZoomY, 1.0);
  // The output zoom and the control's colour are never set.
  EXPECT_DOUBLE_EQ(g.qodimg_Out_ZoomX, 0.5);
  EXPECT_DOUBLE_EQ(g.qodimg_Out_ZoomY, 0.25);
  EXPECT_EQ(g.qodimg_Color, 0x1234u);
}

TEST(CampiForm, ZoomOneCommaThousandFollowsTheLocale) {
  Qod_IMG it, en;
  ASSERT_FALSE(Imposta_Generatore(Valori_Predefiniti("/b"), kIt, it));
  ASSERT_FALSE(Imposta_Generatore(Valori_Predefiniti("/b"), kEn, en));
  EXPECT_DOUBLE_EQ(it.qodimg_Im1_ZoomX, 1.0);
  EXPECT_DOUBLE_EQ(en.qodimg_Im1_ZoomX, 1000.0);  // the generator then refuses it
}

TEST(CampiForm, AFieldThatDoesNotConvertLeavesTheGeneratorUntouched) {
  struct Errato {
    const char* campo;
    const char* testo;
  };
  const Errato casi[] = {
      {"out_Width", "12x"},          {"out_Height", ""},          {"txt_Rx", "3000000000"},
      {"txt_Top", "32768"},          {"txt_Left", "-32769"},      {"fnt_Width", "1,5,5"},
      {"img_ZoomX(1)", "uno"},       {"img_ZoomY(0)", ""},        {"txt_Cmd_CPY", "1 2"},
      {"out_Colore", "rosso"},       {"txt_S", "?=nessuno"},      {"Img_Pos(1)", "x=Rel."},
  };
  for (const Errato& e : casi) {
    auto valori = Valori_Predefiniti("/b");
    valori[Indice(e.campo)] = e.testo;
    Qod_IMG g;
    g.qodimg_Out_File = "prima";
    auto errore = Imposta_Generatore(valori, kIt, g);
    ASSERT_TRUE(errore) << e.campo;
    EXPECT_EQ(errore->campo, e.campo);
    EXPECT_EQ(g.qodimg_Out_File, "prima") << e.campo;
    EXPECT_EQ(g.qodimg_Out_Width, 0) << e.campo;
    EXPECT_NE(Messaggio_Campo(*errore).find(e.campo), std::string::npos);
  }
}

TEST(CampiForm, FormatCodeOfTheFirstCharacter) {
  const std::pair<const char*, int32_t> casi[] = {{"0=TIF G3-1D", 0}, {"9=PNG colori", 9}, {"A=TIF G4", 10},
                                                  {"Z", 35},           {"a=tif", -1},      {"=", -1},
                                                  {"", -1}};
  for (const auto& [t, k] : casi) EXPECT_EQ(Codice_Formato(t), k) << t;
  for (size_t i = 0; i < Voci_Formato().size(); ++i) EXPECT_EQ(Codice_Formato(Voci_Formato()[i]), int32_t(i));
}

TEST(CampiForm, ExtensionSwapLooksOnlyAtTheFileName) {
  struct Caso2 {
    const char *nome, *voce, *atteso;
  };
  const Caso2 casi[] = {
      {"/a/TEST/TEST.TIF", "5=JPG toni di grigio", "/a/TEST/TEST.JPG"},
      {"/a/TEST/TEST.TIF", "A=TIF G4", "/a/TEST/TEST.TIF"},
      {"/a/TEST/TEST.TIF", "3=BMP bianco e nero", "/a/TEST/TEST.BMP"},
      {"C:\\a.b\\TEST", "3=BMP bianco e nero", "C:\\a.b\\TEST"},
      {"/x/a.b/TEST", "9=PNG colori", "/x/a.b/TEST"},
      {"TEST", "9=PNG colori", "TEST"},
      {"TEST.", "9=PNG colori", "TEST.PNG"},
      {"a.tar.gz", "4=BMP colori", "a.tar.BMP"},
  };
  for (const auto& c : casi) EXPECT_EQ(Estensione_Cambia(c.nome, c.voce), c.atteso) << c.nome << " " << c.voce;
}

}  // namespace
}  // namespace qod::testers
