#include "qt/frm_ip.h"

#include <QCheckBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTextEdit>
#include <QVBoxLayout>

#include "core/app.h"
#include "core/file_operations.h"
#include "ostrand/wh_bus_obj.h"
#include "qt/control_extend.h"
#include "qt/icons.h"
#include "qt/ip_support.h"

namespace corvala {

namespace {

const char* const kFrequencies[] = {"Weekly", "Biweekly", "Semimonthly", "Monthly", "Annually"};
const char* const kComputations[] = {"W-2 Proforma", "Targeted Withholding",
                                     "Percentage Method Withholding"};

// Which property each text box reads and writes.
struct Binding {
  const char* control;
  const char* property;
};
constexpr Binding kBindings[] = {
    {"txtName", "sTaxpayer"},
    {"txtLine2", "Line2"},
    {"txtAnnualWages", "sWages4Yr"},
    {"txtAllowancesProforma", "sAllowancesIP"},
    {"txtAddWagePerChkProforma", "sAdditionalPayckWH"},
    {"txtWages4RestOfYrTargeted", "sRemainingWages"},
    {"txtPayPerLeftTargeted", "sRemainingPeriods"},
    {"txtTargWH4RestOfYrTargeted", "sTargetedWH4Yr"},
    {"txtAllowancesTargeted", "sAllowancesIP"},
    {"txtAddWagePerChkTargeted", "sAdditionalPayckWH"},
    {"txtWagesPercent", "sWagesPercent"},
    {"txtAllowancesPercent", "sAllowancesIP"},
};

QListWidget* NewList(QWidget* parent, const char* name, const char* const* items, int count) {
  auto* list = new QListWidget(parent);
  list->setObjectName(name);
  for (int i = 0; i < count; ++i) list->addItem(items[i]);
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  const int rowHeight = list->sizeHintForRow(0) > 0 ? list->sizeHintForRow(0) : 18;
  list->setFixedHeight(rowHeight * count + 2 * list->frameWidth() + 4);
  return list;
}

QLineEdit* NewText(QWidget* parent, const char* name) {
  auto* box = new QLineEdit(parent);
  box->setObjectName(name);
  return box;
}

QLabel* NewResult(QWidget* parent, const char* name) {
  auto* label = new QLabel(parent);
  label->setObjectName(name);
  label->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  label->setAutoFillBackground(true);
  label->setBackgroundRole(QPalette::Base);
  label->setMargin(3);
  label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  label->setMinimumWidth(140);
  QFont bold = label->font();
  bold.setBold(true);
  label->setFont(bold);
  return label;
}

QCheckBox* NewCheck(QWidget* parent, const char* name) {
  auto* box = new QCheckBox("Check If Unmarried", parent);
  box->setObjectName(name);
  return box;
}

bool IsFrequencyList(const QString& name) {
  return name.startsWith("lstFreq");
}

}  // namespace

QString HelpTextFor(const QString& name) {
  if (name == "txtName") return "Enter the name of the employee. This input is optional.";
  if (name == "txtLine2") {
    return "Enter the a information that you would like printed on each report below the name of "
           "the employee. This input is optional.";
  }
  if (name == "lstComputationChoice") {
    return "This program can make three types of computations. Choose the type of computation "
           "that you need.";
  }
  if (name == "btnFilename") return "You can change or choose a filename by clicking on the button";
  if (name == "txtAnnualWages") return "Enter the gross wages that are projected to be on the W-2.";
  if (IsFrequencyList(name)) {
    return "Click on the appropriate payroll frequency, if it is not already selected.";
  }
  if (name.startsWith("txtAllowances")) {
    return "Enter the number of withholding allowances that you want to use for this computation.";
  }
  if (name.startsWith("txtAddWagePerChk")) {
    return "Enter the additional withholding that the employee would want withheld. This would be "
           "additional to the withholding based on the allowances.";
  }
  if (name.startsWith("chkUnmarried")) {
    return "Check the box if the employee is going to indicate an unmarried status on the W-4 "
           "form.";
  }
  if (name == "txtWages4RestOfYrTargeted")
    return "Enter the wages anticipated for the rest of the year.";
  if (name == "txtPayPerLeftTargeted") return "Enter the number of pay periods left in the year.";
  if (name == "txtTargWH4RestOfYrTargeted") {
    return "Enter desired amount of withholding for the rest of the year.";
  }
  if (name == "txtWagesPercent") {
    return "Enter the Gross Wage for the pay period. The program will compute the withholding "
           "using the percentage method.";
  }
  return {};
}

frmIP::frmIP(App& app, QWidget* parent) : QDialog(parent), app_(app) {
  setObjectName("frmIP");
  setWindowTitle("Inputs");
  setWindowIcon(ProgramIcon());
  Build();
  Wire();
}

frmIP::~frmIP() = default;

ostrand::_WhBusObj& frmIP::Object() {
  return *app_.state.withholding;
}

std::string frmIP::PropertyOf(const QWidget* control) {
  for (const Binding& b : kBindings) {
    if (control->objectName() == b.control) return b.property;
  }
  return {};
}

QString frmIP::InputCaption(const QLineEdit* box) const {
  auto it = captions_.find(box);
  if (it == captions_.end()) return box->objectName();
  QString caption = it->second;
  caption.remove('&');
  caption = caption.trimmed();
  if (caption.endsWith(':')) caption.chop(1);
  return caption;
}

void frmIP::Build() {
  vsTabIP = new QTabWidget(this);
  vsTabIP->setObjectName("vsTabIP");
  const QStringList tabs =
      QString("&General Information|&W-2 Proforma|&Targeted Withholding|&Percentage Method")
          .split('|');

  auto row = [this](QGridLayout* grid, int r, const QString& caption, QWidget* control) {
    auto* label = new QLabel(caption, control->parentWidget());
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setBuddy(control);
    grid->addWidget(label, r, 0, Qt::AlignRight | Qt::AlignTop);
    grid->addWidget(control, r, 1);
    if (auto* box = qobject_cast<QLineEdit*>(control)) captions_[box] = caption;
  };

  // General Information.
  auto* general = new QWidget;
  auto* g = new QGridLayout(general);
  lstComputationChoice = NewList(general, "lstComputationChoice", kComputations, 3);
  txtName = NewText(general, "txtName");
  txtLine2 = NewText(general, "txtLine2");
  btnFilename = new QPushButton("Change or set filename", general);
  btnFilename->setObjectName("btnFilename");
  lblFilename = new QLabel(general);
  lblFilename->setObjectName("lblFilename");
  lblFilename->setWordWrap(true);
  lblFilename->setTextInteractionFlags(Qt::TextSelectableByMouse);
  row(g, 0, "Choose Desired Computation:", lstComputationChoice);
  row(g, 1, "Employee's Name:", txtName);
  row(g, 2, "Optional Second Line:", txtLine2);
  g->addWidget(btnFilename, 3, 0);
  g->addWidget(lblFilename, 3, 1);
  g->setRowStretch(4, 1);
  g->setColumnStretch(1, 1);

  // W-2 Proforma.
  auto* proforma = new QWidget;
  auto* p = new QGridLayout(proforma);
  txtAnnualWages = NewText(proforma, "txtAnnualWages");
  lstFreqProforma = NewList(proforma, "lstFreqProforma", kFrequencies, 5);
  txtAllowancesProforma = NewText(proforma, "txtAllowancesProforma");
  txtAddWagePerChkProforma = NewText(proforma, "txtAddWagePerChkProforma");
  chkUnmarriedProforma = NewCheck(proforma, "chkUnmarriedProforma");
  lblAnnualWHProforma = NewResult(proforma, "lblAnnualWHProforma");
  row(p, 0, "Annual Wages Subject To Federal Withholding: ", txtAnnualWages);
  row(p, 1, "Payroll Frequency:", lstFreqProforma);
  row(p, 2, "Withholding Allowances:", txtAllowancesProforma);
  row(p, 3, "Additional Withholding Per Pay Check:", txtAddWagePerChkProforma);
  p->addWidget(chkUnmarriedProforma, 4, 1);
  row(p, 5, "Annual Federal Withholding:", lblAnnualWHProforma);
  p->setRowStretch(6, 1);
  p->setColumnStretch(1, 1);

  // Targeted Withholding.
  auto* targeted = new QWidget;
  auto* t = new QGridLayout(targeted);
  txtWages4RestOfYrTargeted = NewText(targeted, "txtWages4RestOfYrTargeted");
  txtPayPerLeftTargeted = NewText(targeted, "txtPayPerLeftTargeted");
  txtTargWH4RestOfYrTargeted = NewText(targeted, "txtTargWH4RestOfYrTargeted");
  lstFreqTargeted = NewList(targeted, "lstFreqTargeted", kFrequencies, 5);
  txtAllowancesTargeted = NewText(targeted, "txtAllowancesTargeted");
  txtAddWagePerChkTargeted = NewText(targeted, "txtAddWagePerChkTargeted");
  chkUnmarriedTargeted = NewCheck(targeted, "chkUnmarriedTargeted");
  lblWHShort = NewResult(targeted, "lblWHShort");
  row(t, 0, "Wages For Rest Of The Year:", txtWages4RestOfYrTargeted);
  row(t, 1, "Pay Periods For Rest Of Year:", txtPayPerLeftTargeted);
  row(t, 2, "Desired Withholding For Rest Of Year:", txtTargWH4RestOfYrTargeted);
  row(t, 3, "Payroll Frequency:", lstFreqTargeted);
  row(t, 4, "Withholding Allowances:", txtAllowancesTargeted);
  row(t, 5, "Additional Withholding Per Pay Check:", txtAddWagePerChkTargeted);
  t->addWidget(chkUnmarriedTargeted, 6, 1);
  row(t, 7, "Shortage(-Excess) Of Withholding For Year:", lblWHShort);
  t->setRowStretch(8, 1);
  t->setColumnStretch(1, 1);

  // Percentage Method.
  auto* percent = new QWidget;
  auto* c = new QGridLayout(percent);
  txtWagesPercent = NewText(percent, "txtWagesPercent");
  txtAllowancesPercent = NewText(percent, "txtAllowancesPercent");
  lstFreqPercent = NewList(percent, "lstFreqPercent", kFrequencies, 5);
  chkUnmarriedPercent = NewCheck(percent, "chkUnmarriedPercent");
  lblWHPercentMethod = NewResult(percent, "lblWHPercentMethod");
  row(c, 0, "Gross Wages For Pay Period:", txtWagesPercent);
  row(c, 1, "Withholding Allowances:", txtAllowancesPercent);
  row(c, 2, "Payroll Frequency:", lstFreqPercent);
  c->addWidget(chkUnmarriedPercent, 3, 1);
  row(c, 4, "Percentage Method Withholding:", lblWHPercentMethod);
  c->setRowStretch(5, 1);
  c->setColumnStretch(1, 1);

  vsTabIP->addTab(general, tabs[0]);
  vsTabIP->addTab(proforma, tabs[1]);
  vsTabIP->addTab(targeted, tabs[2]);
  vsTabIP->addTab(percent, tabs[3]);

  txtHelp = new QTextEdit(this);
  txtHelp->setObjectName("txtHelp");
  txtHelp->setReadOnly(true);
  txtHelp->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  txtHelp->setFocusPolicy(Qt::NoFocus);
  txtHelp->setFixedHeight(64);

  btnOK = new QPushButton("&OK", this);
  btnOK->setObjectName("btnOK");
  btnCancel = new QPushButton("Ca&ncel", this);
  btnCancel->setObjectName("btnCancel");
  // Enter moves between fields; it must not press a button behind the user's back.
  btnOK->setAutoDefault(false);
  btnCancel->setAutoDefault(false);
  btnFilename->setAutoDefault(false);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(btnOK);
  buttons->addWidget(btnCancel);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(vsTabIP, 1);
  layout->addWidget(txtHelp);
  layout->addLayout(buttons);
  resize(620, 470);
}

void frmIP::Wire() {
  const QList<QWidget*> controls = {lstComputationChoice,
                                    txtName,
                                    txtLine2,
                                    btnFilename,
                                    txtAnnualWages,
                                    lstFreqProforma,
                                    txtAllowancesProforma,
                                    txtAddWagePerChkProforma,
                                    chkUnmarriedProforma,
                                    txtWages4RestOfYrTargeted,
                                    txtPayPerLeftTargeted,
                                    txtTargWH4RestOfYrTargeted,
                                    lstFreqTargeted,
                                    txtAllowancesTargeted,
                                    txtAddWagePerChkTargeted,
                                    chkUnmarriedTargeted,
                                    txtWagesPercent,
                                    txtAllowancesPercent,
                                    lstFreqPercent,
                                    chkUnmarriedPercent};
  for (QWidget* control : controls) control->installEventFilter(this);

  for (const Binding& b : kBindings) {
    auto* box = findChild<QLineEdit*>(b.control);
    const std::string property = b.property;
    connect(box, &QLineEdit::textEdited, this, [this, box, property] {
      if (loading_) return;
      if (ControlExtend::TextChg(app_, box, Object(), property))
        FileOperations::MarkInputsChanged(app_);
    });
  }

  connect(lstComputationChoice, &QListWidget::currentRowChanged, this, [this](int row) {
    if (loading_ || row < 0) return;
    Object().enumComputationType(static_cast<ostrand::eComputationType>(row));
    FileOperations::MarkInputsChanged(app_);
  });
  for (QListWidget* list : {lstFreqProforma, lstFreqTargeted, lstFreqPercent}) {
    connect(list, &QListWidget::currentRowChanged, this, [this](int row) {
      if (loading_ || row < 0) return;
      const bool changed = Object().enumFrequency() != row;
      IPSupport::SyncFrequency(app_, *this, row);
      if (changed) FileOperations::MarkInputsChanged(app_);
    });
  }
  connect(chkUnmarriedProforma, &QCheckBox::clicked, this,
          [this] { UnmarriedSync(chkUnmarriedProforma); });
  connect(chkUnmarriedPercent, &QCheckBox::clicked, this, [this] {
    UnmarriedSync(chkUnmarriedPercent);
    IPSupport::ShowPercentMethWH(app_, *this);
  });

  connect(btnFilename, &QPushButton::clicked, this, [this] {
    FileOperations::SaveAs(app_);
    Object().BeginEdit();
    IPSupport::SetInitialIP(app_, *this);
  });
  connect(btnOK, &QPushButton::clicked, this, [this] {
    if (IPSupport::GetInputs(app_, *this)) accept();
  });
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void frmIP::SetInputProblem(const QString& problem) {
  inputProblem_ = problem;
  if (problem.isEmpty()) {
    txtHelp->setPlainText(currentHelp_);
  } else {
    txtHelp->setPlainText(currentHelp_.isEmpty() ? problem : problem + "\n\n" + currentHelp_);
  }
}

void frmIP::UnmarriedSync(QCheckBox* from) {
  const bool single = from->isChecked();
  if (Object().IsSingle() != single) FileOperations::MarkInputsChanged(app_);
  Object().IsSingle(single);
  for (QCheckBox* box : {chkUnmarriedProforma, chkUnmarriedTargeted, chkUnmarriedPercent}) {
    box->setChecked(single);
  }
}

void frmIP::LoadFromObject() {
  loading_ = true;
  ostrand::_WhBusObj& o = Object();
  lblAnnualWHProforma->clear();
  lblWHShort->clear();
  lblWHPercentMethod->clear();
  txtName->setText(QString::fromStdString(o.sTaxpayer()));
  txtLine2->setText(QString::fromStdString(o.Line2()));
  lstComputationChoice->setCurrentRow(static_cast<int>(o.enumComputationType()));
  const int frequency = static_cast<int>(o.enumFrequency());
  const bool single = o.IsSingle();
  for (QListWidget* list : {lstFreqProforma, lstFreqTargeted, lstFreqPercent}) {
    list->setCurrentRow(frequency);
  }
  for (QCheckBox* box : {chkUnmarriedProforma, chkUnmarriedTargeted, chkUnmarriedPercent}) {
    box->setChecked(single);
  }
  txtAnnualWages->setText(QString::fromStdString(o.sWages4Yr()));
  txtAddWagePerChkProforma->setText(QString::fromStdString(o.sAdditionalPayckWH()));
  txtAllowancesProforma->setText(QString::fromStdString(o.sAllowancesIP()));
  lblAnnualWHProforma->setText("0.00");
  txtAddWagePerChkTargeted->setText(QString::fromStdString(o.sAdditionalPayckWH()));
  txtAllowancesTargeted->setText(QString::fromStdString(o.sAllowancesIP()));
  txtWages4RestOfYrTargeted->setText(QString::fromStdString(o.sRemainingWages()));
  txtPayPerLeftTargeted->setText(QString::fromStdString(o.sRemainingPeriods()));
  txtTargWH4RestOfYrTargeted->setText(QString::fromStdString(o.sTargetedWH4Yr()));
  txtAllowancesPercent->setText(QString::fromStdString(o.sAllowancesIP()));
  txtWagesPercent->setText(QString::fromStdString(o.sWagesPercent()));
  loading_ = false;
  o.BeginEdit();
}

bool frmIP::eventFilter(QObject* watched, QEvent* event) {
  auto* control = qobject_cast<QWidget*>(watched);
  if (!control) return QDialog::eventFilter(watched, event);
  switch (event->type()) {
    case QEvent::FocusIn: {
      // Focus coming back after a message box or another window is not a new entry.
      const auto reason = static_cast<QFocusEvent*>(event)->reason();
      if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
        Entered(control);
      }
      break;
    }
    case QEvent::FocusOut: {
      const auto reason = static_cast<QFocusEvent*>(event)->reason();
      if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) Left(control);
      break;
    }
    case QEvent::KeyPress: {
      if (control == btnFilename) break;
      auto* key = static_cast<QKeyEvent*>(event);
      if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        int code = 13;
        ControlExtend::EnterToTab(code, control);
        if (code == 0) return true;
      }
      break;
    }
    default:
      break;
  }
  return QDialog::eventFilter(watched, event);
}

