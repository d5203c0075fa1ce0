#include "flusso.h"

#include <fstream>
#include <iterator>
#include <string>

namespace qod::bench {

std::array<uint8_t, 256> Tabella_Conversione(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::string s((std::istreambuf_iterator<char>(in)), {});
  std::array<uint8_t, 256> t{};
  for (size_t i = 0; i < 256 && 6 + i < s.size(); ++i) t[i] = static_cast<uint8_t>(s[6 + i]);
  return t;
}

std::vector<uint8_t> Flusso_Scs(const std::array<uint8_t, 256>& tabella, size_t byte_minimi, int& pagine,
                                int pagine_esatte) {
  std::array<uint8_t, 256> inversa{};
  for (int i = 0; i < 256; ++i) inversa[tabella[static_cast<size_t>(i)]] = static_cast<uint8_t>(i);
  std::vector<uint8_t> d;
  auto testo = [&](const std::string& t) {
    for (char c : t) d.push_back(inversa[static_cast<unsigned char>(c)]);
  };
  pagine = 0;
  while (pagine_esatte > 0 ? pagine < pagine_esatte : d.size() < byte_minimi) {
    d.insert(d.end(), {0x2B, 0xC6, 0x02, 0x06, 0x34, 0xC4, 0x02});
    testo("{TP=800}{FN=Arial}");
    for (int r = 0; r < 60; ++r) {
      d.insert(d.end(), {0x34, 0xC0, 0x05});
      testo("Riga " + std::to_string(r) + " della pagina " + std::to_string(pagine + 1));
      d.insert(d.end(), {0x34, 0xC8, 0x04});
      testo("Descrizione articolo  Quantita  12,50  1.250,00");
      if (r % 20 == 0) d.insert(d.end(), {0x2B, 0xD2, 0x04, 0x29, 0x00, 0x01});
      d.push_back(0x15);
    }
    d.push_back(0x0C);
    ++pagine;
  }
  return d;
}

const char* Attributi_Rendering() {
  return "out_width = 1728\nout_height = 2292\nout_resx = 204\nout_resy = 196\n"
         "out_zoomx = 100\nout_zoomy = 100\ntxt_cols = 80\ntxt_rows = 66\ntxt_left = 64\n"
         "txt_top = 40\ntxt_col_dim = 20\ntxt_row_dim = 33\ntxt_orie = 1\nfnt_file = BENCH.BMP\n"
         "sfondo_r = 255\nsfondo_g = 255\nsfondo_b = 255\n";
}

}  // namespace qod::bench
