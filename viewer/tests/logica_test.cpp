// The viewer's arithmetic without a window: toolbar placement, the resize
// frame, the zoom rules, scroll clamps, wheel, arrow and zoom steps, page
// discovery, the cursor pictures and masks, and the pointer states.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <set>

#include "qod/prova/strumenti.h"
#include "qod/viewer/cursori.h"
#include "qod/viewer/geometria.h"
#include "qod/viewer/pagine.h"
#include "qod/viewer/puntatore.h"
#include "qod/viewer/stato.h"

namespace qod::imv {
namespace {

constexpr double T = 15;  // twips per pixel at 96 dpi

std::array<bool, kTasti> Tutti() {
  std::array<bool, kTasti> v{};
  v.fill(true);
  return v;
}

TEST(BarraAllinea, PageBoxCounterAndZoomFollowTheLastVisibleKey) {
  struct Caso {
    const char* nome;
    std::set<int> nascosti;
    bool pagine;
    double toolbar, pagina, contatore, zoom;
  };
  // Eleven buttons of 345 and four placeholders of 200 twips: 4595.
  const Caso casi[] = {
      {"all keys", {}, true, 4595, 4625, 4685, 5390},
      {"Div3 and Successiva hidden: after Precedente", {T_Div3, T_Successiva}, true, 4050, 4080, 4140, 4845},
      {"no page counter: the zoom list takes the page box's place", {}, false, 4595, 4625, 4685, 4625},
      {"only Uscita", {T_Div1, T_Stampa, T_Set_Stampa, T_Salva, T_Ruota, T_Cancella, T_Posiz, T_Div2, T_InvioFax,
                       T_InvioMail, T_Div4, T_Precedente, T_Successiva, T_Div3},
       true, 345, 375, 435, 1140},
      {"no key: the labels at the toolbar's edge, the toolbar empty", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14},
       true, 0, 0, 60, 765},
      {"Uscita hidden, the rest shown", {T_Uscita}, true, 4250, 4280, 4340, 5045},
  };
  for (const Caso& c : casi) {
    auto v = Tutti();
    for (int n : c.nascosti) v[n] = false;
    const Barra_Posti b = Barra_Allinea(0, Tasti_Disponi(v), v, c.pagine, T);
    EXPECT_DOUBLE_EQ(b.larghezza_toolbar, c.toolbar) << c.nome;
    EXPECT_DOUBLE_EQ(b.sinistra_pagina, c.pagina) << c.nome;
    EXPECT_DOUBLE_EQ(b.sinistra_contatore, c.contatore) << c.nome;
    EXPECT_DOUBLE_EQ(b.sinistra_zoom, c.zoom) << c.nome;
  }
}

TEST(BarraAllinea, KeysNamesAndTooltipsKeepTheirOrderAndBlanks) {
  EXPECT_STREQ(Tasti_Chiave()[T_Div4], "Div4");
  EXPECT_EQ(Tasto_Da_Chiave("Div4") + 3, Tasto_Da_Chiave("Div3"));  // Div4 stands before Div3
  EXPECT_STREQ(Tasti_Suggerimento()[T_Set_Stampa], " Imposta stampante ");
  EXPECT_STREQ(Tasti_Suggerimento()[T_Salva], " Salva con nome l'immagine scelta ");
  EXPECT_EQ(Tasto_Da_Chiave("Nessuna"), -1);
  EXPECT_EQ(Zoom_Voci().front(), std::string("Adatta"));
  EXPECT_EQ(Zoom_Voci().back(), std::string("400%"));
}

TEST(Disposizione, FrameAndImageAreaOfAResize) {
  struct Caso {
    double w, h;
    bool area;
  };
  // Toolbar 330 high: the frame's top line at 330 + 2 px = 360 twips.
  const Caso casi[] = {
      {6000, 4000, true},
      {6000, 330 + 8 * T, false},       // height at most the toolbar's bottom + 8 px
      {6000, 330 + 9 * T, true},
      {6 * T, 4000, false},             // width at most 6 px
      {7 * T, 4000, true},
  };
  for (const Caso& c : casi) {
    const Disposizione d = Disposizione_Calcola(c.w, c.h, 0, 330, T, T);
    EXPECT_EQ(d.linee[0], (Linea{0, 360, c.w - T, 360}));
    EXPECT_EQ(d.linee[1], (Linea{c.w - T, 360, c.w - T, c.h - T}));
    EXPECT_EQ(d.linee[2], (Linea{0, c.h - T, c.w, c.h - T}));  // one pixel longer than the top
    EXPECT_EQ(d.linee[3], (Linea{0, 360, 0, c.h - T}));
    ASSERT_EQ(d.fondo.has_value(), c.area) << c.w << "x" << c.h;
    if (c.area) {
      EXPECT_EQ(*d.fondo, (Rettangolo{3 * T, 360 + 3 * T, c.w - 6 * T, c.h - 360 - 6 * T}));
      EXPECT_EQ(Immagine_Posto(d, T, T), *d.fondo);
    }
  }
}

TEST(Zoom, RulesOfTheZoomBox) {
  struct Caso {
    const char* testo;
    double w, h;  // image control, twips
    int iw, ih;
    bool adatta;
    int zoom;
    const char* nuovo;  // nullptr: the text stays
  };
  const Caso casi[] = {
      {"Adatta", 2000 * T, 1800 * T, 100, 100, false, 1600, nullptr},  // both 1600 or more
      {"Adatta", 1600 * T, 1500 * T, 100, 100, true, 100, nullptr},
      {"Adatta", 1600 * T, 1600 * T, 100, 100, false, 1600, nullptr},
      {"Larghezza", 800 * T, 600 * T, 1700, 2200, false, 47, nullptr},  // 47.05 cut
      {"Altezza", 800 * T, 600 * T, 1700, 2200, false, 27, nullptr},    // 27.27 cut
      {"Altezza", 800 * T, 600 * T, 1, 1, false, 1600, nullptr},        // clamped
      {"Larghezza", 1 * T, 600 * T, 4000, 10, false, 1, nullptr},       // 0.025 -> 1
      {"250", 0, 0, 0, 0, false, 250, "250%"},
      {"x75 %", 0, 0, 0, 0, false, 75, "75%"},
      {"abc", 0, 0, 0, 0, false, 1, "1%"},
      {"adatta", 0, 0, 0, 0, false, 1, "1%"},  // lower case: a percentage with no digits
      {"0", 0, 0, 0, 0, false, 1, "1%"},
      {"2000%", 0, 0, 0, 0, false, 1600, "1600%"},
      {"1234567", 0, 0, 0, 0, false, 1600, "1600%"},
      {"150%", 0, 0, 0, 0, false, 150, "150%"},
  };
  for (const Caso& c : casi) {
    const auto z = Zoom_Regola(c.testo, c.w, c.h, T, T, c.iw, c.ih);
    ASSERT_TRUE(z) << c.testo;
    EXPECT_EQ(z->adatta, c.adatta) << c.testo;
    if (!c.adatta) {
      EXPECT_EQ(z->zoom, c.zoom) << c.testo;
    }
    EXPECT_EQ(z->testo.has_value(), c.nuovo != nullptr) << c.testo;
    if (c.nuovo) {
      EXPECT_EQ(*z->testo, c.nuovo) << c.testo;
    }
  }
}

TEST(Zoom, AnEmptyImageGivesNoFitAndNoDivision) {
  EXPECT_FALSE(Zoom_Regola("Adatta", 800 * T, 600 * T, T, T, 0, 100));
  EXPECT_FALSE(Zoom_Regola("Adatta", 800 * T, 600 * T, T, T, 100, 0));
  EXPECT_FALSE(Zoom_Regola("Larghezza", 800 * T, 600 * T, T, T, 0, 100));
  EXPECT_FALSE(Zoom_Regola("Altezza", 800 * T, 600 * T, T, T, 100, 0));
  EXPECT_TRUE(Zoom_Regola("100%", 800 * T, 600 * T, T, T, 0, 0));
}

TEST(Zoom, OriginClamps) {
  struct Caso {
    bool scorri;  // Immagine_Scorri, else after a zoom
    Origine in;
    int iw, ih;
    double vw, vh;
    Origine out;
  };
  const Caso casi[] = {
      {false, {500, 0}, 300, 2000, 800, 600, {0, 0}},       // page narrower than the view
      {false, {500, 900}, 1000, 1000, 800, 600, {200, 400}}, // not past the far edges
      {false, {100, 100}, 1000, 1000, 800, 600, {100, 100}},
      {true, {-20, -20}, 1000, 1000, 800, 600, {0, 0}},
      {true, {5000, 50}, 1000, 1000, 800, 600, {200, 50}},
      {true, {50, 50}, 1000, 300, 800, 600, {50, 0}},
      {true, {10, 10}, 0, 0, 0, 0, {0, 0}},                 // nothing shown
  };
  for (const Caso& c : casi) {
    const Origine o = c.scorri ? Origine_Scorri(c.in, c.iw, c.ih, c.vw, c.vh)
                               : Origine_Dopo_Zoom(c.in, c.iw, c.ih, c.vw, c.vh);
    EXPECT_EQ(o, c.out) << c.in.x << "," << c.in.y;
  }
}

TEST(Rotella, WheelScrollsByItsKeys) {
  struct Caso {
    int tasti, delta;
    double zoom;
    std::optional<Origine> out;
  };
  const Origine o{100, 100};
  const Caso casi[] = {
      {0, 120, 100, Origine{100, 70}},                    // one notch away: up 30 image pixels
      {0, -120, 100, Origine{100, 130}},
      {0, 120, 400, Origine{100, 92}},                    // 7.5 -> 8 (halves to even)
      {0, 120, 250, Origine{100, 88}},                    // 12
      {MK_SHIFT, 120, 100, Origine{70, 100}},             // sideways
      {MK_CONTROL, -120, 100, Origine{130, 100}},
      {MK_RBUTTON, 120, 100, Origine{70, 100}},
      {MK_LBUTTON | MK_SHIFT, 120, 100, Origine{70, 100}},
      {MK_LBUTTON, 120, 100, std::nullopt},               // the left button alone: no scroll
      {0, 120, 0, std::nullopt},                          // nothing shown: no division
  };
  for (const Caso& c : casi) EXPECT_EQ(Rotella_Origine(c.tasti, c.delta, c.zoom, o), c.out) << c.tasti << " " << c.zoom;
}

TEST(TastiZoom, StepsAndBounds) {
  struct Caso {
    bool piu;
    double larghezza_px, vis_w;
    std::optional<int> zoom;
  };
  const Caso casi[] = {
      {true, 800, 800, 110},            // 100 -> 110
      {false, 800, 800, 90},
      {true, 800, 800 * 100.0 / 1500, std::nullopt},  // 1500 -> 1650: ignored
      {true, 800, 800 * 100.0 / 1450, 1595},          // below the bound: taken
      {false, 800, 800 * 100.0 / 5, std::nullopt},    // 5 -> 4.5 -> 4: ignored
      {false, 800, 800 * 100.0 / 6, 5},               // 6 -> 5.4 -> 5: taken
      {true, 800, 0, std::nullopt},                   // nothing shown
  };
  for (const Caso& c : casi) {
    const auto p = Zoom_Passo(c.piu, c.larghezza_px, c.vis_w, 600, {0, 0});
    ASSERT_EQ(p.has_value(), c.zoom.has_value()) << c.vis_w;
    if (p) {
      EXPECT_EQ(p->zoom, *c.zoom);
      EXPECT_EQ(p->testo, std::to_string(*c.zoom) + "%");
    }
  }
  // The view's centre stays: in by width / 22, out by width / 18.
  EXPECT_EQ(Zoom_Passo(true, 800, 880, 660, {100, 100})->origine, (Origine{140, 130}));
  EXPECT_EQ(Zoom_Passo(false, 800, 720, 540, {100, 100})->origine, (Origine{60, 70}));
  EXPECT_FALSE(Passo_Frecce(0));
  EXPECT_DOUBLE_EQ(*Passo_Frecce(100), 30);
}

TEST(Puntatore, PagePositionUnderTheScreenPointer) {
  // A window at (100, 50) of 400 x 300 showing 200 x 150 image pixels from (10, 20).
  auto p = Pagina_Sotto_Puntatore(300, 200, 100, 50, 400, 300, 200, 150, 10, 20);
  EXPECT_FLOAT_EQ(p.x, 110);
  EXPECT_FLOAT_EQ(p.y, 95);
  p = Pagina_Sotto_Puntatore(0, 0, 100, 50, 400, 300, 200, 150, 10, 20);  // outside: passed on
  EXPECT_FLOAT_EQ(p.x, -40);
  EXPECT_FLOAT_EQ(p.y, -5);
  p = Pagina_Sotto_Puntatore(5, 5, 0, 0, 0, 0, 0, 0, 0, 0);  // no window: no division
  EXPECT_FLOAT_EQ(p.x, 0);
}

// ---- Discovery ------------------------------------------------------------------

class Scoperta : public ::testing::Test {
 protected:
  void SetUp() override {
    // A folder of this process alone: the same test may run at the same
    // time in another build or under another locale.
    cartella_ = std::make_unique<prova::Cartella_Prova>("viewer");
    dir_ = cartella_->Dir();
  }
  void TearDown() override { cartella_.reset(); }
  std::string File(const std::string& nome) {
    std::ofstream(dir_ / nome) << "x";
    return (dir_ / nome).string();
  }
  std::unique_ptr<prova::Cartella_Prova> cartella_;
  std::filesystem::path dir_;
};

TEST_F(Scoperta, PagesOfFixtureFolders) {
  struct Caso {
    const char* nome;
    std::vector<std::string> file;
    std::string primo;
    long prima, numero;
    const char* contatore;
    std::string ultima;  // name of the last page, "" when none
  };
  const Caso casi[] = {
      {"a gap hides every later page", {"A_00001.TIF", "A_00002.TIF", "A_00004.TIF"}, "A_00001.TIF", 1, 2, "1/2",
       "A_00002.TIF"},
      {"named from the third file", {"B_00001.TIF", "B_00003.TIF", "B_00004.TIF", "B_00005.TIF"}, "B_00003.TIF", 3,
       3, "1/3", "B_00005.TIF"},
      {"a width-2 run at 99 goes on whole", {"C99.TIF", "C100.TIF", "C101.TIF"}, "C99.TIF", 99, 3, "1/3",
       "C101.TIF"},
      {"a hidden file counts as missing", {"D_01.png", ".D_02.png"}, "D_01.png", 1, 1, "1/1", "D_01.png"},
      {"no digits: nothing to show", {"REPORT.TIF"}, "REPORT.TIF", 0, 0, "", ""},
      {"a folder is not a page", {"E_1.TIF"}, "E_1.TIF", 1, 1, "1/1", "E_1.TIF"},
  };
  std::filesystem::create_directories(dir_ / "E_2.TIF");
  for (const Caso& c : casi) {
    for (const auto& f : c.file) File(f);
    Pagine p;
    p.File_Documento = (dir_ / c.primo).string();
    ASSERT_TRUE(p.Scopri(1)) << c.nome;
    EXPECT_EQ(p.Pagina_Prima, c.prima) << c.nome;
    EXPECT_EQ(p.Pagine_Numero, c.numero) << c.nome;
    EXPECT_EQ(p.Contatore(), c.contatore) << c.nome;
    if (c.numero > 0) {
      EXPECT_EQ(p.File_Pagina(p.Pagine_Numero), (dir_ / c.ultima).string()) << c.nome;
    }
  }
}

TEST_F(Scoperta, TheRunIsBeforeTheLastDotOfTheWholePath) {
  std::filesystem::create_directories(dir_ / "A1.D");
  std::filesystem::create_directories(dir_ / "A2.D");
  File("A1.D/B");
  File("A2.D/B");
  Pagine p;
  p.File_Documento = (dir_ / "A1.D/B").string();
  ASSERT_TRUE(p.Scopri(1));
  EXPECT_EQ(p.Pagine_Numero, 2);
  EXPECT_EQ(p.File_Pagina(2), (dir_ / "A2.D/B").string());
}

TEST(Pagine, MultiImageFilesRunsAndNames) {
  Pagine p;
  p.File_Documento = "/x/T_00007.TIF";
  ASSERT_TRUE(p.Scopri(3, [](const std::string&) { return true; }));  // digits ignored
  EXPECT_EQ(p.Pagina_Prima, 1);
  EXPECT_EQ(p.Pagine_Numero, 3);
  EXPECT_EQ(p.Cifre_Numero, 0);

  // A run past 32 bits fails and clears the state.
  p.File_Documento = "/x/P_99999999999.TIF";
  EXPECT_FALSE(p.Scopri(1, [](const std::string&) { return false; }));
  EXPECT_EQ(p.Pagine_Numero, 0);

  const Cifre c = Cifre_Trova("D:/V/00007_I_00001_00009.TIF");
  EXPECT_EQ(c.inizio, 20);
  EXPECT_EQ(c.numero, 5);
  EXPECT_EQ(Nome_Pagina("D:/V/00007_I_00001_00009.TIF", c, 10), "D:/V/00007_I_00001_00010.TIF");
  EXPECT_EQ(Cifre_Trova(".5").numero, 0);  // the dot at the start: no run
  EXPECT_EQ(Cifre_Trova("12345").numero, 0);
  EXPECT_EQ(Cifre_Trova("7.TIF").inizio, 1);
}

// ---- Cursors --------------------------------------------------------------------

// Packs a row of 32 characters by the character table, independently of the code.
std::pair<std::array<uint8_t, 4>, std::array<uint8_t, 4>> Riga(const std::string& r) {
  std::array<uint8_t, 4> e{}, o{};
  for (int i = 0; i < 32; ++i) {
    const char c = r[i];
    if (c == '.' || c == 'X') e[i / 8] |= 1 << (7 - i % 8);
    if (c == ' ' || c == 'X') o[i / 8] |= 1 << (7 - i % 8);
  }
  return {e, o};
}

TEST(Cursori, MaskBytesFollowTheShapeTable) {
  struct Caso {
    long forma;
    int riga;               // picture row
    std::string testo;      // the 32 characters of that row
    uint8_t e0, e1, o0, o1; // the first two AND and XOR bytes
  };
  const std::string punti(16, '.');
  const Caso casi[] = {
      {1, 16, ".......OO......." + punti, 0xFE, 0x7F, 0x00, 0x00},
      {1, 17, "...OO.O  OOO...." + punti, 0xE4, 0x0F, 0x01, 0x80},
      {2, 31, ".....O O O O...." + punti, 0xF8, 0x0F, 0x02, 0xA0},
      {3, 23, "XXXXXXXXXXX....." + punti, 0xFF, 0xFF, 0xFF, 0xE0},
      {3, 18, ".....X.........." + punti, 0xFF, 0xFF, 0x04, 0x00},
      {9, 20, std::string(32, '.'), 0xFF, 0xFF, 0x00, 0x00},  // unknown shape: dots
  };
  for (const Caso& c : casi) {
    const std::string im = Cursore_Immagine(c.forma, "", "");
    ASSERT_EQ(im.size(), 1024u);
    EXPECT_EQ(im.substr(c.riga * 32, 32), c.testo) << c.forma << " " << c.riga;
    const Maschere m = Cursore_Maschere(im);
    EXPECT_EQ(m.e[c.riga * 4], c.e0) << c.forma << " " << c.riga;
    EXPECT_EQ(m.e[c.riga * 4 + 1], c.e1);
    EXPECT_EQ(m.o[c.riga * 4], c.o0);
    EXPECT_EQ(m.o[c.riga * 4 + 1], c.o1);
    const auto [e, o] = Riga(c.testo);
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(m.e[c.riga * 4 + i], e[i]);
      EXPECT_EQ(m.o[c.riga * 4 + i], o[i]);
    }
  }
}

