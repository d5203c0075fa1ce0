// A small image control for the output window: it loads an image file through
// the imaging layer and shows it fitted to the control or at a zoom
// percentage, from a scroll origin in image pixels. Pointer events are
// reported in image pixels with the scroll origin included, so a drag can
// move the origin by the distance the pointer travelled.
#pragma once

#include <QImage>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <string>

namespace qod::testers {

class Vista_Immagine : public QWidget {
 public:
  explicit Vista_Immagine(QWidget* genitore = nullptr);

  // Loads image 1 of the file (ANSI name, a Windows path is resolved); false
  // when it cannot be read, and the control then holds no image.
  bool Carica(const std::string& nome);
  bool Caricata() const { return !immagine_.isNull(); }

  int Larghezza() const { return immagine_.width(); }
  int Altezza() const { return immagine_.height(); }
  int Bit() const { return bit_; }
  // 2 for two colours, 2^bits for palette and grey images, 2^24 for colour.
  int64_t Colori() const;
  int Dpi_X() const { return dpi_x_; }
  int Dpi_Y() const { return dpi_y_; }
  // The image converted to 24 bits per pixel.
  void Converti_24();

  // The two display options a host sets; kept for it to read back.
  int opzione_vista = 0;
  int opzione_vista2 = 0;

  void Imposta_Adatta(bool adatta);
  bool Adatta() const { return adatta_; }
  void Imposta_Zoom(int percento);  // 10..1600
  int Zoom() const { return zoom_; }

  // Scroll origin and the part of the image that is visible, in image pixels.
  float Origine_X() const { return origine_x_; }
  float Origine_Y() const { return origine_y_; }
  void Imposta_Origine(float x, float y);
  int Visibile_Larghezza() const;
  int Visibile_Altezza() const;

  // The pointer in image pixels, scroll origin included.
  std::function<void(float x, float y)> premuto, mosso, rilasciato;

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;

 private:
  double Scala() const;
  QPointF In_Immagine(const QPointF& p) const;

  QImage immagine_;
  int bit_ = 0, dpi_x_ = 0, dpi_y_ = 0;
  bool adatta_ = false;
  int zoom_ = 100;
  float origine_x_ = 0, origine_y_ = 0;
};

}  // namespace qod::testers
