// TOpenDialog: the file-open dialog, run through the application's dialog service.
#pragma once

#include "framework/component.h"

#include <QString>

class TOpenDialog : public TComponent {
  Q_OBJECT
public:
  explicit TOpenDialog(QObject *owner = nullptr);

  QString Title() const { return title_; }
  void SetTitle(const QString &title) { title_ = title; }
  // Pairs "name|pattern" joined by '|': "VIDEO_TS.IFO|VIDEO_TS.IFO|Files IFO|*.IFO".
  QString Filter() const { return filter_; }
  void SetFilter(const QString &filter) { filter_ = filter; }
  int FilterIndex() const { return filterIndex_; }
  void SetFilterIndex(int index) { filterIndex_ = index; }
  QString InitialDir() const { return initialDir_; }
  void SetInitialDir(const QString &dir) { initialDir_ = dir; }
  // The chosen file's full path after Execute returned true.
  QString FileName() const { return fileName_; }
  void SetFileName(const QString &name) { fileName_ = name; }

  // Runs the dialog; false when the user cancels (FileName is then unchanged).
  bool Execute();

private:
  QString title_;
  QString filter_;
  int filterIndex_ = 1;
  QString initialDir_;
  QString fileName_;
};
