#include "AppEnvironment.h"
#include "Driving.h"
#include "QtPlatform.h"
#include "Unit2.h"
#include "VekExceptions.h"
#include "VekSystem.h"

#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

struct TReport {
  std::string Source;
  std::string Text;
};

TEST(StartFailure, IsReportedAsGlobalExceptionOfTheButtonsClass) {
  TQtPlatform Qt(TestApplication());
  TPlatformInstallation Installed(Qt);
  TVekSystemScope Framework;
  ASSERT_NE(App, nullptr);
  std::vector<TReport> Reports;
  App->OnError = [&Reports](TVekApp&, std::string& Source, bool& Report, std::string&,
                            std::string& Text) {
    Reports.push_back({Source, Text});
    // Nothing for the error log of the test folder.
    Report = false;
  };

  std::function<void()> Failure;
  int Runs = 0;
  TFormMain2 Form([&](TRunHost& Host) {
    ++Runs;
    Host.SetInfo("Processing b.jpeg");
    Failure();
  });
  Form.show();

  Failure = [] { throw Exception("Unbekannter Filetyp '.jpeg'\r\nBearbeitung wird abgebrochen"); };
  Click(*Form.Button1);
  EXPECT_EQ(Runs, 1);
  ASSERT_EQ(Reports.size(), 1u);
  EXPECT_EQ(Reports[0].Source, "Global Exception in Class QPushButton");
  EXPECT_NE(Reports[0].Text.find("(Exception)"), std::string::npos) << Reports[0].Text;
  EXPECT_NE(Reports[0].Text.find("Unbekannter Filetyp '.jpeg'"), std::string::npos);
  // The run ended, the window lives on with the label as the run left it.
  EXPECT_EQ(Form.Info->text(), "Processing b.jpeg");

  // A cancelled dialog or a declined overwrite ends the run silently.
  Failure = [] { Abort(); };
  Click(*Form.Button1);
  EXPECT_EQ(Runs, 2);
  EXPECT_EQ(Reports.size(), 1u);

  // And the button works again after a failure.
  Failure = [] {};
  Click(*Form.Button1);
  EXPECT_EQ(Runs, 3);
  EXPECT_EQ(Reports.size(), 1u);
}

} // namespace
