// The application object: title, message loop, termination, the general error
// handler, and running a call on the GUI thread.
#pragma once

#include "com/types.h"

#include <QString>

#include <atomic>
#include <exception>
#include <functional>

class QObject;
class QWidget;

class TApplication {
public:
  static TApplication &Instance();

  QString Title() const { return title_; }
  void SetTitle(const QString &title);

  // The first form created by the start-up sequence; the message loop shows it on entry
  // unless ShowMainForm is false.
  QWidget *MainForm() const { return mainForm_; }
  void SetMainForm(QWidget *form) { mainForm_ = form; }
  bool ShowMainForm() const { return showMainForm_; }
  void SetShowMainForm(bool show) { showMainForm_ = show; }

  // The application's task-bar window: a hidden message window standing for the
  // application's task-bar button. ShowWindow(Handle(), SW_HIDE) takes the main form out
  // of the task bar (it gets the tool-window style); SW_SHOW or SW_SHOWNORMAL brings it
  // back. It starts shown. GUI thread only.
  HWND Handle();

  // Runs the message loop until Terminate. Shows the main form on entry (see above).
  int Run();
  // Ends the message loop after the current message.
  void Terminate();
  bool Terminated() const { return terminated_; }
  // Handles the messages that are waiting, then returns.
  void ProcessMessages();

  // The general error handler: shows the error's message in a message box with the
  // error icon and an OK button, captioned with the title; a full stop is added when
  // the message's last character sorts after '.'. The program then goes on.
  void HandleException(QObject *sender, std::exception_ptr error);
  // Runs a handler and hands anything it throws to HandleException.
  void Guard(QObject *sender, const std::function<void()> &handler);
  // Replaces how an error is shown (tests record it); empty restores the message box.
  void SetExceptionHook(std::function<void(QObject *sender, const QString &message)> hook);

  // The text the error handler shows for an exception.
  static QString ExceptionMessage(std::exception_ptr error);
  static QString WithFullStop(const QString &message);

  // Runs fn on the GUI thread and waits for it (directly when already there). Does
  // nothing once the application is terminating.
  static void Synchronize(const std::function<void()> &fn);

private:
  TApplication();
  QString title_;
  QWidget *mainForm_ = nullptr;
  bool showMainForm_ = true;
  std::atomic<bool> terminated_{false}; // read by worker threads (Synchronize)
  std::function<void(QObject *, const QString &)> exceptionHook_;
};

inline TApplication &Application() { return TApplication::Instance(); }

// The base exception of the program: a message (what()).
class Exception : public std::exception {
public:
  explicit Exception(QString message) : message_(std::move(message)), utf8_(message_.toUtf8()) {}
  const char *what() const noexcept override { return utf8_.constData(); }
  const QString &Message() const { return message_; }

private:
  QString message_;
  QByteArray utf8_;
};

class EOutOfResources : public Exception {
public:
  using Exception::Exception;
};
