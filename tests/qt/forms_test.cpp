// The small forms: closing screen, start-up choice, font warning, about box, and the real message
// box and file dialogs answered as a user would.
#include <gtest/gtest.h>

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QTimer>
#include <cstdlib>
#include <functional>
#include <memory>

#include "core/app.h"
#include "core/errors.h"
#include "core/file_operations.h"
#include "core/help_support.h"
#include "ostrand/wh_bus_obj.h"
#include "qt/qt_platform.h"
#include "qt/small_forms.h"
#include "test_support.h"

namespace corvala::test {
namespace {

// Runs `answer` on the modal widget as soon as one is open. Should the same widget still be open
// a while later (a dialog still busy setting itself up can ignore an early answer), the answer
// is given again.
void WhenModal(std::function<void(QWidget*)> answer) {
  auto* timer = new QTimer;
  timer->setInterval(10);
  auto answered = std::make_shared<QPointer<QWidget>>();
  auto ticks = std::make_shared<int>(0);
  QObject::connect(timer, &QTimer::timeout, [timer, answer, answered, ticks] {
    QWidget* modal = QApplication::activeModalWidget();
    if (*ticks > 0 && (answered->isNull() || !(*answered)->isVisible())) {  // done
      timer->stop();
      timer->deleteLater();
      return;
    }
    if (!modal) return;
    if (*ticks == 0 || (modal == answered->data() && *ticks % 20 == 0)) {
      *answered = modal;
      answer(modal);
    }
    ++*ticks;
  });
  timer->start();
}

TEST(ClosingScreen, TimeSpentTexts) {
  struct Row {
    int seconds;
    const char* opening;
  };
  const Row rows[] = {
      {45, "You have spent 0 minutes, and 45 seconds using Quenford's Qel Paystave. "},
      {60, "You have spent 1 minute using Quenford's Qel Paystave. "},
      {61, "You have spent 1 minute, and 1 second using Quenford's Qel Paystave. "},
      {3725, "You have spent 1 hour, and 2 minutes using Quenford's Qel Paystave. "},
      {7200, "You have spent 2 hours using Quenford's Qel Paystave. "},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.seconds);
    frmFinal form(HelpSupport::FinalScreenCaption(), HelpSupport::FinalScreenText(row.seconds));
    auto* display = form.findChild<QPlainTextEdit*>("txtDisplay");
    ASSERT_NE(display, nullptr);
    const QString expected =
        QString(row.opening) + "How long would your work have taken without it?";
    EXPECT_TRUE(display->toPlainText().startsWith(expected))
        << display->toPlainText().toStdString();
    EXPECT_FALSE(display->toPlainText().contains('\r'));
    EXPECT_EQ(form.windowTitle(), "Quenford Qel Paystave");
  }
}

TEST(ClosingScreen, TypingChangesNothingAndByeCloses) {
  frmFinal form("Quenford Qel Paystave", "You have spent 1 minute\r\nline two\r\n");
  form.show();
  auto* display = form.findChild<QPlainTextEdit*>("txtDisplay");
  const QString before = display->toPlainText();
  FocusOn(display);
  QTest::keyClicks(display, "typed");
  QTest::keyClick(display, Qt::Key_Backspace);
  QTest::keyClick(display, Qt::Key_Delete);
  QTest::keyClick(display, Qt::Key_Return);
  EXPECT_EQ(display->toPlainText(), before);
  EXPECT_EQ(display->font().family(), "Courier New");
  auto* bye = form.findChild<QPushButton*>("btnDone");
  ASSERT_NE(bye, nullptr);
  EXPECT_EQ(bye->text(), "Bye!");
  QTest::mouseClick(bye, Qt::LeftButton);
  EXPECT_FALSE(form.isVisible());
}

TEST(StartUpForm, EachButtonGivesItsChoice) {
  const std::pair<const char*, int> rows[] = {{"btnNew", 1}, {"btnOld", 2}, {"btnMain", 0}};
  for (const auto& [name, choice] : rows) {
    SCOPED_TRACE(name);
    frmStartUp form;
    EXPECT_EQ(form.windowTitle(), "Startup Options");
    WhenModal([name = name](QWidget* modal) {
      QTest::mouseClick(modal->findChild<QPushButton*>(name), Qt::LeftButton);
    });
    form.exec();
    EXPECT_EQ(form.Choice(), choice);
  }
  frmStartUp closed;
  WhenModal([](QWidget* modal) { modal->close(); });
  closed.exec();
  EXPECT_EQ(closed.Choice(), 0) << "closing the form is Main Window";
}

TEST(ErrorWarningForm, DontShowValue) {
  struct Row {
    bool check;
    bool byOk;
    int expected;
  };
  const Row rows[] = {{true, true, 1}, {false, true, 0}, {true, false, 0}};
  for (const Row& row : rows) {
    frmError form("The Arial (12 point) font, could not be located.");
    EXPECT_EQ(form.windowTitle(), "Error Warning");
    EXPECT_EQ(form.findChild<QLabel*>("lblErrInfo")->text(),
              "The Arial (12 point) font, could not be located.");
    WhenModal([row](QWidget* modal) {
      modal->findChild<QCheckBox*>("chkDontShow")->setChecked(row.check);
      if (row.byOk) {
        QTest::mouseClick(modal->findChild<QPushButton*>("btnOK"), Qt::LeftButton);
      } else {
        modal->close();
      }
    });
    form.exec();
    EXPECT_EQ(form.DontShowValue(), row.expected);
  }
}

TEST(AboutBox, CaptionVersionAndNoSystemInfoButton) {
  TestProgram program;
  frmAbout about(HelpSupport::GetAboutTexts(program.app));
  EXPECT_EQ(about.windowTitle(), "About Qel Paystave");
  EXPECT_EQ(about.findChild<QLabel*>("lblVersion")->text(), "Version: ZOV2005.10.143");
  EXPECT_EQ(about.findChild<QLabel*>("lblTitle")->text(), "Qel Paystave");
  EXPECT_TRUE(about.findChild<QLabel*>("lblPhone")->text().startsWith("Phone: "));
  EXPECT_TRUE(about.findChild<QLabel*>("lblEmail")->text().startsWith("email: "));
  EXPECT_EQ(about.findChild<QPushButton*>("cmdSysInfo"), nullptr);
  for (QPushButton* button : about.findChildren<QPushButton*>()) {
    EXPECT_FALSE(button->text().contains("System Info"));
  }
}

TEST(QtDialogsTest, MessageBoxAnswers) {
  TestProgram program;
  QtDialogs dialogs(program.app);
  struct Row {
    Buttons buttons;
    QMessageBox::StandardButton click;  // NoButton: close with Escape
    Answer expected;
  };
  const Row rows[] = {{Buttons::YesNoCancel, QMessageBox::Yes, Answer::Yes},
                      {Buttons::YesNoCancel, QMessageBox::NoButton, Answer::Cancel},
                      {Buttons::YesNo, QMessageBox::No, Answer::No},
                      {Buttons::OK, QMessageBox::NoButton, Answer::OK}};
  for (const Row& row : rows) {
    QString title, text;
    WhenModal([&, row](QWidget* modal) {
      auto* box = qobject_cast<QMessageBox*>(modal);
      ASSERT_NE(box, nullptr);
      title = box->windowTitle();
      text = box->text();
      if (row.click == QMessageBox::NoButton) {
        QTest::keyClick(box, Qt::Key_Escape);
      } else {
        box->button(row.click)->click();
      }
    });
    EXPECT_EQ(dialogs.MessageBox("first\nsecond", row.buttons, Icon::Exclamation, "WARNING!"),
              row.expected);
    EXPECT_EQ(title, "WARNING!");
    EXPECT_EQ(text, "first\nsecond");
  }
}

// Answers every modal widget that opens while it lives, closing it after `look` has seen it.
class ModalWatcher {
 public:
  explicit ModalWatcher(std::function<void(QWidget*)> look) {
    QObject::connect(&timer_, &QTimer::timeout, [this, look] {
      QWidget* modal = QApplication::activeModalWidget();
      if (!modal || modal == last_) return;
      last_ = modal;
      look(modal);
      qobject_cast<QDialog*>(modal)->reject();
    });
    timer_.start(10);
  }

