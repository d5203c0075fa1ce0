#include "qod/testers/aiuto.h"

#include <utility>
#include <vector>

#include "qod/basic.h"

namespace qod::testers {

namespace {

constexpr int kColonna = 19;  // where descriptions and codes begin

std::string Costruisci() {
  const std::string fine = "\r\n";
  const std::string rientro = Space(kColonna);
  std::string t = fine;  // the text opens with an empty line
  auto voce = [&](const std::string& forma, const std::string& descrizione) {
    t += Testo_Largo(forma, kColonna) + descrizione + fine;
  };
  auto riga = [&](const std::string& testo) { t += rientro + testo + fine; };

  voce("{TP=...}", "tipo estensione");
  for (const char* c : {"000 = ISBN", "001 = EAN 13", "002 = EAN 8", "003 = EAN 5", "004 = EAN 2", "005 = UPC A",
                        "006 = CODE 39", "007 = CODE 25 INTER.", "008 = CODABAR", "009 = CODE 25",
                        "010 = CODE 39 EXTENDED", "011 = CODE 128 A", "012 = CODE 128 B", "013 = CODE 128 C",
                        "014 = CODE 128", "015 = EAN 128", "016 = EAN 99", "017 = UPC E", "018 = POST NET",
                        "019 = ROYAL MAIL", "020 = MSI", "021 = CODE 93", "022 = CODE 93 EXTENDED", "023 = PZN",
                        "024 = IDENTCODE", "025 = LEITCODE", "099 = NESSUN CODICE"})
    riga(c);
  t += fine;
  for (const char* c : {"800 = testo ASCII DEFAULT", "801 = ANSI", "802 = SYMBOL", "803 = MAC",
                        "804 = Japanese, Shift_JIS (Japanese Industry Standard)", "805 = Korean , ks_c_5601 - 1987",
                        "806 = Korean , johab",
                        "807 = Simplified Chinese, gb2312 - Mainland China(PRC) and Singapore",
                        "808 = Traditional Chinese, big5 - Taiwan and Hong Kong", "809 = Greek , windows - 1253",
                        "810 = Turkish , windows - 1254", "811 = Vietnamese , windows - 1258",
                        "812 = Hebrew , windows - 1255", "813 = Arabic , windows - 1256",
                        "814 = Baltic , windows - 1257",
                        "815 = Cyrillic, windows-1251 - Russia, Belarus, Ukraine...", "816 = Thai , windows - 874",
                        "817 = Central/Eastern European, windows-1250", "818 = OEM"})
    riga(c);
  t += fine;
  riga("900 = immagine");

  // Each tag entry after an empty line; a second text is its continuation.
  // {CF=} sets the background and {CT=} the text colour, as the generator
  // draws them.
  const std::vector<std::pair<std::string, std::vector<std::string>>> voci = {
      {"{rc=...}", {"riga corrente (calcolata automaticamente", "alla presenza di {VA=..    ..})"}},
      {"{RC=.}", {"S/N riga corrente"}},
      {"{RI=...}", {"riga (serve solo se {RY=S} e {RC=N})"}},
      {"{CO=...}", {"colonna (serve solo se {RX=S})"}},
      {"{bW=...}", {"larghezza del bordo nei codici a barre"}},
      {"{bH=...}", {"altezza del bordo nei codici a barre"}},
      {"{BW=....}", {"larghezza complessiva del codice a barre / immagine"}},
      {"{BH=....}", {"altezza complessiva del codice a barre / immagine"}},
      {"{BT=.}", {"S/N testo nel codice a barre"}},
      {"{FN=..    ..}", {"nome del font"}},
      {"{FD=...}", {"dimensione del font / altezza del font"}},
      {"{FR=....}", {"rotazione font in decimi di grado 0-3600"}},
      {"{FW=...}", {"0 / larghezza del font"}},
      {"{FP=...}", {"peso del font (400 normale, 700 bold)"}},
      {"{FI=.}", {"S/N corsivo"}},
      {"{FU=.}", {"S/N sottolineato"}},
      {"{RX=.}", {"S/N posizione output X relativa"}},
      {"{RY=.}", {"S/N posizione output Y relativa"}},
      {"{OX=....}", {"posizione output X / spostamento X"}},
      {"{OY=....}", {"posizione output Y / spostamento Y"}},
      {"{IW=....}", {"larghezza immagine in outout / 0=larghezza immagine"}},
      {"{IH=....}", {"altezza immagine in output / 0=altezza immagine"}},
      {"{iX=....}", {"posizione immagine input X"}},
      {"{iY=....}", {"posizione immagina input Y"}},
      {"{iW=....}", {"larghezza immagine input x stretch / 0=larghezza immagine"}},
      {"{iH=....}", {"altezza immagine input x stretch / 0=altezza immagine"}},
      {"{iR=....}", {"rotazione immagine in decimi di grado 0-3600"}},
      {"{OV=.}", {"tipo sovrapposizione: 1=merge 0=copia 2=paint"}},
      {"{CF=...,...,...}", {"colore del fondo R,G,B"}},
      {"{CT=...,...,...}", {"colore del testo R,G,B"}},
      {"{32=.}", {"S/N BMP a 32 bit (export AUTOCAD)"}},
      {"{IN=.}", {"S/N inverti colori immagine"}},
      {"{CP=.}", {"0=su tutte le copie, 1-4 sulla copia 1-4, 5 sulla copia 5 e sulle successive"}},
      {"{VA=..    ..}", {"valore da rappresentare / nome del file immagine", "(esecuzione dell'estensione)"}},
      {"{VA=<CLR>}", {"carica immagine vuota", "(utilizzando {CF=}{IH=}{IH=} )"}},
      {"{TN=...,...,...}", {"testo da non visualizzare riga,colonna,lunghezza"}},
  };
  for (const auto& [forma, testi] : voci) {
    t += fine;
    voce(forma, testi[0]);
    for (size_t k = 1; k < testi.size(); ++k) riga(testi[k]);
  }
  return t;
}

}  // namespace

const std::string& Testo_Help() {
  static const std::string testo = Costruisci();
  return testo;
}

}  // namespace qod::testers
