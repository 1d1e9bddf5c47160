#include "qt/qt_platform.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QTime>
#include <QTimer>
#include <QUrl>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "core/app.h"
#include "qt/ip_support.h"
#include "qt/small_forms.h"

namespace corvala {

namespace {

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

// "Label:   value": a caption with its colon, two or more blanks, then the value.
const QRegularExpression& ColumnLine() {
  static const QRegularExpression line(QStringLiteral("^([A-Za-z][A-Za-z ]*:) {2,}(.*)$"));
  return line;
}

}  // namespace

QString MessageBoxText(const std::string& text, Qt::TextFormat* format) {
  const QStringList lines = Q(text).split('\n');
  int columnLines = 0;
  for (const QString& line : lines) {
    if (ColumnLine().match(line).hasMatch()) ++columnLines;
  }
  if (columnLines < 2) {
    *format = Qt::PlainText;
    return Q(text);
  }
  // Lines padded with blanks into columns only line up in the font they were padded for: they
  // become the rows of a table instead, the captions in one column and the values in the next.
  QString html;
  bool inTable = false;
  for (const QString& line : lines) {
    const QRegularExpressionMatch match = ColumnLine().match(line);
    if (match.hasMatch()) {
      if (!inTable) html += QStringLiteral("<table cellspacing=\"0\" cellpadding=\"1\">");
      inTable = true;
      html += QStringLiteral("<tr><td style=\"padding-right:12px\">%1</td><td>%2</td></tr>")
                  .arg(match.captured(1).toHtmlEscaped(), match.captured(2).toHtmlEscaped());
      continue;
    }
    if (inTable) html += QStringLiteral("</table>");
    inTable = false;
    html += QStringLiteral("<p style=\"margin:0\">%1</p>")
                .arg(line.isEmpty() ? QStringLiteral("&nbsp;") : line.toHtmlEscaped());
  }
  if (inTable) html += QStringLiteral("</table>");
  *format = Qt::RichText;
  return html;
}

QStringList QtFileFilters(const std::string& filter) {
  const QStringList parts = Q(filter).split('|');
  QStringList result;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString description = parts[i].trimmed();
    const QString pattern = parts[i + 1].trimmed();
    if (description.isEmpty() && pattern.isEmpty()) continue;
    // "Data Files(*.zov)": the pattern shown in the description is given again below.
    const qsizetype paren = description.indexOf('(');
    if (paren > 0 && description.endsWith(')')) description = description.left(paren).trimmed();
    QStringList globs;
    for (const QString& glob : pattern.split(';', Qt::SkipEmptyParts)) {
      const QString g = glob.trimmed();
      if (g == "*.*" || g == "*") {
        globs << "*";
        continue;
      }
      for (const QString& variant : {g, g.toLower(), g.toUpper()}) {
        if (!globs.contains(variant)) globs << variant;
      }
    }
    result << QString("%1 (%2)").arg(description, globs.join(' '));
  }
  return result;
}

// ---------------------------------------------------------------------------------------------

QtSettingsStore::QtSettingsStore(std::unique_ptr<QSettings> settings)
    : settings_(std::move(settings)) {}
QtSettingsStore::~QtSettingsStore() = default;

std::unique_ptr<QtSettingsStore> QtSettingsStore::PerUser(const std::string& programTitle) {
  return std::make_unique<QtSettingsStore>(std::make_unique<QSettings>(
      QSettings::NativeFormat, QSettings::UserScope, Q(programTitle), Q(programTitle)));
}

std::string QtSettingsStore::Read(const std::string& section, const std::string& key,
                                  const std::string& defaultValue) {
  const QVariant value = settings_->value(Q(section) + "/" + Q(key));
  if (!value.isValid()) return defaultValue;
  // A value holding a comma reads back as a list; join it again as it was written.
  if (value.typeId() == QMetaType::QStringList) return value.toStringList().join(',').toStdString();
  return value.toString().toStdString();
}

void QtSettingsStore::Write(const std::string& section, const std::string& key,
                            const std::string& value) {
  settings_->setValue(Q(section) + "/" + Q(key), Q(value));
}

void QtSettingsStore::Sync() {
  settings_->sync();
}

std::int32_t QtClock::SecondsSinceMidnight() {
  return static_cast<std::int32_t>(
      std::lround(QTime::currentTime().msecsSinceStartOfDay() / 1000.0));
}

void QtProcess::Flush() {
  for (QtSettingsStore* store : stores_) store->Sync();
}

void QtProcess::Exit(int status) {
  Flush();
  std::fflush(stdout);
  std::fflush(stderr);
  std::_Exit(status);
}

// ---------------------------------------------------------------------------------------------

QtDialogs::QtDialogs(App& app) : app_(app) {}