 private:
  QTimer timer_;
  QPointer<QWidget> last_;
};

// Where the value of a line starts in a laid-out text, in pixels from the left.
double ValueX(QTextDocument& document, const QString& value) {
  document.size();  // lays the text out
  const QTextCursor found = document.find(value);
  if (found.isNull()) return -1;
  const QTextBlock block = found.block();
  const int position = found.selectionStart() - block.position();
  const QTextLine line = block.layout()->lineForTextPosition(position);
  if (!line.isValid()) return -1;
  return document.documentLayout()->blockBoundingRect(block).x() + line.cursorToX(position);
}

TEST(QtDialogsTest, FatalErrorBoxLinesUpItsColumns) {
  TestProgram program;
  QtDialogs dialogs(program.app);
  const std::string message = FatalErrorMessage(kProgramTitle, 380, "GetFonts");
  std::vector<double> columns;
  QString shown;
  ModalWatcher watcher([&](QWidget* modal) {
    auto* label = modal->findChild<QLabel*>("qt_msgbox_label");
    ASSERT_NE(label, nullptr);
    QTextDocument document;
    document.setDefaultFont(label->font());
    if (label->textFormat() == Qt::RichText || Qt::mightBeRichText(label->text())) {
      document.setHtml(label->text());
    } else {
      document.setPlainText(label->text());
    }
    document.setTextWidth(2000);
    for (const char* value : {"380", "Invalid property value", "GetFonts"}) {
      columns.push_back(ValueX(document, value));
    }
    shown = document.toPlainText();
  });
  dialogs.MessageBox(message, Buttons::YesNo, Icon::Critical, "WARNING!");
  ASSERT_EQ(columns.size(), 3u);
  EXPECT_GT(columns[0], 0);
  EXPECT_NEAR(columns[1], columns[0], 0.5);
  EXPECT_NEAR(columns[2], columns[0], 0.5);
  EXPECT_TRUE(shown.contains("Do you want to save your data before the program shuts down?"));
  EXPECT_TRUE(shown.contains("An error has occurred in the Qel Paystave."));
}

TEST(QtDialogsTest, HelpFileThatCannotBeShownIsSaidSoWithItsPath) {
  TestProgram program;
  QtDialogs dialogs(program.app);
  const std::string manual = program.Path("manZOV.pdf");
  struct Row {
    bool exists;
    const char* says;
  };
  // The offscreen platform starts no viewer, as a desktop without a PDF viewer.
  const Row rows[] = {{true, "No program to show PDF files"}, {false, "The manual is not there"}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.says);
    QFile::remove(QString::fromStdString(manual));
    if (row.exists) {
      QFile file(QString::fromStdString(manual));
      ASSERT_TRUE(file.open(QIODevice::WriteOnly));
      file.write("%PDF-1.4\n");
    }
    QString text;
    ModalWatcher watcher([&](QWidget* modal) {
      if (auto* box = qobject_cast<QMessageBox*>(modal)) text = box->text();
    });
    dialogs.OpenDocument(manual);
    EXPECT_TRUE(text.contains(row.says)) << text.toStdString();
    EXPECT_TRUE(text.contains(QString::fromStdString(manual))) << text.toStdString();
  }
}

