#include "app/startup.h"

#include "app/Unit1.h"
#include "app/Unit2.h"
#include "app/Unit3.h"
#include "app/Unit4.h"
#include "app/bookmark_file.h"
#include "com/log.h"
#include "com/registry.h"
#include "framework/application.h"
#include "win/console.h"

namespace {

template <class T> void CreateForm(T *&reference) {
  reference = new T(nullptr);
  reference->DoCreate();
  if (!Application().MainForm()) Application().SetMainForm(reference);
}

template <class T> void DestroyForm(T *&reference) {
  if (Application().MainForm() == reference) Application().SetMainForm(nullptr);
  delete reference;
  reference = nullptr;
}

// The session asks the program to end (Ctrl+C, the terminal closing, log-off, kill): the
// exit routine, on the GUI thread, whatever window or modal box is open.
BOOL EndRequested(DWORD type) {
  qCDebug(lcApp, "the session asks the program to end (console event %u)", unsigned(type));
  if (FormDVDPlayer)
    FormDVDPlayer->ExitMenuClick(nullptr);
  else
    Application().Terminate();
  return TRUE;
}

} // namespace

TPlayerApplication::TPlayerApplication(int &argc, char **argv) : QApplication(argc, argv) {
  // Hiding the last visible window (the control panel in the tray, the video window
  // closed) does not end the program; only the exit routine does.
  setQuitOnLastWindowClosed(false);
}

bool TPlayerApplication::notify(QObject *receiver, QEvent *event) {
  return Deliver(receiver, event, [&] { return QApplication::notify(receiver, event); });
}

bool TPlayerApplication::Deliver(QObject *receiver, QEvent *, const std::function<bool()> &deliver) {
  try {
    return deliver();
  } catch (...) {
    Application().HandleException(receiver, std::current_exception());
    return false;
  }
}

void CreateApplicationForms() {
  CreateForm(FormDVDPlayer);
  CreateForm(Form2);
  CreateForm(Form3);
  CreateForm(Form4);
}

void DestroyApplicationForms() {
  DestroyForm(Form4);
  DestroyForm(Form3);
  DestroyForm(Form2);
  DestroyForm(FormDVDPlayer);
}

int RunApplicationLoop() {
  SetConsoleCtrlHandler(EndRequested, TRUE);
  int code = Application().Run();
  SetConsoleCtrlHandler(EndRequested, FALSE);
  return code;
}

int RunQuovadelDVD() {
  CoInitialize(nullptr);
  Application().SetTitle(QStringLiteral("Quovadel DVD"));
  BookmarkFile(); // the bookmark's place is chosen once, now
  CreateApplicationForms();
  Form3->SetVisible(true);
  int code = RunApplicationLoop();
  DestroyApplicationForms();
  CoUninitialize();
  return code;
}
