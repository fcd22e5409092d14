// Every modal interaction goes through the dialog service: message boxes, modal forms
// and the open dialog. Tests replace the service with a scripted responder.
#pragma once

#include <QString>

#include <memory>

class QWidget;

// Message box flags and results (platform values).
constexpr unsigned MB_OK = 0x0;
constexpr unsigned MB_ICONERROR = 0x10;
constexpr unsigned MB_ICONWARNING = 0x30;
constexpr unsigned MB_ICONINFORMATION = 0x40;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;

struct OpenDialogRequest {
  QString title;
  // Pairs of "name|pattern" joined by '|', e.g. "VIDEO_TS.IFO|VIDEO_TS.IFO|Files IFO|*.IFO".
  QString filter;
  int filterIndex = 1; // 1-based, the entry selected at first
  QString initialDir;
};

class DialogService {
public:
  virtual ~DialogService() = default;
  // Modal to the application; returns IDOK.
  virtual int MessageBox(const QString &text, const QString &caption, unsigned flags) = 0;
  // Shows the form modally; returns its modal result (IDOK when it was closed by OK).
  virtual int ShowModal(QWidget *form) = 0;
  // Runs the open dialog; false when cancelled, else the chosen file's full path.
  virtual bool OpenFile(const OpenDialogRequest &request, QString *fileName) = 0;
};

// The service in use; the toolkit's dialogs unless replaced.
DialogService &Dialogs();
// Replaces the service (nullptr restores the toolkit's); returns the previous one.
std::shared_ptr<DialogService> SetDialogService(std::shared_ptr<DialogService> service);