void frmIP::Entered(QWidget* control) {
  const QString name = control->objectName();
  if (control != lstComputationChoice && control != btnFilename) IPSupport::ChkTab(app_, *this);
  if (qobject_cast<QLineEdit*>(control)) ControlExtend::SelectText(control);
  currentHelp_ = HelpTextFor(name);
  SetInputProblem(inputProblem_);
  if (auto* list = qobject_cast<QListWidget*>(control); list && IsFrequencyList(name)) {
    if (list->currentRow() >= 0) IPSupport::SyncFrequency(app_, *this, list->currentRow());
  }
}

void frmIP::Left(QWidget* control) {
  ostrand::_WhBusObj& o = Object();
  auto reread = [&o](QLineEdit* box) {
    box->setText(QString::fromStdString(ControlExtend::GetProp(o, PropertyOf(box))));
  };
  if (control == txtName || control == txtLine2) {
    reread(static_cast<QLineEdit*>(control));
  } else if (control == txtAnnualWages || control == txtAllowancesProforma ||
             control == txtAddWagePerChkProforma) {
    reread(static_cast<QLineEdit*>(control));
    IPSupport::ShowProformaWH(app_, *this);
  } else if (control == txtWages4RestOfYrTargeted || control == txtPayPerLeftTargeted ||
             control == txtTargWH4RestOfYrTargeted || control == txtAddWagePerChkTargeted) {
    reread(static_cast<QLineEdit*>(control));
    IPSupport::ShowTargeted(app_, *this);
  } else if (control == txtAllowancesTargeted) {
    IPSupport::ShowTargeted(app_, *this);
  } else if (control == txtWagesPercent) {
    reread(txtWagesPercent);
    IPSupport::ShowPercentMethWH(app_, *this);
  } else if (control == txtAllowancesPercent) {
    IPSupport::ShowPercentMethWH(app_, *this);
  } else if (control == lstComputationChoice) {
    if (lstComputationChoice->currentRow() >= 0) {
      o.enumComputationType(
          static_cast<ostrand::eComputationType>(lstComputationChoice->currentRow()));
    }
  } else if (control == lstFreqProforma || control == lstFreqTargeted) {
    auto* list = static_cast<QListWidget*>(control);
    if (list->currentRow() >= 0) {
      o.enumFrequency(static_cast<ostrand::eFrequency>(list->currentRow()));
      IPSupport::SyncFrequency(app_, *this, list->currentRow());
    }
    if (control == lstFreqProforma) {
      IPSupport::ShowProformaWH(app_, *this);
    } else {
      IPSupport::ShowTargeted(app_, *this);
    }
  } else if (control == lstFreqPercent) {
    if (lstFreqPercent->currentRow() >= 0) {
      IPSupport::SyncFrequency(app_, *this, lstFreqPercent->currentRow());
    }
    IPSupport::ShowPercentMethWH(app_, *this);
  } else if (control == chkUnmarriedProforma) {
    if (o.IsSingle() != chkUnmarriedProforma->isChecked()) FileOperations::MarkInputsChanged(app_);
    o.IsSingle(chkUnmarriedProforma->isChecked());
    IPSupport::ShowProformaWH(app_, *this);
  } else if (control == chkUnmarriedTargeted) {
    UnmarriedSync(chkUnmarriedTargeted);
    IPSupport::ShowTargeted(app_, *this);
  }
}

}  // namespace corvala
