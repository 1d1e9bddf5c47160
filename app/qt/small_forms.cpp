#include "qt/small_forms.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

#include "qt/icons.h"

namespace corvala {

namespace {

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

QLabel* NamedLabel(const char* name, const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  return label;
}

}  // namespace

void CenterForm(QWidget* form) {
  QScreen* screen = form->screen() ? form->screen() : QGuiApplication::primaryScreen();
  if (!screen) return;
  FitOnScreen(form, screen->availableGeometry());
}

void FitOnScreen(QWidget* form, const QRect& area) {
  const QSize frame = form->frameGeometry().size() - form->size();
  const QSize fitted = form->size().boundedTo(area.size() - frame).expandedTo(form->minimumSize());
  if (fitted != form->size()) form->resize(fitted);
  const QSize size = form->size() + frame;
  // Centred; a form still larger than the area keeps its top left corner (title bar) on it.
  form->move(area.x() + std::max(0, (area.width() - size.width()) / 2),
             area.y() + std::max(0, (area.height() - size.height()) / 2));
}

frmAbout::frmAbout(const HelpSupport::AboutTexts& texts, QWidget* parent) : QDialog(parent) {
  setObjectName("frmAbout");
  setWindowTitle(Q(texts.caption));
  setWindowIcon(ProgramIcon());

  auto* picture = new QLabel(this);
  picture->setObjectName("picIcon");
  picture->setPixmap(ProgramIcon().pixmap(64, 64));
  picture->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

  auto* title = NamedLabel("lblTitle", Q(texts.title), this);
  QFont titleFont = title->font();
  titleFont.setPointSizeF(titleFont.pointSizeF() * 1.6);
  titleFont.setBold(true);
  title->setFont(titleFont);
  auto* version = NamedLabel("lblVersion", Q(texts.version), this);
  auto* notice = NamedLabel("lblDisclaimer", Q(texts.legalNotice), this);
  notice->setWordWrap(true);

  // The maker's contact details, each label's text with its prefix as the logic made it.
  const std::pair<const char*, const std::string*> contacts[] = {
      {"lblProgrammer", &texts.programmer},
      {"lblStreet", &texts.street},
      {"lblCityState", &texts.cityState},
      {"lblPhone", &texts.phone},
      {"lblFAX", &texts.fax},
      {"lblInfoURL", &texts.infoUrl},
      {"lblSalesURL", &texts.salesUrl},
      {"lblEmail", &texts.email}};
  auto* contactLines = new QVBoxLayout;
  contactLines->setSpacing(2);
  for (const auto& [name, text] : contacts) {
    contactLines->addWidget(NamedLabel(name, Q(*text), this));
  }

  auto* ok = new QPushButton(tr("OK"), this);
  ok->setObjectName("cmdOK");
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  auto* text = new QVBoxLayout;
  text->addWidget(title);
  text->addWidget(version);
  text->addSpacing(8);
  text->addLayout(contactLines);
  text->addSpacing(8);
  text->addWidget(notice);

  auto* top = new QHBoxLayout;
  top->addWidget(picture);
  top->addLayout(text, 1);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ok);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addLayout(buttons);
  setFixedWidth(460);
  adjustSize();
  CenterForm(this);
}

frmStartUp::frmStartUp(QWidget* parent) : QDialog(parent) {
  setObjectName("frmStartUp");
  setWindowTitle(tr("Startup Options"));
  setWindowIcon(ProgramIcon());
  struct Choice {
    const char* name;
    const char* caption;
    std::int16_t value;
  };
  constexpr Choice kChoices[] = {{"btnNew", QT_TR_NOOP("New Scenario"), 1},
                                 {"btnOld", QT_TR_NOOP("Old Scenario"), 2},
                                 {"btnMain", QT_TR_NOOP("Main Window"), 0}};
  auto* layout = new QVBoxLayout(this);
  for (const Choice& c : kChoices) {
    auto* button = new QPushButton(tr(c.caption), this);
    button->setObjectName(c.name);
    button->setMinimumHeight(32);
    const std::int16_t value = c.value;
    connect(button, &QPushButton::clicked, this, [this, value] {
      choice_ = value;
      accept();
    });
    layout->addWidget(button);
  }
  setMinimumWidth(260);
  adjustSize();
  CenterForm(this);
}

frmError::frmError(const std::string& message, QWidget* parent) : QDialog(parent) {
  setObjectName("frmError");
  setWindowTitle(tr("Error Warning"));
  auto* info = NamedLabel("lblErrInfo", Q(message), this);
  info->setWordWrap(true);
  chkDontShow_ = new QCheckBox(tr("Don't show this message again"), this);
  chkDontShow_->setObjectName("chkDontShow");
  auto* ok = new QPushButton(tr("OK"), this);
  ok->setObjectName("btnOK");
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, [this] {
    confirmed_ = true;
    accept();
  });
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(chkDontShow_);
  buttons->addStretch(1);
  buttons->addWidget(ok);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(info);
  layout->addLayout(buttons);
  setMinimumWidth(420);
  adjustSize();
  CenterForm(this);
}

std::int16_t frmError::DontShowValue() const {
  return confirmed_ && chkDontShow_->isChecked() ? 1 : 0;
}

QString DisplayText(const std::string& text) {
  QString shown = Q(text);
  shown.replace("\r\n", "\n");
  return shown;
}

frmFinal::frmFinal(const std::string& caption, const std::string& text, QWidget* parent)
    : QDialog(parent) {
  setObjectName("frmFinal");
  setWindowTitle(Q(caption));
  setWindowIcon(ProgramIcon());

  auto* picture = new QLabel(this);
  picture->setObjectName("picLogo");
  picture->setPixmap(ProgramIcon().pixmap(48, 48));
  picture->setAlignment(Qt::AlignTop);

  auto* display = new QPlainTextEdit(this);
  display->setObjectName("txtDisplay");
  display->setReadOnly(true);  // every key typed into it is discarded
  display->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  QFont fixed("Courier New");
  fixed.setStyleHint(QFont::TypeWriter);
  fixed.setFixedPitch(true);
  display->setFont(fixed);
  display->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  display->setPlainText(DisplayText(text));

  auto* done = new QPushButton(tr("Bye!"), this);
  done->setObjectName("btnDone");
  done->setDefault(true);
  connect(done, &QPushButton::clicked, this, &QDialog::accept);

  auto* top = new QHBoxLayout;
  top->addWidget(picture);
  top->addWidget(display, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(done);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addLayout(buttons);
  resize(640, 360);
  CenterForm(this);
}

}  // namespace corvala
