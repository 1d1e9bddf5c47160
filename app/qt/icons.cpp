#include "qt/icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace corvala {

namespace {

constexpr int kSize = 32;

QPixmap Canvas() {
  QPixmap pixmap(kSize, kSize);
  pixmap.fill(Qt::transparent);
  return pixmap;
}

void Page(QPainter& p, const QRectF& r) {
  QPainterPath path;
  path.moveTo(r.left(), r.top());
  path.lineTo(r.right() - 7, r.top());
  path.lineTo(r.right(), r.top() + 7);
  path.lineTo(r.right(), r.bottom());
  path.lineTo(r.left(), r.bottom());
  path.closeSubpath();
  p.setBrush(QColor(0xfb, 0xfb, 0xf6));
  p.setPen(QPen(QColor(0x44, 0x4a, 0x55), 1.5));
  p.drawPath(path);
  p.drawLine(QPointF(r.right() - 7, r.top()), QPointF(r.right() - 7, r.top() + 7));
  p.drawLine(QPointF(r.right() - 7, r.top() + 7), QPointF(r.right(), r.top() + 7));
}

void Lines(QPainter& p, const QRectF& r, int count) {
  p.setPen(QPen(QColor(0x7a, 0x86, 0x99), 1.5));
  for (int i = 0; i < count; ++i) {
    const double y = r.top() + 11 + i * 4.5;
    p.drawLine(QPointF(r.left() + 4, y), QPointF(r.right() - 4, y));
  }
}

QPixmap DrawNew() {
  QPixmap pm = Canvas();
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  Page(p, QRectF(7, 3, 18, 26));
  p.setPen(QPen(QColor(0x2e, 0x8b, 0x57), 3));
  p.drawLine(QPointF(20, 20), QPointF(28, 20));
  p.drawLine(QPointF(24, 16), QPointF(24, 24));
  return pm;
}

QPixmap DrawOpen() {
  QPixmap pm = Canvas();
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(0x8a, 0x62, 0x10), 1.5));
  p.setBrush(QColor(0xe8, 0xb8, 0x4a));
  QPainterPath back;
  back.moveTo(3, 8);
  back.lineTo(12, 8);
  back.lineTo(14, 11);
  back.lineTo(27, 11);
  back.lineTo(27, 26);
  back.lineTo(3, 26);
  back.closeSubpath();
  p.drawPath(back);
  p.setBrush(QColor(0xf6, 0xd2, 0x74));
  QPainterPath front;
  front.moveTo(7, 15);
  front.lineTo(30, 15);
  front.lineTo(26, 26);
  front.lineTo(3, 26);
  front.closeSubpath();
  p.drawPath(front);
  return pm;
}

QPixmap DrawSave() {
  QPixmap pm = Canvas();
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(0x1f, 0x3a, 0x68), 1.5));
  p.setBrush(QColor(0x3d, 0x6f, 0xb6));
  p.drawRoundedRect(QRectF(4, 4, 24, 24), 2, 2);
  p.setBrush(QColor(0xee, 0xf2, 0xf8));
  p.drawRect(QRectF(9, 4, 14, 9));
  p.setBrush(QColor(0xdd, 0xe4, 0xee));
  p.drawRect(QRectF(8, 17, 16, 11));
  p.setBrush(QColor(0x1f, 0x3a, 0x68));
  p.drawRect(QRectF(18, 6, 3, 5));
  return pm;
}

QPixmap DrawInput() {
  QPixmap pm = Canvas();
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  Page(p, QRectF(4, 3, 20, 26));
  Lines(p, QRectF(4, 3, 20, 26), 4);
  p.setPen(QPen(QColor(0x9c, 0x3d, 0x1a), 3, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(17, 27), QPointF(29, 13));
  p.setPen(QPen(QColor(0x33, 0x33, 0x33), 2));
  p.drawPoint(QPointF(16, 28));
  return pm;
}

QPixmap DrawPreview() {
  QPixmap pm = Canvas();
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  Page(p, QRectF(4, 3, 20, 26));
  Lines(p, QRectF(4, 3, 20, 26), 3);
  p.setPen(QPen(QColor(0x33, 0x33, 0x33), 2.2));
  p.setBrush(QColor(0xcf, 0xe8, 0xff, 0xc0));
  p.drawEllipse(QPointF(19, 19), 6, 6);
  p.setPen(QPen(QColor(0x33, 0x33, 0x33), 3.5, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(23.5, 23.5), QPointF(29, 29));
  return pm;
}

QPixmap DrawPrint() {
  QPixmap pm = Canvas();
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(0x44, 0x4a, 0x55), 1.5));
  p.setBrush(QColor(0xfb, 0xfb, 0xf6));
  p.drawRect(QRectF(9, 3, 14, 10));
  p.setBrush(QColor(0x8c, 0x95, 0xa3));
  p.drawRoundedRect(QRectF(3, 12, 26, 11), 2, 2);
  p.setBrush(QColor(0xfb, 0xfb, 0xf6));
  p.drawRect(QRectF(9, 19, 14, 10));
  Lines(p, QRectF(9, 12, 14, 10), 2);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x2e, 0x8b, 0x57));
  p.drawEllipse(QPointF(25, 15.5), 1.3, 1.3);
  return pm;
}

QPixmap DrawHelp() {
  QPixmap pm = Canvas();
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(0x1f, 0x3a, 0x68), 1.5));
  p.setBrush(QColor(0x3d, 0x6f, 0xb6));
  p.drawEllipse(QRectF(3, 3, 26, 26));
  QFont font("DejaVu Sans");
  font.setPixelSize(20);
  font.setBold(true);
  p.setFont(font);
  p.setPen(Qt::white);
  p.drawText(QRectF(3, 3, 26, 26), Qt::AlignCenter, "?");
  return pm;
}

}  // namespace

QIcon ProgramIcon() {
  static const QIcon icon = [] {
    QIcon result;
    for (int size : {16, 32, 64, 128}) {
      QPixmap pm(size, size);
      pm.fill(Qt::transparent);
      QPainter p(&pm);
      p.setRenderHint(QPainter::Antialiasing);
      const double s = size / 64.0;
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(0x23, 0x6b, 0x4a));
      p.drawRoundedRect(QRectF(2 * s, 2 * s, 60 * s, 60 * s), 10 * s, 10 * s);
      p.setBrush(QColor(0xf4, 0xf1, 0xe6));
      p.drawRect(QRectF(12 * s, 14 * s, 40 * s, 36 * s));
      p.setPen(QPen(QColor(0x23, 0x6b, 0x4a), 3 * s));
      for (int i = 0; i < 3; ++i) {
        const double y = (22 + 9 * i) * s;
        p.drawLine(QPointF(17 * s, y), QPointF(47 * s, y));
      }
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(0xd9, 0x8e, 0x1c));
      p.drawEllipse(QPointF(46 * s, 46 * s), 11 * s, 11 * s);
      result.addPixmap(pm);
    }
    return result;
  }();
  return icon;
}

QIcon ToolbarIcon(const QString& key) {
  if (key == "New") return QIcon(DrawNew());
  if (key == "Open") return QIcon(DrawOpen());
  if (key == "Save") return QIcon(DrawSave());
  if (key == "Input") return QIcon(DrawInput());
  if (key == "Preview") return QIcon(DrawPreview());
  if (key == "Print") return QIcon(DrawPrint());
  if (key == "Help") return QIcon(DrawHelp());
  return {};
}

}  // namespace corvala
