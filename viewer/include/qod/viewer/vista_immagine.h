// The on-screen image view of the imaging layer: a scroll area that paints
// the pixels of an image itself, fitted to the view or zoomed, with a scroll
// origin and a visible extent in image pixels, a display stretch for pages
// whose pixels are not square, and pointer events in image pixels. The
// viewer control, the font editor and the image generator test program's
// output window show their images through it.
//
// Coordinates: the page point at the view's top-left corner is the scroll
// origin (Origine_X, Origine_Y); one image pixel covers Zoom()/100 screen
// pixels across and Zoom()/100 x Allungamento_Y() down. The visible extent
// is the view's size in image pixels (it may exceed the image: the view is
// then larger than the page, which sits at its top-left corner).
//
// A page drawn smaller than its pixels (in either direction) is shrunk by
// area averaging, a two-colour page into grey levels, so that thin strokes
// stay; the shrunk page is kept for the zoom in force, so scrolling only
// copies it. At 100% and above every image pixel is drawn as a sharp block.
#pragma once

#include <QAbstractScrollArea>
#include <QColor>
#include <QImage>

#include <filesystem>
#include <functional>
#include <string>

#include "qod/imaging/file.h"
#include "qod/imaging/immagine.h"
#include "qod/viewer/riduzione.h"

class QPainter;

namespace qod::img {

class Vista_Immagine : public QAbstractScrollArea {
  Q_OBJECT

 public:
  explicit Vista_Immagine(QWidget* parent = nullptr);
  ~Vista_Immagine() override;

  // ---- The image -----------------------------------------------------------

  // Loads image `indice` (from 1) of a file; on failure the view is empty.
  // The display stretch is reset. The file stays open for Seleziona.
  Esito Carica(const std::filesystem::path& percorso, int indice = 1);
  // The file loaded ("" when the image was set otherwise), and its image count.
  const std::filesystem::path& File() const { return file_; }
  int Immagini_Nel_File() const { return immagini_; }
  // Selects another image of the file loaded (reading only that image's
  // part of a multi-image file). The image already shown, unchanged since it
  // was read and with the file unchanged on disk, is not read again.
  Esito Seleziona(int indice);

  // Sets the image held (the stretch is reset), or empties the view.
  void Imposta_Immagine(Immagine im);
  void Svuota();
  const Immagine& Immagine_Attuale() const { return immagine_; }
  bool Vuota() const { return immagine_.Vuota(); }

  int Larghezza_Immagine() const { return immagine_.Larghezza(); }
  int Altezza_Immagine() const { return immagine_.Altezza(); }
  int64_t Colori() const { return immagine_.Numero_Colori(); }
  int Dpi_X() const { return immagine_.Dpi_X(); }
  int Dpi_Y() const { return immagine_.Dpi_Y(); }

  // Changes to the image, shown at once: depth, colour reduction, rotation
  // (clockwise, hundredths of a degree, the uncovered area filled), a blank
  // image. False (the image unchanged) when the layer refuses.
  bool Converti_Bit(int bit);
  bool Riduci_Colori(int64_t colori, bool grigio);
  bool Ruota(long centesimi, Colore riempimento);
  bool Crea(int larghezza, int altezza, int bit);
  // Draws on the image with a QPainter (drawing calls on the image's own
  // pixels), then shows the result.
  bool Disegna_Su(const std::function<void(QPainter&)>& disegno);

  // Saves the image held with the layer's save settings.
  Esito Salva(const std::filesystem::path& percorso, const Parametri_Salvataggio& parametri) const;

  // Clipboard: the image as a picture; a picture pasted as the image.
  void Copia() const;
  bool Incolla();

  // ---- Display ---------------------------------------------------------------

  // Display stretch: the source rectangle (inclusive edges) shown in the
  // destination rectangle. Applying them shows the image with the vertical
  // and horizontal stretch of destination over source (a 204 x 98 dpi fax
  // page in a destination twice as tall as its pixels shows square).
  void Imposta_Sorgente(int sinistra, int alto, int destra, int basso);
  void Imposta_Destinazione(double sinistra, double alto, double destra, double basso);
  void Applica_Rettangoli();
  double Allungamento_X() const { return allungamento_x_; }
  double Allungamento_Y() const { return allungamento_y_; }

  // Fit to view: the whole (stretched) page fits the view, its aspect kept.
  void Imposta_Adatta(bool adatta);
  bool Adatta() const { return adatta_; }
  // Zoom in percent. Set: used when not fitting. Read: the zoom in force
  // (the fitted one when fitting); 0 with nothing shown.
  void Imposta_Zoom(double percento);
  double Zoom() const;

  // Display mode, as the viewer sets it (3 for a two-colour page, 2 after a
  // change to 24 bits). Every mode is drawn alike: shrunk by area averaging,
  // sharp from 100% up.
  void Imposta_Modo(int modo);
  int Modo() const { return modo_; }

  void Imposta_Sfondo(const QColor& c);
  QColor Sfondo() const { return sfondo_; }

  // Scroll origin, in image pixels (kept as set; the callers clamp it).
  void Imposta_Origine(double x, double y);
  double Origine_X() const { return origine_x_; }
  double Origine_Y() const { return origine_y_; }
  // The view's size in image pixels; 0 with nothing shown.
  double Larghezza_Visibile() const;
  double Altezza_Visibile() const;

  // The size of the view in screen pixels (the part the image is drawn in).
  QSize Dimensione_Vista() const;

  // The image point under a point of the view (viewport coordinates).
  QPointF Punto_Immagine(const QPointF& vista) const;

  // Draws the source rectangle of the image into `destinazione` of a painter
  // (a printer page or another image).
  void Disegna(QPainter& p, const QRectF& destinazione) const;

 signals:
  // Pointer events over the image: button (1 left, 2 right, 4 middle),
  // shift state (1 Shift, 2 Ctrl, 4 Alt), position in image pixels.
  void Premuto(int pulsante, int shift, float x, float y);
  void Mosso(int pulsante, int shift, float x, float y);
  void Rilasciato(int pulsante, int shift, float x, float y);

 protected:
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  void scrollContentsBy(int dx, int dy) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;
  void wheelEvent(QWheelEvent*) override;

 private:
  void Immagine_Cambiata();
  void Barre_Aggiorna();
  double Scala_X() const;
  double Scala_Y() const;

  Immagine immagine_;
  QImage qimmagine_;  // immagine_'s pixels as Qt reads them (shares its rows)
  std::filesystem::path file_;
  int immagini_ = 0;
  File_Aperto aperto_;  // the file loaded, for Seleziona
  int indice_ = 0;      // the image of it shown, as read; 0 once changed
  Riduzione ridotta_;   // the page shrunk for the zoom in force
  int src_[4] = {0, 0, 0, 0};
  double dst_[4] = {0, 0, 0, 0};
  double allungamento_x_ = 1, allungamento_y_ = 1;
  bool adatta_ = false;
  double zoom_ = 100;
  int modo_ = 0;
  QColor sfondo_;
  double origine_x_ = 0, origine_y_ = 0;
  bool in_barre_ = false;
};

}  // namespace qod::img