TEST(Cursori, TextLinesOverlapByOneColumnAndOneRow) {
  // "x1234" / "y5678": glyph i at columns 5i + 6, line 2 from row 8.
  const std::string im = Cursore_Immagine(3, "x1234", "y5678");
  EXPECT_EQ(im.substr(0, 6), "......");        // left of the text stays transparent
  EXPECT_EQ(im.substr(6, 26), std::string(26, ' '));  // glyph row 1 is blank
  // Row 1 (glyph row 2): "x" blank, "1" at 11..16 "   O  " (its first column overwrites x's last).
  EXPECT_EQ(im.substr(32 + 11, 6), "   O  ");
  // Row 16 is line 2's last glyph row (blank) and the shape's first row.
  EXPECT_EQ(im.substr(16 * 32, 6), "......");
  EXPECT_EQ(im.substr(16 * 32 + 6, 26), std::string(26, ' '));
  // Five characters at most: a sixth is not drawn.
  EXPECT_EQ(Cursore_Immagine(3, "x12345", ""), Cursore_Immagine(3, "x1234", ""));
  EXPECT_EQ(Cursore_Carattere('?'), std::string(54, ' '));
  EXPECT_EQ(Cursore_Carattere('8').substr(6, 6), "  OO  ");
  EXPECT_EQ(Testo_Coordinata('x', 120.4), "x120");
  EXPECT_EQ(Testo_Coordinata('y', 12345.0).substr(0, 5), "y1234");
}

