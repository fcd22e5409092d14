#include "framework/application.h"

#include "framework/dialogs.h"
#include "win/winuser.h"

#include "com/handoff.h"

#include <QApplication>
#include <QMetaObject>
#include <QThread>
#include <QWidget>

TApplication &TApplication::Instance() {
  static TApplication app;
  return app;
}

TApplication::TApplication() {
  SetWindowProcExceptionHandler([](std::exception_ptr error) { Instance().HandleException(nullptr, error); });
}

void TApplication::SetTitle(const QString &title) {
  title_ = title;
  QCoreApplication::setApplicationName(title);
}

int TApplication::Run() {
  terminated_ = false;
  if (mainForm_ && showMainForm_) mainForm_->show();
  if (terminated_) return 0;
  return QApplication::exec();
}

void TApplication::Terminate() {
  terminated_ = true;
  // exit() rather than quit(): quit() first asks every window to close, which would run
  // the close handlers again and can be refused.
  QCoreApplication::exit(0);
}

void TApplication::ProcessMessages() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

QString TApplication::ExceptionMessage(std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (const Exception &e) {
    return e.Message();
  } catch (const std::exception &e) {
    return QString::fromUtf8(e.what());
  } catch (...) {
    return QStringLiteral("Unknown error");
  }
}

QString TApplication::WithFullStop(const QString &message) {
  if (!message.isEmpty() && message.back() > QChar('.')) return message + QChar('.');
  return message;
}

void TApplication::HandleException(QObject *sender, std::exception_ptr error) {
  if (!error) return;
  QString text = WithFullStop(ExceptionMessage(error));
  if (exceptionHook_) {
    exceptionHook_(sender, text);
    return;
  }
  Dialogs().MessageBox(text, title_, MB_OK | MB_ICONERROR);
}

void TApplication::Guard(QObject *sender, const std::function<void()> &handler) {
  try {
    handler();
  } catch (...) {
    HandleException(sender, std::current_exception());
  }
}

void TApplication::SetExceptionHook(std::function<void(QObject *, const QString &)> hook) {
  exceptionHook_ = std::move(hook);
}

void TApplication::Synchronize(const std::function<void()> &fn) {
  QCoreApplication *app = QCoreApplication::instance();
  if (!app || Instance().terminated_) return;
  if (QThread::currentThread() == app->thread()) {
    fn();
    return;
  }
  // The toolkit's blocking call orders the two threads; the thread checker is told so.
  HandOff(&fn);
  QMetaObject::invokeMethod(
      app,
      [&fn] {
        TakeOver(&fn);
        fn();
        HandOff(&fn);
      },
      Qt::BlockingQueuedConnection);
  TakeOver(&fn);
}
