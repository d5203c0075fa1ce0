#include "charset.h"

#include <iconv.h>

#include <cerrno>

#include <array>
#include <map>
#include <mutex>

#include "qod/ansi.h"
#include "qod/text/text.h"

namespace qod::text::detail {
namespace {

// Default and ANSI read as Windows-1252, the ANSI code page of a Western
// system; OEM as 850, its OEM code page.
constexpr CharsetInfo kCharsets[] = {
    {charset::kAnsi, "CP1252", nullptr, false},
    {charset::kDefault, "CP1252", nullptr, false},
    {charset::kSymbol, nullptr, nullptr, false},
    {charset::kMac, "MACINTOSH", nullptr, false},
    {charset::kShiftJis, "CP932", "ja", true},
    {charset::kHangeul, "CP949", "ko", true},
    {charset::kJohab, "JOHAB", "ko", true},
    {charset::kGb2312, "CP936", "zh-cn", true},
    {charset::kChineseBig5, "CP950", "zh-tw", true},
    {charset::kGreek, "CP1253", "el", false},
    {charset::kTurkish, "CP1254", "tr", false},
    {charset::kVietnamese, "CP1258", "vi", false},
    {charset::kHebrew, "CP1255", "he", false},
    {charset::kArabic, "CP1256", "ar", false},
    {charset::kBaltic, "CP1257", "lt", false},
    {charset::kRussian, "CP1251", "ru", false},
    {charset::kThai, "CP874", "th", false},
    {charset::kEastEurope, "CP1250", "cs", false},
    {charset::kOem, "CP850", nullptr, false},
};

char32_t Da_Utf32(const unsigned char* p) {
  return static_cast<char32_t>(p[0]) | static_cast<char32_t>(p[1]) << 8 | static_cast<char32_t>(p[2]) << 16 |
         static_cast<char32_t>(p[3]) << 24;
}

// One byte through iconv, with the converter's state reset before and
// flushed after (so a code page that combines accents still gives the byte's
// own character).
char32_t Byte_Decodifica(iconv_t cd, unsigned char b) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char in = static_cast<char>(b);
  char* pin = &in;
  size_t nin = 1;
  unsigned char out[16];
  char* pout = reinterpret_cast<char*>(out);
  size_t nout = sizeof out;
  if (iconv(cd, &pin, &nin, &pout, &nout) == static_cast<size_t>(-1)) return kNoChar;
  iconv(cd, nullptr, nullptr, &pout, &nout);
  size_t n = sizeof out - nout;
  if (n < 4) return kNoChar;
  return Da_Utf32(out);
}

using Tabella = std::array<char32_t, 256>;

const Tabella& Tabella_Byte(const CharsetInfo& info) {
  static std::mutex mutex;
  static std::map<std::string, Tabella> tabelle;
  std::lock_guard lock(mutex);
  auto it = tabelle.find(info.code_page);
  if (it != tabelle.end()) return it->second;
  Tabella t;
  iconv_t cd = iconv_open("UTF-32LE", info.code_page);
  for (int b = 0; b < 256; ++b) {
    if (cd == reinterpret_cast<iconv_t>(-1)) {
      t[static_cast<size_t>(b)] = Ansi_A_Unicode(static_cast<unsigned char>(b));
    } else {
      t[static_cast<size_t>(b)] = Byte_Decodifica(cd, static_cast<unsigned char>(b));
    }
  }
  if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
  return tabelle.emplace(info.code_page, t).first->second;
}

// A double-byte code page: the whole text through iconv; a byte that starts
// no valid character (or a lead byte at the end) gives one kNoChar.
std::u32string Multibyte_Decodifica(std::string_view bytes, const char* code_page) {
  std::u32string out;
  iconv_t cd = iconv_open("UTF-32LE", code_page);
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    for (unsigned char b : bytes) out.push_back(b < 0x80 ? char32_t{b} : kNoChar);
    return out;
  }
  char* pin = const_cast<char*>(bytes.data());
  size_t nin = bytes.size();
  while (nin > 0) {
    unsigned char buf[256];
    char* pout = reinterpret_cast<char*>(buf);
    size_t nout = sizeof buf;
    size_t r = iconv(cd, &pin, &nin, &pout, &nout);
    for (size_t i = 0; i + 4 <= sizeof buf - nout; i += 4) out.push_back(Da_Utf32(buf + i));
    if (r == static_cast<size_t>(-1) && errno != E2BIG) {
      out.push_back(kNoChar);
      ++pin;
      --nin;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  iconv_close(cd);
  return out;
}

}  // namespace

const CharsetInfo& Charset_Info(uint8_t value) {
  for (const auto& c : kCharsets)
    if (c.value == value) return c;
  return kCharsets[1];
}

std::u32string Charset_Decodifica(std::string_view bytes, uint8_t value) {
  const CharsetInfo& info = Charset_Info(value);
  std::u32string out;
  if (info.code_page == nullptr || info.value == charset::kAnsi || info.value == charset::kDefault) {
    out.reserve(bytes.size());
    for (unsigned char b : bytes) out.push_back(Ansi_A_Unicode(b));
    return out;
  }
  if (info.multibyte) return Multibyte_Decodifica(bytes, info.code_page);
  const Tabella& t = Tabella_Byte(info);
  out.reserve(bytes.size());
  for (unsigned char b : bytes) out.push_back(t[b]);
  return out;
}

}  // namespace qod::text::detail
