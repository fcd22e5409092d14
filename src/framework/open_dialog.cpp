#include "framework/open_dialog.h"

#include "framework/dialogs.h"

TOpenDialog::TOpenDialog(QObject *owner) : TComponent(owner) {}

bool TOpenDialog::Execute() {
  OpenDialogRequest request;
  request.title = title_;
  request.filter = filter_;
  request.filterIndex = filterIndex_;
  request.initialDir = initialDir_;
  QString chosen;
  if (!Dialogs().OpenFile(request, &chosen)) return false;
  fileName_ = chosen;
  return true;
}