TEST(Cursori, QtBitmapAndMaskOfEachCharacter) {
  struct Caso {
    char c;
    int bitmap, maschera;
  };
  // transparent (0,0), white (0,1), inverted (1,0), black (1,1)
  const Caso casi[] = {{'.', 0, 0}, {' ', 0, 1}, {'X', 1, 0}, {'O', 1, 1}};
  for (const Caso& c : casi) {
    const Maschere_Bitmap b = Maschere_Per_Bitmap(Cursore_Maschere(std::string(1024, c.c)));
    EXPECT_EQ(b.bitmap[0], c.bitmap ? 0xFF : 0x00) << c.c;
    EXPECT_EQ(b.maschera[0], c.maschera ? 0xFF : 0x00) << c.c;
  }
}

// ---- Pointer states --------------------------------------------------------------

TEST(Puntatore, StateMachine) {
  Puntatore::Contesto dentro{false, true, 1000, 800, 100, 100};
  Puntatore::Contesto fuori = dentro;
  fuori.dentro = false;
  Puntatore::Contesto posizione = dentro;
  posizione.posizione = true;

  Puntatore p;
  EXPECT_EQ(p.Stato(), P_Normale);
  p.Mosso(10, 10, dentro);
  EXPECT_EQ(p.Stato(), P_Mano);
  // Drag: the point pressed stays under the pointer.
  p.Premuto(1, 200, 200, dentro);
  EXPECT_EQ(p.Stato(), P_Presa);
  auto a = p.Mosso(180, 150, dentro);
  EXPECT_EQ(p.Stato(), P_Presa);
  ASSERT_TRUE(a.scorri);
  EXPECT_EQ(*a.scorri, (Origine{120, 150}));
  a = p.Rilasciato();
  EXPECT_EQ(p.Stato(), P_Mano);
  EXPECT_TRUE(a.cursore);
  EXPECT_EQ(p.Pulsante(), 0);
  // Without the left button nothing pans; outside the window the state is 0.
  p.Premuto(2, 200, 200, dentro);
  EXPECT_FALSE(p.Mosso(100, 100, dentro).scorri);
  p.Mosso(100, 100, fuori);
  EXPECT_EQ(p.Stato(), P_Normale);
  EXPECT_EQ(p.Pulsante(), 0);
  // Released in state 1 changes nothing.
  p.Mosso(1, 1, dentro);
  EXPECT_FALSE(p.Rilasciato().cursore);

  // Position mode: no pan, the cursor remade with the coordinates.
  p.Premuto(1, 120.4f, 45.5f, posizione);
  EXPECT_EQ(p.Stato(), P_Posizione);
  a = p.Mosso(120.4f, 45.5f, posizione);
  EXPECT_FALSE(a.scorri);
  EXPECT_EQ(a.riga1, "x120");
  EXPECT_EQ(a.riga2, "y46");
  EXPECT_FALSE(p.Rilasciato().cursore);  // state 3 stays
  EXPECT_EQ(p.Stato(), P_Posizione);
  a = p.Mosso(1001, 10, posizione);  // outside the page
  EXPECT_EQ(p.Stato(), P_Normale);
  EXPECT_FALSE(a.riga1);
  // Over the control outside the image.
  p.Mosso(10, 10, dentro);
  EXPECT_TRUE(p.Fuori().cursore);
  EXPECT_EQ(p.Stato(), P_Normale);
  EXPECT_FALSE(p.Fuori().cursore);
}

