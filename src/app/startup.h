// The start-up unit: the application object with its general error handler, the four
// windows created in their fixed order, and the run of the message loop.
#pragma once

#include <QApplication>

#include <functional>

// The toolkit's application with the last safety net of the message loop: anything a
// handler lets escape is shown by the general error handler and the loop goes on.
class TPlayerApplication : public QApplication {
  Q_OBJECT
public:
  TPlayerApplication(int &argc, char **argv);
  bool notify(QObject *receiver, QEvent *event) override;

  // Runs one delivery; whatever it throws goes to the general error handler and the
  // event counts as not handled.
  static bool Deliver(QObject *receiver, QEvent *event, const std::function<bool()> &deliver);
};

// Creates FormDVDPlayer (the main window), Form2, Form3 and Form4, in this order; each
// window's creation handler runs once it is loaded.
void CreateApplicationForms();
// Destroys the four windows, the last created first.
void DestroyApplicationForms();

// The message loop, during which the session's requests to end the program (interrupt,
// hang-up, termination) run the exit routine on the GUI thread; returns its exit code.
int RunApplicationLoop();

// The start-up sequence: the platform's classes, title, windows, the video show window made visible, the
// message loop (which shows the main window); returns the loop's exit code.
int RunQuovadelDVD();
