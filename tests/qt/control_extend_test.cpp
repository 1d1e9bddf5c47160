// Write-through of a text box by property name when the object refuses the text.
#include <gtest/gtest.h>

#include <QLineEdit>

#include "ostrand/wh_bus_obj.h"
#include "qt/control_extend.h"
#include "test_support.h"

namespace corvala::test {
namespace {

TEST(TextChg, RefusedTextShowsTheMessageAndPutsTheLastValidValueBack) {
  TestProgram program;
  ostrand::_WhBusObj& object = *program.app.state.withholding;
  object.BeginEdit();
  object.DiscountRate("5");  // reads 5.00%
  QLineEdit box;
  box.setText("5.00%x");
  box.setCursorPosition(6);
  EXPECT_FALSE(ControlExtend::TextChg(program.app, &box, object, "DiscountRate"));
  ASSERT_EQ(program.dialogs.boxes.size(), 1u);
  EXPECT_EQ(program.dialogs.boxes[0].text, "(10002) This item needs to be a number.");
  EXPECT_EQ(program.dialogs.boxes[0].buttons, Buttons::OK);
  EXPECT_EQ(box.text(), "5.00%");
  EXPECT_EQ(box.cursorPosition(), 5);
  EXPECT_EQ(object.DiscountRate(), "5.00%");

  // With the cursor at the start the box keeps what was typed.
  box.setText("x");
  box.setCursorPosition(0);
  EXPECT_FALSE(ControlExtend::TextChg(program.app, &box, object, "DiscountRate"));
  EXPECT_EQ(box.text(), "x");
}

TEST(TextChg, OtherFailuresAreReportedAndTheProgramGoesOn) {
  TestProgram program;
  QLineEdit box;
  box.setText("12");
  box.setCursorPosition(2);
  EXPECT_NO_THROW(
      ControlExtend::TextChg(program.app, &box, *program.app.state.withholding, "NoSuchProperty"));
  ASSERT_EQ(program.dialogs.boxes.size(), 1u);
  EXPECT_NE(program.dialogs.boxes[0].text.find("ControlExtend.TextChg"), std::string::npos)
      << program.dialogs.boxes[0].text;
  EXPECT_TRUE(program.dialogs.finalScreens.empty());
}

TEST(TextChg, ALoneMinusWritesNothingAndTextIsStoredAsTyped) {
  TestProgram program;
  ostrand::_WhBusObj& object = *program.app.state.withholding;
  QLineEdit box;
  box.setText("-");
  EXPECT_FALSE(ControlExtend::TextChg(program.app, &box, object, "sWages4Yr"));
  EXPECT_EQ(object.sWages4Yr(), "0.00");
  box.setText("1234.5");
  EXPECT_TRUE(ControlExtend::TextChg(program.app, &box, object, "sWages4Yr"));
  EXPECT_EQ(ControlExtend::GetProp(object, "sWages4Yr"), "1,234.50");
  EXPECT_TRUE(program.dialogs.boxes.empty());
}

}  // namespace
}  // namespace corvala::test