Answer QtDialogs::MessageBox(const std::string& text, Buttons buttons, Icon icon,
                             const std::string& title) {
  QMessageBox box(parent_);
  box.setObjectName("msgBox");
  box.setWindowTitle(Q(title));
  Qt::TextFormat format = Qt::PlainText;
  box.setText(MessageBoxText(text, &format));
  box.setTextFormat(format);
  switch (icon) {
    case Icon::None:
      box.setIcon(QMessageBox::NoIcon);
      break;
    case Icon::Critical:
      box.setIcon(QMessageBox::Critical);
      break;
    case Icon::Question:
      box.setIcon(QMessageBox::Question);
      break;
    case Icon::Exclamation:
      box.setIcon(QMessageBox::Warning);
      break;
    case Icon::Information:
      box.setIcon(QMessageBox::Information);
      break;
  }
  QMessageBox::StandardButton closed = QMessageBox::Ok;
  switch (buttons) {
    case Buttons::OK:
      box.setStandardButtons(QMessageBox::Ok);
      closed = QMessageBox::Ok;
      break;
    case Buttons::OKCancel:
      box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
      closed = QMessageBox::Cancel;
      break;
    case Buttons::YesNo:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      closed = QMessageBox::No;
      break;
    case Buttons::YesNoCancel:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
      closed = QMessageBox::Cancel;
      break;
  }
  box.setEscapeButton(closed);
  const int result = box.exec();
  switch (result) {
    case QMessageBox::Ok:
      return Answer::OK;
    case QMessageBox::Yes:
      return Answer::Yes;
    case QMessageBox::No:
      return Answer::No;
    case QMessageBox::Cancel:
      return Answer::Cancel;
    default:
      break;
  }
  switch (closed) {
    case QMessageBox::No:
      return Answer::No;
    case QMessageBox::Cancel:
      return Answer::Cancel;
    default:
      return Answer::OK;
  }
}

std::optional<std::string> QtDialogs::AskFile(const FileDialogRequest& request, bool save) {
  QFileDialog dialog(parent_, Q(request.title));
  dialog.setObjectName("dlgCommonDialog");
  // The desktop's own file dialog where its platform theme offers one; Qt's dialog otherwise.
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  // A name typed for a file that does not exist is handed back on Open too; the program itself
  // tells the user that the file does not exist.
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilters(QtFileFilters(request.filter));
  QString suffix = Q(request.defaultExtension);
  while (suffix.startsWith('.')) suffix.remove(0, 1);
  dialog.setDefaultSuffix(suffix);
  QString folder = Q(request.initialFolder);
  if (folder.isEmpty() || !QFileInfo(folder).isDir()) folder = Q(defaultFolder_);
  if (!folder.isEmpty() && QFileInfo(folder).isDir()) dialog.setDirectory(folder);
  if (!request.presetName.empty()) dialog.selectFile(Q(request.presetName));
  if (dialog.exec() != QDialog::Accepted) {
    return std::nullopt;
  }
  const QStringList files = dialog.selectedFiles();
  if (files.isEmpty()) return std::string();
  return QDir::toNativeSeparators(files.first()).toStdString();
}

std::optional<std::string> QtDialogs::AskOpenFile(const FileDialogRequest& request) {
  return AskFile(request, false);
}

std::optional<std::string> QtDialogs::AskSaveFile(const FileDialogRequest& request) {
  return AskFile(request, true);
}

std::int16_t QtDialogs::ShowErrorWarning(const std::string& message) {
  frmError form(message, parent_);
  form.exec();
  return form.DontShowValue();
}

void QtDialogs::ShowFinalScreen(const std::string& caption, const std::string& text) {
  frmFinal form(caption, text, parent_);
  form.exec();
}

void QtDialogs::ShowAbout() {
  frmAbout form(HelpSupport::GetAboutTexts(app_), parent_);
  form.exec();
}

std::int16_t QtDialogs::AskStartChoice() {
  frmStartUp form(parent_);
  form.exec();
  return form.Choice();
}

void QtDialogs::ShowInputForm() {
  IPSupport::InitIP(app_);
}

bool PdfViewerMayBeInstalled() {
  // Where the desktop's MIME tools are installed, they know whether anything opens PDF files.
  const QString query = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
  if (query.isEmpty()) return true;
  QProcess process;
  process.start(query, {QStringLiteral("query"), QStringLiteral("default"),
                        QStringLiteral("application/pdf")});
  if (!process.waitForFinished(3000)) {
    process.kill();
    process.waitForFinished(1000);
    return true;
  }
  return !process.readAllStandardOutput().trimmed().isEmpty();
}

void QtDialogs::OpenDocument(const std::string& path) {
  const QString file = QDir::toNativeSeparators(Q(path));
  QString problem;
  if (!QFileInfo(file).isFile()) {
    problem = QApplication::translate("corvala::QtDialogs", "The manual is not there:");
  } else if (!PdfViewerMayBeInstalled() || !QDesktopServices::openUrl(QUrl::fromLocalFile(file))) {
    problem = QApplication::translate(
        "corvala::QtDialogs",
        "No program to show PDF files could be started. Install a PDF viewer, or open the "
        "manual with a program of your choice:");
  } else {
    return;
  }
  MessageBox((problem + "\n\n" + file).toStdString(), Buttons::OK, Icon::Information,
             kProgramTitle);
}

std::string QtDialogs::DocumentsFolder() {
  const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (!documents.isEmpty() && QFileInfo(documents).isDir()) return documents.toStdString();
  return Dialogs::DocumentsFolder();
}

}  // namespace corvala