// The tab-mismatch warning over the (modal) input form answers a mouse click on its button, as
// the window system delivers it.
TEST(QtDialogsTest, TheTabWarningOverTheInputFormAnswersTheMouse) {
  TestProgram program;
  QtDialogs dialogs(program.app);
  program.app.platform.dialogs = &dialogs;
  program.app.state.CurrentFile = program.Path("ann.zov");
  program.app.state.withholding->enumComputationType(ostrand::Percent);
  int ticks = 0;
  bool warned = false, answered = false;
  QTimer user;
  QObject::connect(&user, &QTimer::timeout, [&] {
    ++ticks;
    QMessageBox* box = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets()) {
      if (auto* shown = qobject_cast<QMessageBox*>(top); shown && shown->isVisible()) box = shown;
    }
    auto* form = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (box) {
      QAbstractButton* ok = box->button(QMessageBox::Ok);
      if (!warned) {
        warned = true;
        QTest::mouseClick(box->windowHandle(), Qt::LeftButton, {},
                          ok->mapTo(box, ok->rect().center()));
      } else if (ticks > 50) {
        ok->click();  // the click went nowhere: end the test
      }
    } else if (warned) {
      answered = ticks <= 50;
      if (form) form->reject();
    } else if (form && form->objectName() == "frmIP" && ticks == 1) {
      // Outside this slot: the warning runs a loop of its own, in which this timer must tick.
      QTimer::singleShot(0, form, [form] {
        form->findChild<QTabWidget*>("vsTabIP")->setCurrentIndex(1);
        FocusOn(form->findChild<QLineEdit*>("txtAnnualWages"));
      });
    } else if (form && ticks > 100) {
      form->reject();  // no warning came: end the test
    }
  });
  user.start(10);
  dialogs.ShowInputForm();
  user.stop();
  EXPECT_TRUE(warned);
  EXPECT_TRUE(answered) << "the warning did not take the click";
}

