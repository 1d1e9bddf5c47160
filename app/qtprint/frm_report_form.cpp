#include "qtprint/frm_report_form.h"

#include <QAction>
#include <QCoreApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTextCursor>
#include <QToolBar>
#include <QVBoxLayout>

#include "qtprint/qt_text.h"
#include "qtprint/screen_centre.h"

namespace corvala {
namespace {

constexpr int kOpeningColumns = 76;  // the widest report line is 70 characters
constexpr int kOpeningLines = 34;

QFont ReportFont() {
  QFont font(QStringLiteral("Courier New"));
  font.setStyleHint(QFont::TypeWriter);
  font.setFixedPitch(true);
  font.setPointSize(10);
  if (!QFontInfo(font).fixedPitch()) {
    // No metric-compatible face for the name: take the system's fixed-pitch font.
    const int size = font.pointSize();
    font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(size);
  }
  return font;
}

// Keys that move, select or copy without changing the text.
bool ReadingKey(const QKeyEvent* key) {
  if (key->matches(QKeySequence::Copy) || key->matches(QKeySequence::SelectAll)) {
    return true;
  }
  switch (key->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_Meta:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      return true;
    default:
      return false;
  }
}

}  // namespace

FrmReportForm::FrmReportForm(Actions actions, QWidget* parent)
    : QWidget(parent, Qt::Window), actions_(std::move(actions)) {
  setObjectName(QStringLiteral("frmReportForm"));
  setAttribute(Qt::WA_DeleteOnClose);

  tbToolbar_ = new QToolBar(this);
  tbToolbar_->setObjectName(QStringLiteral("tbToolbar"));
  tbToolbar_->setToolButtonStyle(Qt::ToolButtonTextOnly);
  tbToolbar_->setMovable(false);
  // Each button has its access key (the button's text keeps the ampersand, so Alt+letter
  // presses it); Exit also answers Escape and the platform's Close key.
  auto addButton = [this](const char* name, const char* caption) {
    const QString text = QCoreApplication::translate("corvala::FrmReportForm", caption);
    QAction* action = tbToolbar_->addAction(text);
    action->setIconText(text);
    action->setObjectName(QString::fromUtf8(name));
    return action;
  };
  QAction* print = addButton("print", QT_TRANSLATE_NOOP("corvala::FrmReportForm", "&Print"));
  print->setShortcut(QKeySequence::Print);
  QAction* exit = addButton("exit", QT_TRANSLATE_NOOP("corvala::FrmReportForm", "E&xit"));
  exit->setShortcuts({QKeySequence(QKeySequence::Close), QKeySequence(Qt::Key_Escape)});
  previewAction_ = addButton("preview", QT_TRANSLATE_NOOP("corvala::FrmReportForm", "Pre&view"));
  previewAction_->setEnabled(false);

  txtReport_ = new QPlainTextEdit(this);
  txtReport_->setObjectName(QStringLiteral("txtReport"));
  txtReport_->setReadOnly(true);
  txtReport_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  txtReport_->setLineWrapMode(QPlainTextEdit::NoWrap);
  txtReport_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  txtReport_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  txtReport_->setFont(ReportFont());
  txtReport_->installEventFilter(this);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(tbToolbar_);
  layout->addWidget(txtReport_, 1);

  connect(print, &QAction::triggered, this, [this] {
    if (actions_.print) actions_.print();
  });
  connect(exit, &QAction::triggered, this, &QWidget::close);
  connect(previewAction_, &QAction::triggered, this, [this] {
    if (actions_.preview) actions_.preview(kind_, this);
  });

  // The opening size shows a whole report line and a screenful of lines, within the screen.
  const QFontMetrics metrics(txtReport_->font());
  const int scroll = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  const int frame = 2 * txtReport_->frameWidth() + 2 * 4;
  int width = metrics.horizontalAdvance(QString(kOpeningColumns, QChar(u'0'))) + scroll + frame;
  int height =
      tbToolbar_->sizeHint().height() + metrics.lineSpacing() * kOpeningLines + scroll + frame;
  if (const QScreen* screen = QGuiApplication::primaryScreen(); screen != nullptr) {
    const QRect area = screen->availableGeometry();
    width = std::min(width, area.width() * 9 / 10);
    height = std::min(height, area.height() * 9 / 10);
  }
  opening_ = QSize(width, height);
  resize(opening_);
  // Smaller than the opening size snaps back to it.
  setMinimumSize(opening_);
  qtprint::CentreOnScreen(this);
}

bool FrmReportForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == txtReport_ &&
      (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)) {
    // Typed keys are discarded; moving, selecting and copying still work.
    if (!ReadingKey(static_cast<QKeyEvent*>(event))) {
      event->accept();
      return true;
    }
  }
  if (watched == txtReport_ && event->type() == QEvent::InputMethod) {
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

void FrmReportForm::SetCaption(const std::string& caption) {
  setWindowTitle(qtprint::ToQString(caption));
  kind_ = Reports::ReportOfCaption(caption);
  previewAction_->setEnabled(kind_ != nullptr && static_cast<bool>(actions_.preview));
}

void FrmReportForm::SetText(const std::string& text) {
  text_ = text;
  txtReport_->setPlainText(qtprint::ToDisplayLines(text));
}

void FrmReportForm::AppendText(const std::string& text) {
  text_ += text;
  QTextCursor cursor(txtReport_->document());
  cursor.movePosition(QTextCursor::End);
  cursor.insertText(qtprint::ToDisplayLines(text));
}

std::string FrmReportForm::Text() const {
  return text_;
}

void FrmReportForm::Show() {
  txtReport_->moveCursor(QTextCursor::Start);
  show();
  raise();
  activateWindow();
}

}  // namespace corvala
