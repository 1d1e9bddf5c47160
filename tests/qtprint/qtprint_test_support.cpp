#include "qtprint_test_support.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QTimer>
#include <QWidget>
#include <array>
#include <cmath>
#include <cstdio>
#include <random>
#include <sstream>

namespace qtprint_test {
namespace {

std::string Run(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) {
    ADD_FAILURE() << "cannot run " << command;
    return out;
  }
  std::array<char, 4096> buffer{};
  std::size_t n = 0;
  while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) {
    out.append(buffer.data(), n);
  }
  const int status = pclose(pipe);
  EXPECT_EQ(status, 0) << command;
  return out;
}

std::string Quoted(const std::filesystem::path& path) {
  std::string quoted = "'";
  for (char c : path.string()) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

}  // namespace

std::string PdfText(const std::filesystem::path& pdf, double cellPoints) {
  char pitch[32];
  std::snprintf(pitch, sizeof pitch, "%.4f", cellPoints);
  return Run(std::string(QEL_PDFTOTEXT) + " -layout -fixed " + pitch + " " + Quoted(pdf) +
             " - 2>&1");
}

std::vector<std::vector<std::string>> PdfPages(const std::filesystem::path& pdf,
                                               double cellPoints) {
  const std::string text = PdfText(pdf, cellPoints);
  std::vector<std::vector<std::string>> pages(1);
  std::string line;
  for (char c : text) {
    if (c == '\f') {
      if (!line.empty()) pages.back().push_back(line);
      line.clear();
      pages.emplace_back();
    } else if (c == '\n') {
      pages.back().push_back(line);
      line.clear();
    } else {
      line += c;
    }
  }
  if (!line.empty()) pages.back().push_back(line);
  // pdftotext ends the last page with a form feed too.
  if (pages.size() > 1 && pages.back().empty()) pages.pop_back();
  return pages;
}

namespace {

double Attribute(const std::string& tag, const std::string& name) {
  const std::string key = name + "=\"";
  const std::size_t at = tag.find(key);
  if (at == std::string::npos) return -1;
  return std::stod(tag.substr(at + key.size()));
}

}  // namespace

std::vector<PdfWord> PdfWords(const std::filesystem::path& pdf) {
  const std::string html = Run(std::string(QEL_PDFTOTEXT) + " -bbox " + Quoted(pdf) + " - 2>&1");
  std::vector<PdfWord> words;
  int page = 0;
  std::size_t at = 0;
  while ((at = html.find('<', at)) != std::string::npos) {
    const std::size_t close = html.find('>', at);
    if (close == std::string::npos) break;
    const std::string tag = html.substr(at, close - at + 1);
    if (tag.rfind("<page ", 0) == 0) {
      ++page;
    } else if (tag.rfind("<word ", 0) == 0) {
      const std::size_t end = html.find("</word>", close);
      if (end == std::string::npos) break;
      PdfWord word;
      word.text = html.substr(close + 1, end - close - 1);
      word.page = page;
      word.left = Attribute(tag, "xMin");
      word.top = Attribute(tag, "yMin");
      word.right = Attribute(tag, "xMax");
      words.push_back(word);
    }
    at = close + 1;
  }
  return words;
}

PdfWord FindWord(const std::vector<PdfWord>& words, int page, const std::string& text) {
  for (const PdfWord& word : words) {
    if (word.page == page && word.text == text) return word;
  }
  return PdfWord{};
}

int PdfPageCount(const std::filesystem::path& pdf) {
  std::istringstream info(Run(std::string(QEL_PDFINFO) + " " + Quoted(pdf) + " 2>&1"));
  std::string line;
  while (std::getline(info, line)) {
    if (line.rfind("Pages:", 0) == 0) {
      return std::stoi(line.substr(6));
    }
  }
  ADD_FAILURE() << "pdfinfo gave no page count for " << pdf;
  return -1;
}

int ColumnOf(const std::string& line, const std::string& needle) {
  const std::size_t at = line.find(needle);
  if (at == std::string::npos) return 0;
  // Columns count characters, not bytes: the rule's em dashes are three bytes each.
  int column = 1;
  for (std::size_t i = 0; i < at; ++i) {
    if ((static_cast<unsigned char>(line[i]) & 0xC0) != 0x80) ++column;
  }
  return column;
}

int LineOf(const std::vector<std::string>& page, const std::string& needle) {
  for (std::size_t i = 0; i < page.size(); ++i) {
    if (page[i].find(needle) != std::string::npos) return static_cast<int>(i);
  }
  return -1;
}

double CellPoints(const QFont& font, QPrinter& printer) {
  return QFontMetricsF(font, &printer).horizontalAdvance(QChar(u'M')) * 72.0 / printer.resolution();
}

long RoundedLineHeight(const QFont& font, QPrinter& printer) {
  return std::lround(QFontMetricsF(font, &printer).lineSpacing());
}

void SetPageForLines(QPrinter& printer, int lines, long lineHeight) {
  const double pixels = (static_cast<double>(lines) + 0.5) * static_cast<double>(lineHeight);
  const double points = pixels * 72.0 / printer.resolution();
  const QPageSize size(QSizeF(612, std::round(points)), QPageSize::Point, QStringLiteral("Lines"),
                       QPageSize::ExactMatch);
  printer.setPageLayout(
      QPageLayout(size, QPageLayout::Portrait, QMarginsF(0, 0, 0, 0), QPageLayout::Point));
}

void WhenModal(std::function<void(QWidget*)> act) {
  auto* timer = new QTimer;
  timer->setInterval(5);
  auto tries = std::make_shared<int>(0);
  QObject::connect(timer, &QTimer::timeout, timer, [timer, act, tries] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal != nullptr && modal->isVisible()) {
      timer->stop();
      timer->deleteLater();
      act(modal);
    } else if (++*tries > 2000) {
      timer->stop();
      timer->deleteLater();
      ADD_FAILURE() << "no modal dialog appeared";
    }
  });
  timer->start();
}

}  // namespace qtprint_test
