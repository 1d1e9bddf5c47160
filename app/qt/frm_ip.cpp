#include "qt/frm_ip.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTextEdit>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>
#include <string_view>

#include "core/app.h"
#include "core/file_operations.h"
#include "ostrand/paycheck.h"
#include "ostrand/wh_bus_obj.h"
#include "qel/text.h"
#include "qel/textnum.h"
#include "qt/control_extend.h"
#include "qt/icons.h"
#include "qt/ip_support.h"

namespace corvala {

namespace {

constexpr const char* kContext = "corvala::frmIP";

const char* const kFrequencies[] = {
    QT_TRANSLATE_NOOP("corvala::frmIP", "Weekly"),
    QT_TRANSLATE_NOOP("corvala::frmIP", "Biweekly"),
    QT_TRANSLATE_NOOP("corvala::frmIP", "Semimonthly"),
    QT_TRANSLATE_NOOP("corvala::frmIP", "Monthly"),
    QT_TRANSLATE_NOOP("corvala::frmIP", "Annually"),
};
const char* const kComputations[] = {
    QT_TRANSLATE_NOOP("corvala::frmIP", "W-2 Proforma"),
    QT_TRANSLATE_NOOP("corvala::frmIP", "Targeted Withholding"),
    QT_TRANSLATE_NOOP("corvala::frmIP", "Percentage Method Withholding"),
};
const char* const kTabs[] = {
    QT_TRANSLATE_NOOP("corvala::frmIP", "&General Information"),
    QT_TRANSLATE_NOOP("corvala::frmIP", "&W-2 Proforma"),
    QT_TRANSLATE_NOOP("corvala::frmIP", "&Targeted Withholding"),
    QT_TRANSLATE_NOOP("corvala::frmIP", "&Percentage Method"),
};

constexpr const char* kAllowancesHelp = QT_TRANSLATE_NOOP(
    "corvala::frmIP",
    "Enter the number of withholding allowances that you want to use for this computation.");
constexpr const char* kAdditionalHelp =
    QT_TRANSLATE_NOOP("corvala::frmIP",
                      "Enter the additional withholding that the employee would want withheld. "
                      "This would be additional to the withholding based on the allowances.");
constexpr const char* kFrequencyHelp = QT_TRANSLATE_NOOP(
    "corvala::frmIP", "Click on the appropriate payroll frequency, if it is not already selected.");
constexpr const char* kUnmarriedHelp = QT_TRANSLATE_NOOP(
    "corvala::frmIP",
    "Check the box if the employee is going to indicate an unmarried status on the W-4 form.");
constexpr const char* kAllowances = QT_TRANSLATE_NOOP("corvala::frmIP", "Withholding Allowances:");
constexpr const char* kAdditional =
    QT_TRANSLATE_NOOP("corvala::frmIP", "Additional Withholding Per Pay Check:");
constexpr const char* kFrequency = QT_TRANSLATE_NOOP("corvala::frmIP", "Payroll Frequency:");
constexpr const char* kUnmarried = QT_TRANSLATE_NOOP("corvala::frmIP", "Check If Unmarried");

// The tax year and the Form W-4: the same rows on each computation tab.
const char* const kW4Forms[] = {
    QT_TRANSLATE_NOOP("corvala::frmIP", "2020 Or Later"),
    QT_TRANSLATE_NOOP("corvala::frmIP", "2019 Or Earlier"),
};
const char* const kW4Statuses[] = {
    QT_TRANSLATE_NOOP("corvala::frmIP", "Single Or Married Filing Separately"),
    QT_TRANSLATE_NOOP("corvala::frmIP", "Married Filing Jointly"),
    QT_TRANSLATE_NOOP("corvala::frmIP", "Head Of Household"),
};
constexpr const char* kTaxYear = QT_TRANSLATE_NOOP("corvala::frmIP", "Tax Year:");
constexpr const char* kTaxYearHelp =
    QT_TRANSLATE_NOOP("corvala::frmIP",
                      "Choose the tax year. The computation uses the withholding tables of that "
                      "year; the years listed are those whose tables are installed.");
constexpr const char* kW4Form = QT_TRANSLATE_NOOP("corvala::frmIP", "Form W-4:");
constexpr const char* kW4FormHelp = QT_TRANSLATE_NOOP(
    "corvala::frmIP",
    "Choose the kind of Form W-4 the employee gave: the form used from 2020 on, or a form from "
    "2019 or earlier (allowances and an unmarried status), which employers still honour.");
constexpr const char* kW4Status = QT_TRANSLATE_NOOP("corvala::frmIP", "Filing Status:");
constexpr const char* kW4StatusHelp = QT_TRANSLATE_NOOP(
    "corvala::frmIP",
    "Choose the filing status the employee checked in Step 1(c) of the Form W-4.");
constexpr const char* kStep2 =
    QT_TRANSLATE_NOOP("corvala::frmIP", "Step 2: Multiple Jobs Or Spouse Works");
constexpr const char* kStep2Help = QT_TRANSLATE_NOOP(
    "corvala::frmIP",
    "Check the box if the employee checked the box in Step 2(c) of the Form W-4: more than one "
    "job at a time, or married filing jointly with a spouse who also works.");
constexpr const char* kStep3 = QT_TRANSLATE_NOOP("corvala::frmIP", "Step 3 Credits:");
constexpr const char* kStep3Help = QT_TRANSLATE_NOOP(
    "corvala::frmIP",
    "Enter the amount of Step 3 of the Form W-4: the employee's credits for dependents and other "
    "credits for the year.");
constexpr const char* kStep4a = QT_TRANSLATE_NOOP("corvala::frmIP", "Step 4(a) Other Income:");
constexpr const char* kStep4aHelp = QT_TRANSLATE_NOOP(
    "corvala::frmIP",
    "Enter the amount of Step 4(a) of the Form W-4: other income for the year that has no "
    "withholding.");
constexpr const char* kStep4b = QT_TRANSLATE_NOOP("corvala::frmIP", "Step 4(b) Deductions:");
constexpr const char* kStep4bHelp = QT_TRANSLATE_NOOP(
    "corvala::frmIP",
    "Enter the amount of Step 4(b) of the Form W-4: the deductions the employee expects for the "
    "year beyond the standard deduction.");
constexpr const char* kStep4c = QT_TRANSLATE_NOOP("corvala::frmIP", "Step 4(c) Extra Withholding:");
constexpr const char* kStep4cHelp = QT_TRANSLATE_NOOP(
    "corvala::frmIP",
    "Enter the amount of Step 4(c) of the Form W-4: the extra withholding the employee wants "
    "from each pay check.");
constexpr const char* kForm2020Box =
    QT_TRANSLATE_NOOP("corvala::frmIP", "Form W-4 From 2020 Or Later");

using K = FieldKind;
using S = ShownFor;
constexpr FieldSpec kFields[] = {
    {0, K::ComputationList, "lstComputationChoice",
     QT_TRANSLATE_NOOP("corvala::frmIP", "Choose Desired Computation:"), "enumComputationType",
     QT_TRANSLATE_NOOP("corvala::frmIP",
                       "This program can make three types of computations. Choose the type of "
                       "computation that you need.")},
    {0, K::Text, "txtName", QT_TRANSLATE_NOOP("corvala::frmIP", "Employee's Name:"), "sTaxpayer",
     QT_TRANSLATE_NOOP("corvala::frmIP",
                       "Enter the name of the employee. This input is optional.")},
    {0, K::Text, "txtLine2", QT_TRANSLATE_NOOP("corvala::frmIP", "Optional Second Line:"), "Line2",
     QT_TRANSLATE_NOOP("corvala::frmIP",
                       "Enter the information that you would like printed on each report below "
                       "the name of the employee. This input is optional.")},
    {0, K::FileName, "btnFilename", QT_TRANSLATE_NOOP("corvala::frmIP", "Change or set filename"),
     "",
     QT_TRANSLATE_NOOP("corvala::frmIP",
                       "You can change or choose a filename by clicking on the button.")},

    {1, K::TaxYearList, "lstTaxYearProforma", kTaxYear, "sTaxYear", kTaxYearHelp},
    {1, K::W4FormList, "lstW4FormProforma", kW4Form, "enumW4Form", kW4FormHelp, S::Years2020On},
    {1, K::Money, "txtAnnualWages",
     QT_TRANSLATE_NOOP("corvala::frmIP", "Annual Wages Subject To Federal Withholding: "),
     "sWages4Yr",
     QT_TRANSLATE_NOOP("corvala::frmIP",
                       "Enter the gross wages that are projected to be on the W-2.")},
    {1, K::FrequencyList, "lstFreqProforma", kFrequency, "enumFrequency", kFrequencyHelp},
    {1, K::Count, "txtAllowancesProforma", kAllowances, "sAllowancesIP", kAllowancesHelp,
     S::EarlierForm},
    {1, K::Money, "txtAddWagePerChkProforma", kAdditional, "sAdditionalPayckWH", kAdditionalHelp,
     S::EarlierForm},
    {1, K::Unmarried, "chkUnmarriedProforma", kUnmarried, "IsSingle", kUnmarriedHelp,
     S::EarlierForm},
    {1, K::W4StatusList, "lstW4StatusProforma", kW4Status, "enumW4Status", kW4StatusHelp,
     S::Form2020},
    {1, K::Step2Box, "chkStep2Proforma", kStep2, "IsStep2Checked", kStep2Help, S::Form2020},
    {1, K::Money, "txtStep3Proforma", kStep3, "sStep3Credits", kStep3Help, S::Form2020},
    {1, K::Money, "txtStep4aProforma", kStep4a, "sStep4aOtherIncome", kStep4aHelp, S::Form2020},
    {1, K::Money, "txtStep4bProforma", kStep4b, "sStep4bDeductions", kStep4bHelp, S::Form2020},
    {1, K::Money, "txtStep4cProforma", kStep4c, "sAdditionalPayckWH", kStep4cHelp, S::Form2020},
    {1, K::Result, "lblAnnualWHProforma",
     QT_TRANSLATE_NOOP("corvala::frmIP", "Annual Federal Withholding:"), "sPerYrWHProforma", ""},

    {2, K::TaxYearList, "lstTaxYearTargeted", kTaxYear, "sTaxYear", kTaxYearHelp},
    {2, K::W4FormList, "lstW4FormTargeted", kW4Form, "enumW4Form", kW4FormHelp, S::Years2020On},
    {2, K::Money, "txtWages4RestOfYrTargeted",
     QT_TRANSLATE_NOOP("corvala::frmIP", "Wages For Rest Of The Year:"), "sRemainingWages",
     QT_TRANSLATE_NOOP("corvala::frmIP", "Enter the wages anticipated for the rest of the year.")},
    {2, K::Count, "txtPayPerLeftTargeted",
     QT_TRANSLATE_NOOP("corvala::frmIP", "Pay Periods For Rest Of Year:"), "sRemainingPeriods",
     QT_TRANSLATE_NOOP("corvala::frmIP", "Enter the number of pay periods left in the year.")},
    {2, K::Money, "txtTargWH4RestOfYrTargeted",
     QT_TRANSLATE_NOOP("corvala::frmIP", "Desired Withholding For Rest Of Year:"), "sTargetedWH4Yr",
     QT_TRANSLATE_NOOP("corvala::frmIP",
                       "Enter desired amount of withholding for the rest of the year.")},
    {2, K::FrequencyList, "lstFreqTargeted", kFrequency, "enumFrequency", kFrequencyHelp},
    {2, K::Count, "txtAllowancesTargeted", kAllowances, "sAllowancesIP", kAllowancesHelp,
     S::EarlierForm},
    {2, K::Money, "txtAddWagePerChkTargeted", kAdditional, "sAdditionalPayckWH", kAdditionalHelp,
     S::EarlierForm},
    {2, K::Unmarried, "chkUnmarriedTargeted", kUnmarried, "IsSingle", kUnmarriedHelp,
     S::EarlierForm},
    {2, K::W4StatusList, "lstW4StatusTargeted", kW4Status, "enumW4Status", kW4StatusHelp,
     S::Form2020},
    {2, K::Step2Box, "chkStep2Targeted", kStep2, "IsStep2Checked", kStep2Help, S::Form2020},
    {2, K::Money, "txtStep3Targeted", kStep3, "sStep3Credits", kStep3Help, S::Form2020},
    {2, K::Money, "txtStep4aTargeted", kStep4a, "sStep4aOtherIncome", kStep4aHelp, S::Form2020},
    {2, K::Money, "txtStep4bTargeted", kStep4b, "sStep4bDeductions", kStep4bHelp, S::Form2020},
    {2, K::Money, "txtStep4cTargeted", kStep4c, "sAdditionalPayckWH", kStep4cHelp, S::Form2020},
    {2, K::Result, "lblWHShort",
     QT_TRANSLATE_NOOP("corvala::frmIP", "Shortage(-Excess) Of Withholding For Year:"),
     "sShortage4Yr", ""},

    {3, K::TaxYearList, "lstTaxYearPercent", kTaxYear, "sTaxYear", kTaxYearHelp},
    {3, K::W4FormList, "lstW4FormPercent", kW4Form, "enumW4Form", kW4FormHelp, S::Years2020On},
    {3, K::Money, "txtWagesPercent",
     QT_TRANSLATE_NOOP("corvala::frmIP", "Gross Wages For Pay Period:"), "sWagesPercent",
     QT_TRANSLATE_NOOP("corvala::frmIP",
                       "Enter the Gross Wage for the pay period. The program will compute the "
                       "withholding using the percentage method.")},
    {3, K::Count, "txtAllowancesPercent", kAllowances, "sAllowancesIP", kAllowancesHelp,
     S::EarlierForm},
    {3, K::FrequencyList, "lstFreqPercent", kFrequency, "enumFrequency", kFrequencyHelp},
    {3, K::Unmarried, "chkUnmarriedPercent", kUnmarried, "IsSingle", kUnmarriedHelp,
     S::EarlierForm},
    // The percentage method's result is before any extra withholding: no Step 4(c) here.
    {3, K::W4StatusList, "lstW4StatusPercent", kW4Status, "enumW4Status", kW4StatusHelp,
     S::Form2020},
    {3, K::Step2Box, "chkStep2Percent", kStep2, "IsStep2Checked", kStep2Help, S::Form2020},
    {3, K::Money, "txtStep3Percent", kStep3, "sStep3Credits", kStep3Help, S::Form2020},
    {3, K::Money, "txtStep4aPercent", kStep4a, "sStep4aOtherIncome", kStep4aHelp, S::Form2020},
    {3, K::Money, "txtStep4bPercent", kStep4b, "sStep4bDeductions", kStep4bHelp, S::Form2020},
    {3, K::Result, "lblWHPercentMethod",
     QT_TRANSLATE_NOOP("corvala::frmIP", "Percentage Method Withholding:"), "sWHPercentMethod", ""},
};

QString Tr(const char* text) {
  return QCoreApplication::translate(kContext, text);
}

// The first tax year of the 2020 Form W-4, from which a case may have either kind of form.
constexpr int kFirstYearOfW4Kinds = 2020;

bool IsTextBox(FieldKind kind) {
  return kind == K::Text || kind == K::Money || kind == K::Count;
}

// A drop-down list or the Step 2 box: a choice whose value is the property's text.
bool IsChoice(FieldKind kind) {
  return kind == K::TaxYearList || kind == K::W4FormList || kind == K::W4StatusList ||
         kind == K::Step2Box;
}

// A drop-down list whose items carry the property's text for each: the enumeration's number.
QComboBox* NewChoiceList(QWidget* parent, const char* const* items, int count) {
  auto* list = new QComboBox(parent);
  for (int i = 0; i < count; ++i) list->addItem(Tr(items[i]), QString::number(i));
  return list;
}

// The tax years whose tables are installed, newest first.
QComboBox* NewYearList(QWidget* parent) {
  auto* list = new QComboBox(parent);
  const std::vector<int> years = ostrand::AvailableYears();
  for (auto year = years.rbegin(); year != years.rend(); ++year) {
    list->addItem(QString::number(*year), QString::number(*year));
  }
  return list;
}

// The property text a choice holds; empty when a list has no item chosen.
QString ChoiceValue(const QWidget* control) {
  if (const auto* list = qobject_cast<const QComboBox*>(control)) {
    return list->currentData().toString();
  }
  return QString::fromStdString(qel::BoolText(static_cast<const QCheckBox*>(control)->isChecked()));
}

// Shows a property's text in a choice. A value the list lacks (a case of a year whose tables are
// not installed) is added, so the case shows what it holds; years stay newest first.
void ShowChoiceValue(QWidget* control, FieldKind kind, const QString& value) {
  auto* list = qobject_cast<QComboBox*>(control);
  if (!list) {
    static_cast<QCheckBox*>(control)->setChecked(qel::ToBool(value.toStdString()));
    return;
  }
  int index = list->findData(value);
  if (index < 0) {
    index = kind == K::TaxYearList ? 0 : list->count();
    while (index < list->count() && list->itemData(index).toString().toInt() > value.toInt()) {
      ++index;
    }
    list->insertItem(index, value, value);
  }
  list->setCurrentIndex(index);
}

QListWidget* NewList(QWidget* parent, const char* const* items, int count) {
  auto* list = new QListWidget(parent);
  for (int i = 0; i < count; ++i) list->addItem(Tr(items[i]));
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  const int rowHeight = list->sizeHintForRow(0) > 0 ? list->sizeHintForRow(0) : 18;
  list->setFixedHeight(rowHeight * count + 2 * list->frameWidth() + 4);
  return list;
}

QLabel* NewResult(QWidget* parent) {
  auto* label = new QLabel(parent);
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

// The control of one row, made for its kind; the file-name row makes its button here and its
// label in the caller.
QWidget* NewControl(QWidget* page, const FieldSpec& field) {
  QWidget* control = nullptr;
  switch (field.kind) {
    case K::Text:
    case K::Money:
    case K::Count:
      control = new QLineEdit(page);
      break;
    case K::ComputationList:
      control = NewList(page, kComputations, std::size(kComputations));
      break;
    case K::FrequencyList:
      control = NewList(page, kFrequencies, std::size(kFrequencies));
      break;
    case K::Unmarried:
    case K::Step2Box:
      control = new QCheckBox(Tr(field.caption), page);
      break;
    case K::TaxYearList:
      control = NewYearList(page);
      break;
    case K::W4FormList:
      control = NewChoiceList(page, kW4Forms, std::size(kW4Forms));
      break;
    case K::W4StatusList:
      control = NewChoiceList(page, kW4Statuses, std::size(kW4Statuses));
      break;
    case K::Result:
      control = NewResult(page);
      break;
    case K::FileName: {
      auto* button = new QPushButton(Tr(field.caption), page);
      button->setAutoDefault(false);
      control = button;
      break;
    }
  }
  control->setObjectName(field.name);
  return control;
}

// While it lives, the message box the form puts up (the tab-mismatch warning) leaves no typed key
// lost: the box does not block the form's window, so keys the window system still sends to the
// form before the box has the keyboard arrive, and this filter keeps the text keys sent to
// either window for Replay, which types them into a control. Enter, Escape, Space and Tab answer
// the box wherever they are sent; mouse clicks and closing do not reach the form meanwhile.
class KeysForField : public QObject {
 public:
  explicit KeysForField(QWidget* form) : form_(form) { qApp->installEventFilter(this); }
  ~KeysForField() override { qApp->removeEventFilter(this); }

  void Replay(QWidget* control) {
    qApp->removeEventFilter(this);
    for (const Key& key : keys_) {
      QKeyEvent press(QEvent::KeyPress, key.code, key.modifiers, key.text);
      QCoreApplication::sendEvent(control, &press);
      QKeyEvent release(QEvent::KeyRelease, key.code, key.modifiers, key.text);
      QCoreApplication::sendEvent(control, &release);
    }
    keys_.clear();
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (!watched->isWidgetType()) return false;
    auto* widget = static_cast<QWidget*>(watched);
    if (event->type() == QEvent::Show && widget->isWindow() && widget != form_ &&
        widget->testAttribute(Qt::WA_ShowModal)) {
      // Still before the window appears: shown without blocking the form, and as a window of
      // the form's, which the form (itself modal) therefore does not block either.
      widget->setWindowModality(Qt::NonModal);
      if (QWindow* handle = widget->windowHandle(); handle && form_->windowHandle()) {
        handle->setTransientParent(form_->windowHandle());
      }
      box_ = widget;
      return false;
    }
    if (box_.isNull() || !box_->isVisible()) return false;
    const bool atForm = widget->window() == form_;
    switch (event->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::Wheel:
      case QEvent::Close:
        if (!atForm) return false;
        event->ignore();
        return true;
      case QEvent::KeyRelease:
        return atForm;
      case QEvent::KeyPress:
        break;
      default:
        return false;
    }
    if (!atForm && widget->window() != box_) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    const QString text = key->text();
    if (text.isEmpty() || !text.front().isPrint() || key->key() == Qt::Key_Space) {
      if (!atForm) return false;
      QKeyEvent answer(QEvent::KeyPress, key->key(), key->modifiers(), text);
      QCoreApplication::sendEvent(box_->focusWidget() ? box_->focusWidget() : box_.data(), &answer);
      return true;
    }
    // The first widget a key reaches keeps it, so each key counts once.
    keys_.push_back({key->key(), key->modifiers(), text});
    return true;
  }

 private:
  struct Key {
    int code;
    Qt::KeyboardModifiers modifiers;
    QString text;
  };
  QWidget* form_;
  QPointer<QWidget> box_;
  std::vector<Key> keys_;
};

}  // namespace

std::span<const FieldSpec> InputFields() {
  return kFields;
}

const FieldSpec* FieldNamed(const QString& name) {
  for (const FieldSpec& field : kFields) {
    if (name == field.name) return &field;
  }
  return nullptr;
}

QString HelpTextFor(const QString& name) {
  const FieldSpec* field = FieldNamed(name);
  return field && *field->help ? Tr(field->help) : QString();
}

frmIP::frmIP(App& app, QWidget* parent) : QDialog(parent), app_(app) {
  setObjectName("frmIP");
  setWindowTitle(tr("Inputs"));
  setWindowIcon(ProgramIcon());
  Build();
  BindControls();
  Wire();
}

frmIP::~frmIP() = default;

ostrand::_WhBusObj& frmIP::Object() {
  return *app_.state.withholding;
}

std::string frmIP::PropertyOf(const QWidget* control) {
  const FieldSpec* field = FieldNamed(control->objectName());
  return field && IsTextBox(field->kind) ? field->property : std::string();
}

QString frmIP::InputCaption(const QLineEdit* box) const {
  const FieldSpec* field = FieldNamed(box->objectName());
  if (!field) return box->objectName();
  QString caption = Tr(field->caption);
  caption.remove('&');
  caption = caption.trimmed();
  if (caption.endsWith(':')) caption.chop(1);
  return caption;
}

std::vector<QLineEdit*> frmIP::NumberInputs(int tab) {
  std::vector<QLineEdit*> boxes;
  for (const FieldSpec& field : kFields) {
    if (field.tab == tab && (field.kind == K::Money || field.kind == K::Count) &&
        Shows(field.shown)) {
      boxes.push_back(findChild<QLineEdit*>(field.name));
    }
  }
  return boxes;
}

template <typename T>
std::vector<T*> frmIP::ControlsOf(FieldKind kind) const {
  std::vector<T*> controls;
  for (const FieldSpec& field : kFields) {
    if (field.kind == kind) controls.push_back(findChild<T*>(field.name));
  }
  return controls;
}

void frmIP::Build() {
  vsTabIP = new QTabWidget(this);
  vsTabIP->setObjectName("vsTabIP");
  // One row: the control, and the label beside it. In the narrow Form W-4 box a drop-down list
  // stands under its label, across the box, and a check box spans the box. Returns the next row.
  auto place = [](QWidget* parent, QGridLayout* grid, int row, const FieldSpec& field) {
    QWidget* control = NewControl(parent, field);
    const bool inBox = field.shown == ShownFor::Form2020;
    if (field.kind == K::FileName) {
      auto* label = new QLabel(parent);
      label->setObjectName("lblFilename");
      label->setWordWrap(true);
      label->setTextInteractionFlags(Qt::TextSelectableByMouse);
      grid->addWidget(control, row, 0);
      grid->addWidget(label, row, 1);
    } else if (field.kind == K::Unmarried || field.kind == K::Step2Box) {
      if (inBox) {
        grid->addWidget(control, row, 0, 1, 2);
      } else {
        grid->addWidget(control, row, 1);
      }
    } else {
      auto* label = new QLabel(Tr(field.caption), parent);
      label->setBuddy(control);
      if (inBox && qobject_cast<QComboBox*>(control)) {
        grid->addWidget(label, row++, 0, 1, 2);
        grid->addWidget(control, row, 0, 1, 2);
      } else {
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        grid->addWidget(label, row, 0, Qt::AlignRight | Qt::AlignTop);
        grid->addWidget(control, row, 1);
      }
    }
    return row + 1;
  };
  for (int tab = 0; tab < static_cast<int>(std::size(kTabs)); ++tab) {
    auto* page = new QWidget;
    auto* columns = new QHBoxLayout(page);
    auto* grid = new QGridLayout;
    columns->addLayout(grid, 3);
    // The entries of a 2020-or-later Form W-4 stand in a box of their own beside the others.
    QGroupBox* form2020 = nullptr;
    QGridLayout* form2020Grid = nullptr;
    int row = 0;
    int form2020Row = 0;
    for (const FieldSpec& field : kFields) {
      if (field.tab != tab) continue;
      if (field.shown != ShownFor::Form2020) {
        row = place(page, grid, row, field);
        continue;
      }
      if (!form2020) {
        form2020 = new QGroupBox(Tr(kForm2020Box), page);
        form2020Grid = new QGridLayout(form2020);
        form2020Grid->setColumnStretch(1, 1);
        columns->addWidget(form2020, 2, Qt::AlignTop);
        form2020Boxes_.push_back(form2020);
      }
      form2020Row = place(form2020, form2020Grid, form2020Row, field);
    }
    grid->setRowStretch(row, 1);
    grid->setColumnStretch(1, 1);
    // A page larger than the room the screen leaves (a large scale factor) scrolls; moving the
    // focus to a control scrolls it into view.
    auto* scroll = new QScrollArea;
    scroll->setObjectName(QString("scrollTab%1").arg(tab));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setFocusPolicy(Qt::NoFocus);  // the focus goes to the controls, not to their frame
    scroll->setWidgetResizable(true);
    scroll->setWidget(page);
    vsTabIP->addTab(scroll, Tr(kTabs[tab]));
  }

  txtHelp = new QTextEdit(this);
  txtHelp->setObjectName("txtHelp");
  txtHelp->setReadOnly(true);
  txtHelp->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  txtHelp->setFocusPolicy(Qt::NoFocus);
  txtHelp->setFixedHeight(64);

  btnOK = new QPushButton(tr("&OK"), this);
  btnOK->setObjectName("btnOK");
  btnCancel = new QPushButton(tr("Ca&ncel"), this);
  btnCancel->setObjectName("btnCancel");
  // Enter moves between fields; it must not press a button behind the user's back. Enter on a
  // button that has the focus presses that button (the event filter).
  btnOK->setAutoDefault(false);
  btnCancel->setAutoDefault(false);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(btnOK);
  buttons->addWidget(btnCancel);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(vsTabIP, 1);
  layout->addWidget(txtHelp);
  layout->addLayout(buttons);
  resize(760, 470);
}

void frmIP::BindControls() {
  auto text = [this](const char* name) { return findChild<QLineEdit*>(name); };
  auto list = [this](const char* name) { return findChild<QListWidget*>(name); };
  auto check = [this](const char* name) { return findChild<QCheckBox*>(name); };
  auto label = [this](const char* name) { return findChild<QLabel*>(name); };
  lstComputationChoice = list("lstComputationChoice");
  txtName = text("txtName");
  txtLine2 = text("txtLine2");
  btnFilename = findChild<QPushButton*>("btnFilename");
  lblFilename = label("lblFilename");
  txtAnnualWages = text("txtAnnualWages");
  lstFreqProforma = list("lstFreqProforma");
  txtAllowancesProforma = text("txtAllowancesProforma");
  txtAddWagePerChkProforma = text("txtAddWagePerChkProforma");
  chkUnmarriedProforma = check("chkUnmarriedProforma");
  lblAnnualWHProforma = label("lblAnnualWHProforma");
  txtWages4RestOfYrTargeted = text("txtWages4RestOfYrTargeted");
  txtPayPerLeftTargeted = text("txtPayPerLeftTargeted");
  txtTargWH4RestOfYrTargeted = text("txtTargWH4RestOfYrTargeted");
  lstFreqTargeted = list("lstFreqTargeted");
  txtAllowancesTargeted = text("txtAllowancesTargeted");
  txtAddWagePerChkTargeted = text("txtAddWagePerChkTargeted");
  chkUnmarriedTargeted = check("chkUnmarriedTargeted");
  lblWHShort = label("lblWHShort");
  txtWagesPercent = text("txtWagesPercent");
  txtAllowancesPercent = text("txtAllowancesPercent");
  lstFreqPercent = list("lstFreqPercent");
  chkUnmarriedPercent = check("chkUnmarriedPercent");
  lblWHPercentMethod = label("lblWHPercentMethod");
}

void frmIP::Wire() {
  for (const FieldSpec& field : kFields) {
    if (field.kind != K::Result) findChild<QWidget*>(field.name)->installEventFilter(this);
  }
  btnOK->installEventFilter(this);
  btnCancel->installEventFilter(this);
  connect(vsTabIP, &QTabWidget::currentChanged, this, [this] { ShowProblemOfTab(); });
  // Leaving a tab (its page hides) ends the visit.
  for (int tab = 0; tab < vsTabIP->count(); ++tab) vsTabIP->widget(tab)->installEventFilter(this);

  for (const FieldSpec& field : kFields) {
    if (!IsTextBox(field.kind)) continue;
    auto* box = findChild<QLineEdit*>(field.name);
    connect(box, &QLineEdit::textEdited, this, [this, box, &field] {
      if (loading_) return;
      const std::string property = field.property;
      if (ControlExtend::TextChg(app_, box, Object(), property)) {
        FileOperations::MarkInputsChanged(app_);
      }
      // The other boxes of the same input show what this one shows.
      for (const FieldSpec& other : kFields) {
        if (other.property != property || other.name == box->objectName()) continue;
        if (auto* otherBox = findChild<QLineEdit*>(other.name)) otherBox->setText(box->text());
      }
      // The result follows the typing; the box keeps the text as typed until it is left.
      RecomputeAll(HandingTab(&field), box);
    });
  }

  connect(lstComputationChoice, &QListWidget::currentRowChanged, this, [this](int row) {
    if (loading_ || row < 0) return;
    Object().enumComputationType(static_cast<ostrand::eComputationType>(row));
    FileOperations::MarkInputsChanged(app_);
  });
  for (QListWidget* list : ControlsOf<QListWidget>(K::FrequencyList)) {
    connect(list, &QListWidget::currentRowChanged, this, [this](int row) {
      if (loading_ || row < 0) return;
      const bool changed = Object().enumFrequency() != row;
      IPSupport::SyncFrequency(app_, *this, row);
      if (changed) FileOperations::MarkInputsChanged(app_);
      RecomputeAll(HandingTab(nullptr));
    });
  }
  for (const FieldSpec& field : kFields) {
    if (!IsChoice(field.kind)) continue;
    QWidget* control = findChild<QWidget*>(field.name);
    if (auto* list = qobject_cast<QComboBox*>(control)) {
      connect(list, &QComboBox::currentIndexChanged, this,
              [this, &field, list] { ChoiceMade(field, list); });
    } else {
      connect(static_cast<QCheckBox*>(control), &QCheckBox::toggled, this,
              [this, &field, control] { ChoiceMade(field, control); });
    }
  }
  // Every unmarried box takes the others along at once, so all tabs show the same status.
  for (QCheckBox* box : ControlsOf<QCheckBox>(K::Unmarried)) {
    connect(box, &QCheckBox::clicked, this, [this, box] {
      UnmarriedSync(box);
      RecomputeAll(HandingTab(nullptr));
    });
  }

  connect(btnFilename, &QPushButton::clicked, this, [this] {
    // The case saved under its new name is what Cancel returns to from now on.
    if (FileOperations::SaveAs(app_)) KeepForCancel();
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
  for (QCheckBox* box : ControlsOf<QCheckBox>(K::Unmarried)) box->setChecked(single);
}

void frmIP::ChoiceMade(const FieldSpec& field, QWidget* control) {
  if (loading_) return;
  const std::string value = ChoiceValue(control).toStdString();
  if (value.empty()) return;
  ostrand::_WhBusObj& o = Object();
  if (ostrand::GetProperty(o, field.property) != value) {
    ostrand::LetProperty(o, field.property, value);
    FileOperations::MarkInputsChanged(app_);
  }
  ShowChoice(field.property);
  ShowRowsOfCase();
  RecomputeAll(HandingTab(&field));
}

void frmIP::ShowChoice(const std::string& property) {
  const QString value = QString::fromStdString(ostrand::GetProperty(Object(), property));
  for (const FieldSpec& field : kFields) {
    if (!IsChoice(field.kind) || field.property != property) continue;
    auto* control = findChild<QWidget*>(field.name);
    const QSignalBlocker quiet(control);
    ShowChoiceValue(control, field.kind, value);
  }
}

bool frmIP::Shows(ShownFor rows) {
  if (rows == ShownFor::Always) return true;
  ostrand::_WhBusObj& o = Object();
  const bool from2020 = IPSupport::CaseYear(o) >= kFirstYearOfW4Kinds;
  const bool form2020 = from2020 && o.enumW4Form() == ostrand::W4Form::k2020OrLater;
  switch (rows) {
    case ShownFor::Years2020On:
      return from2020;
    case ShownFor::EarlierForm:
      return !form2020;
    case ShownFor::Form2020:
      return form2020;
    case ShownFor::Always:
      break;
  }
  return true;
}

void frmIP::ShowRowsOfCase() {
  for (const FieldSpec& field : kFields) {
    if (field.shown != ShownFor::Always) {
      findChild<QWidget*>(field.name)->setVisible(Shows(field.shown));
    }
  }
  for (QLabel* label : findChildren<QLabel*>()) {
    if (const QWidget* control = label->buddy()) label->setVisible(!control->isHidden());
  }
  const bool form2020 = Shows(ShownFor::Form2020);
  for (QWidget* box : form2020Boxes_) box->setVisible(form2020);
}

void frmIP::ShowProperty(const std::string& property, const QLineEdit* except) {
  const QString value = QString::fromStdString(ControlExtend::GetProp(Object(), property));
  for (const FieldSpec& field : kFields) {
    if (!IsTextBox(field.kind) || field.property != property) continue;
    auto* box = findChild<QLineEdit*>(field.name);
    if (box != except) box->setText(value);
  }
}

int frmIP::HandingTab(const FieldSpec* field) {
  const int chosen = static_cast<int>(Object().enumComputationType()) + 1;
  if (!field || field->tab == 0 || !*field->property) return chosen;
  const std::string_view property = field->property;
  for (const FieldSpec& other : kFields) {
    if (other.tab != field->tab && property == other.property) return chosen;
  }
  return field->tab;
}

void frmIP::RecomputeAll(int handing, const QLineEdit* typing) {
  using Show = QString (*)(App&, frmIP&);
  static constexpr Show kShow[] = {nullptr, IPSupport::ShowProformaWH, IPSupport::ShowTargeted,
                                   IPSupport::ShowPercentMethWH};
  ostrand::_WhBusObj& o = Object();
  const std::string wages = o.sWagesPercent();
  for (int tab : {1, 2}) {
    if (tab == handing) continue;
    problems_[tab] = kShow[tab](app_, *this);
    if (o.sWagesPercent() != wages) o.sWagesPercent(wages);
  }
  if (handing == 1 || handing == 2) problems_[handing] = kShow[handing](app_, *this);
  problems_[3] = kShow[3](app_, *this);
  ShowProperty("sWagesPercent", typing);
  ShowProblemOfTab();
}

void frmIP::ShowProblemOfTab() {
  int tab = vsTabIP->currentIndex();
  if (tab < 1 || tab > 3) tab = static_cast<int>(Object().enumComputationType()) + 1;
  SetInputProblem(tab >= 1 && tab <= 3 ? problems_[tab] : QString());
}

void frmIP::LoadFromObject() {
  loading_ = true;
  ostrand::_WhBusObj& o = Object();
  KeepForCancel();
  for (const FieldSpec& field : kFields) {
    if (field.kind == K::Result) {
      findChild<QLabel*>(field.name)->clear();
      continue;
    }
    if (!*field.property) continue;
    const std::string value = ostrand::GetProperty(o, field.property);
    switch (field.kind) {
      case K::Text:
      case K::Money:
      case K::Count:
        findChild<QLineEdit*>(field.name)->setText(QString::fromStdString(value));
        break;
      case K::ComputationList:
      case K::FrequencyList:
        findChild<QListWidget*>(field.name)->setCurrentRow(std::stoi(value));
        break;
      case K::Unmarried:
        findChild<QCheckBox*>(field.name)->setChecked(o.IsSingle());
        break;
      case K::TaxYearList:
      case K::W4FormList:
      case K::W4StatusList:
      case K::Step2Box:
        ShowChoiceValue(findChild<QWidget*>(field.name), field.kind, QString::fromStdString(value));
        break;
      default:
        break;
    }
  }
  ShowRowsOfCase();
  loading_ = false;
  // The tabs show the results of the case as it opens, not only once a field is left. Nothing
  // is handed over yet: a case opened and confirmed unchanged is saved as it was read.
  RecomputeAll(kNoTab);
  o.BeginEdit();
}

void frmIP::FocusFirstInput() {
  const int tab = vsTabIP->currentIndex();
  for (const FieldSpec& field : kFields) {
    if (field.tab != tab || field.kind == K::Result || !Shows(field.shown)) continue;
    auto* control = findChild<QWidget*>(field.name);
    if (!control->isEnabled() || !(control->focusPolicy() & Qt::TabFocus)) continue;
    control->setFocus(Qt::OtherFocusReason);
    // A form not yet shown gives the focus when it appears; its help is there from the start.
    currentHelp_ = HelpTextFor(control->objectName());
    SetInputProblem(inputProblem_);
    return;
  }
}

void frmIP::KeepForCancel() {
  ostrand::_WhBusObj& o = Object();
  opening_.clear();
  for (const FieldSpec& field : kFields) {
    if (!*field.property) continue;
    const bool known = std::any_of(opening_.begin(), opening_.end(), [&field](const auto& kept) {
      return kept.first == field.property;
    });
    if (!known) opening_.emplace_back(field.property, ostrand::GetProperty(o, field.property));
  }
  openingSaved_ = app_.state.DataSaved;
}

void frmIP::reject() {
  CancelInputs();
  QDialog::reject();
}

void frmIP::CancelInputs() {
  ostrand::_WhBusObj& o = Object();
  for (const auto& [property, value] : opening_) {
    if (ostrand::GetProperty(o, property) != value) ostrand::LetProperty(o, property, value);
  }
  app_.state.DataSaved = openingSaved_;
}

bool frmIP::eventFilter(QObject* watched, QEvent* event) {
  auto* control = qobject_cast<QWidget*>(watched);
  if (!control) return QDialog::eventFilter(watched, event);
  const bool button = control == btnOK || control == btnCancel;
  switch (event->type()) {
    case QEvent::Hide:
      if (vsTabIP->indexOf(control) >= 0) warnedTab_ = -1;
      break;
    case QEvent::FocusIn: {
      // Focus coming back after a message box or another window is not a new entry.
      const auto reason = static_cast<QFocusEvent*>(event)->reason();
      if (!button && reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
        Entered(control);
      }
      break;
    }
    case QEvent::FocusOut: {
      const auto reason = static_cast<QFocusEvent*>(event)->reason();
      if (!button && reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
        Left(control);
      }
      break;
    }
    case QEvent::KeyPress: {
      if (control == btnFilename) break;
      auto* key = static_cast<QKeyEvent*>(event);
      if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) break;
      if (button) {
        static_cast<QPushButton*>(control)->click();
        return true;
      }
      int code = 13;
      ControlExtend::EnterToTab(code, control);
      if (code == 0) return true;
      break;
    }
    default:
      break;
  }
  return QDialog::eventFilter(watched, event);
}

void frmIP::Entered(QWidget* control) {
  const QString name = control->objectName();
  if (qobject_cast<QLineEdit*>(control)) ControlExtend::SelectText(control);
  currentHelp_ = HelpTextFor(name);
  SetInputProblem(inputProblem_);
  // The tab-mismatch warning comes once per visit of a tab, not at every field of it; what the
  // user types on while it is up goes to the field, not to the warning.
  if (control != lstComputationChoice && control != btnFilename &&
      warnedTab_ != vsTabIP->currentIndex()) {
    KeysForField keys(this);
    warnedTab_ = vsTabIP->currentIndex();  // no second warning while this one is up
    if (!IPSupport::ChkTab(app_, *this)) warnedTab_ = -1;
    keys.Replay(control);
  }
  const FieldSpec* field = FieldNamed(name);
  if (field && field->kind == K::FrequencyList) {
    auto* list = static_cast<QListWidget*>(control);
    if (list->currentRow() >= 0) IPSupport::SyncFrequency(app_, *this, list->currentRow());
  }
}

void frmIP::Left(QWidget* control) {
  const FieldSpec* field = FieldNamed(control->objectName());
  if (!field) return;
  ostrand::_WhBusObj& o = Object();
  switch (field->kind) {
    case K::Text:
    case K::Money:
    case K::Count:
      ShowProperty(field->property);
      break;
    case K::ComputationList:
      if (lstComputationChoice->currentRow() >= 0) {
        o.enumComputationType(
            static_cast<ostrand::eComputationType>(lstComputationChoice->currentRow()));
      }
      break;
    case K::FrequencyList: {
      auto* list = static_cast<QListWidget*>(control);
      if (list->currentRow() >= 0) IPSupport::SyncFrequency(app_, *this, list->currentRow());
      break;
    }
    case K::Unmarried:
      UnmarriedSync(static_cast<QCheckBox*>(control));
      break;
    case K::TaxYearList:
    case K::W4FormList:
    case K::W4StatusList:
    case K::Step2Box:
      break;
    default:
      return;
  }
  RecomputeAll(HandingTab(field));
}

}  // namespace corvala