TEST(Annidamento, AKeyDuringAnotherKeysActionIsSwallowed) {
  Annidamento n;
  ASSERT_TRUE(n.Inizio());
  EXPECT_FALSE(n.Inizio());  // re-entered while the first acts
  n.Fine();
  n.Fine();
  EXPECT_EQ(n.Livello(), 0);
  EXPECT_TRUE(n.Inizio());
  n.Fine();
}

TEST(Stato, ValueTextsAndNames) {
  Borsa b;
  b["QODIMV_ZOOM"] = "150%";
  EXPECT_EQ(b.count("qodimv_zoom"), 1u);
  EXPECT_TRUE(Leggi_Booleano("-1"));
  EXPECT_TRUE(Leggi_Booleano("True"));
  EXPECT_FALSE(Leggi_Booleano("False"));
  EXPECT_FALSE(Leggi_Booleano("0"));
  EXPECT_EQ(Leggi_Lungo("-2147483633"), static_cast<int32_t>(0x8000000F));
  EXPECT_EQ(Leggi_Lungo("2147483663"), static_cast<int32_t>(0x8000000F));
  EXPECT_EQ(Voci_Stato().size(), 26u);
  EXPECT_STREQ(Voci_Stato().front().nome, "qodimv_button_uscita");
  EXPECT_STREQ(Voci_Stato().back().nome, "qodimv_Memo");
}

}  // namespace
}  // namespace qod::imv
