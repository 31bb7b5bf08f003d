// The window program: framework first, then the settings file, then the
// main window and the message loop. Everything is undone in reverse order
// by the guards when the loop ends.
#include "AsSaveTiff16Unit.h"
#include "QtPlatform.h"
#include "QtTranslations.h"
#include "Screenshot.h"
#include "Unit2.h"
#include "VekSystem.h"
#include "VelmoraApplication.h"

#include <QIcon>

int main(int argc, char** argv) {
  // The toolkit and its platform come before the framework: creating App
  // loads the program's cursors through the platform, and any failure it
  // reports may want a message box.
  TVelmoraApplication Application(argc, argv);
  TQtTranslations QtTranslations;
  TQtPlatform QtPlatform(Application);
  TPlatformInstallation Installed(QtPlatform);
  QtPlatform.SetTitle("Velmora");
  Application.setWindowIcon(QIcon(":/velmora.png"));
  Application.setDesktopFileName("org.velmora.Velmora");

  // Starts VekUtil first, then creates App.
  TVekSystemScope VekSystem;
  SilenceTiffLibrary();
  App->SetIniFile("VadevEzuzeva.ini");

  TFormMain2 FormMain2;
  FormMain2.show();
  ScheduleScreenshot(FormMain2);
  return Application.exec();
}
