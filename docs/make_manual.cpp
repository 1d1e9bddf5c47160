// Renders the user manual from HTML to PDF: make_manual <source.html> <output.pdf>.
// Letter paper, page numbers in the footer, the document's <title> in the PDF's metadata.
#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QTextDocument>
#include <QTextStream>
#include <cstdio>

namespace {

// Paints the document page by page with a centred page number under each page.
bool Render(QTextDocument& document, QPrinter& printer) {
  QPainter painter;
  if (!painter.begin(&printer)) return false;
  const QRectF page = printer.pageRect(QPrinter::DevicePixel);
  const double scale = printer.resolution() / 96.0;
  const double footer = 28 * scale;
  document.documentLayout()->setPaintDevice(&printer);
  document.setPageSize(QSizeF(page.width(), page.height() - footer));
  const int pages = document.pageCount();
  QFont footerFont("DejaVu Sans");
  footerFont.setPointSizeF(8);
  for (int i = 0; i < pages; ++i) {
    if (i > 0) printer.newPage();
    painter.save();
    painter.translate(0, -i * (page.height() - footer));
    const QRectF clip(0, i * (page.height() - footer), page.width(), page.height() - footer);
    document.drawContents(&painter, clip);
    painter.restore();
    painter.setFont(footerFont);
    painter.drawText(QRectF(0, page.height() - footer, page.width(), footer), Qt::AlignCenter,
                     QString("Qel Paystave user manual, page %1 of %2").arg(i + 1).arg(pages));
  }
  return painter.end();
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_manual <source.html> <output.pdf>\n");
    return 2;
  }
  QFile source(QString::fromLocal8Bit(argv[1]));
  if (!source.open(QIODevice::ReadOnly | QIODevice::Text)) {
    std::fprintf(stderr, "make_manual: cannot read %s\n", argv[1]);
    return 1;
  }
  const QString html = QString::fromUtf8(source.readAll());

  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(QString::fromLocal8Bit(argv[2]));
  printer.setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait,
                                    QMarginsF(18, 18, 18, 14), QPageLayout::Millimeter));
  printer.setCreator("Qel Paystave");

  QTextDocument document;
  QFont body("DejaVu Serif");
  body.setPointSizeF(10.5);
  document.setDefaultFont(body);
  document.setHtml(html);
  printer.setDocName(document.metaInformation(QTextDocument::DocumentTitle));
  if (!Render(document, printer)) {
    std::fprintf(stderr, "make_manual: cannot write %s\n", argv[2]);
    return 1;
  }
  if (QFileInfo(QString::fromLocal8Bit(argv[2])).size() == 0) {
    std::fprintf(stderr, "make_manual: %s came out empty\n", argv[2]);
    return 1;
  }
  return 0;
}