TEST(QtDialogsTest, InputFormShownModallyFilledAndCentred) {
  TestProgram program;
  QtDialogs dialogs(program.app);
  program.app.platform.dialogs = &dialogs;
  program.app.state.CurrentFile = program.Path("ann.zov");
  program.app.state.withholding->sTaxpayer("Ann Example");
  QString name, file, title, focus;
  bool centred = false;
  WhenModal([&](QWidget* modal) {
    title = modal->windowTitle();
    focus = modal->focusWidget() ? modal->focusWidget()->objectName() : QString();
    name = modal->findChild<QLineEdit*>("txtName")->text();
    file = modal->findChild<QLabel*>("lblFilename")->text();
    const QRect screen = modal->screen()->geometry();
    const QRect frame = modal->frameGeometry();
    centred = std::abs(frame.center().x() - screen.center().x()) <= 2 &&
              std::abs(frame.center().y() - screen.center().y()) <= 2;
    QTest::mouseClick(modal->findChild<QPushButton*>("btnCancel"), Qt::LeftButton);
  });
  dialogs.ShowInputForm();
  EXPECT_EQ(title, "Inputs");
  EXPECT_EQ(focus, "lstComputationChoice") << "the first input of the first tab";
  EXPECT_EQ(name, "Ann Example");
  EXPECT_EQ(file, QString::fromStdString(program.Path("ann.zov")));
  EXPECT_TRUE(centred);
}

TEST(QtDialogsTest, FileDialogCancelGivesNothingAndANameGetsTheDefaultExtension) {
  TestProgram program;
  QtDialogs dialogs(program.app);
  FileDialogRequest request{"Save As", program.dir.path().toStdString(),
                            std::string(".") + FileOperations::kDataExtension,
                            FileOperations::FileFilter(), ""};
  WhenModal([](QWidget* modal) { qobject_cast<QDialog*>(modal)->reject(); });
  EXPECT_EQ(dialogs.AskSaveFile(request), std::nullopt);

  QString folder, title;
  WhenModal([&](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    folder = dialog->directory().absolutePath();
    title = dialog->windowTitle();
    // Type the name into the name field, as a user does, and accept.
    auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(name, nullptr);
    name->setText("smith");
    QMetaObject::invokeMethod(dialog, "accept");
  });
  const auto chosen = dialogs.AskSaveFile(request);
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(*chosen, program.Path("smith.zov")) << "the extension the MIME type matches";
  EXPECT_EQ(folder, program.dir.path());
  EXPECT_EQ(title, "Save As");

  // Save As offers the current file's name.
  request.presetName = program.Path("current.zov");
  QString offered;
  WhenModal([&](QWidget* modal) {
    offered = modal->findChild<QLineEdit*>("fileNameEdit")->text();
    qobject_cast<QDialog*>(modal)->reject();
  });
  EXPECT_EQ(dialogs.AskSaveFile(request), std::nullopt);
  EXPECT_EQ(offered, "current.zov");
}

}  // namespace
}  // namespace corvala::test
