// The "Align frames" check box of the main window.
#include "VekApp.h"
#include "WindowSession.h"

#include <QCheckBox>
#include <QLabel>
#include <QLayout>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

TEST(AlignBox, SitsAtThePanelsRightEndClearOfButtonAndLabel) {
  TWindowSession Session;
  TFormMain2& Form = Session.Form;
  Form.layout()->activate();
  const QRect Box = Form.AlignBox->geometry();
  EXPECT_EQ(Form.AlignBox->text(), "Align frames");
  EXPECT_EQ(Form.AlignBox->parentWidget(), Form.Panel1);
  EXPECT_EQ(Box.right(), 831 - 8 - 1);
  EXPECT_GE(Box.top(), 0);
  EXPECT_LE(Box.bottom(), 32);
  EXPECT_FALSE(Box.intersects(Form.Button1->geometry()));
  // The longest label stops short of the box; a short one keeps its size.
  Form.SetInfo("Processing " + std::string(200, 'x') + ".jpg");
  EXPECT_LT(Form.Info->geometry().right(), Box.left());
  Form.SetInfo("READY");
  EXPECT_EQ(Form.Info->width(), Form.Info->sizeHint().width());
  // It stays at the right end when the window grows.
  Form.resize(1000, 700);
  Form.layout()->activate();
  EXPECT_EQ(Form.AlignBox->geometry().right(), 1000 - 8 - 1);
}

TEST(AlignBox, IsUntickedByDefaultAndRememberedInTheSettings) {
  TWindowSession Session;
  EXPECT_FALSE(Session.Form.AlignBox->isChecked());
  EXPECT_FALSE(Session.Form.Align());
  EXPECT_EQ(App->ReadIniString("Config", "Align", "missing"), "missing");
  Session.Form.AlignBox->click();
  EXPECT_TRUE(Session.Form.Align());
  EXPECT_EQ(App->ReadIniInteger("Config", "Align", -1), 1);
  // The next start finds it ticked; unticked, the setting reads 0.
  TFormMain2 Next;
  Next.show();
  EXPECT_TRUE(Next.Align());
  Next.AlignBox->click();
  EXPECT_EQ(App->ReadIniInteger("Config", "Align", -1), 0);
}

} // namespace
