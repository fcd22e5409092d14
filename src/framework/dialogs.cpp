#include "framework/dialogs.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>
#include <QWidget>

#include <mutex>

namespace {

// The toolkit's own modal dialogs.
class ToolkitDialogs : public DialogService {
public:
  int MessageBox(const QString &text, const QString &caption, unsigned flags) override {
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(caption);
    box.setText(text);
    switch (flags & 0xF0) {
    case MB_ICONERROR: box.setIcon(QMessageBox::Critical); break;
    case MB_ICONWARNING: box.setIcon(QMessageBox::Warning); break;
    case MB_ICONINFORMATION: box.setIcon(QMessageBox::Information); break;
    default: box.setIcon(QMessageBox::NoIcon); break;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return IDOK;
  }

  int ShowModal(QWidget *form) override {
    if (!form) return IDCANCEL;
    if (auto *dialog = qobject_cast<QDialog *>(form)) return dialog->exec() == QDialog::Accepted ? IDOK : IDCANCEL;
    // A plain form: run a local loop until it is hidden; its modal result is kept in
    // the "modalResult" property by the form (OK buttons set it).
    form->setProperty("modalResult", 0);
    Qt::WindowModality old = form->windowModality();
    form->setWindowModality(Qt::ApplicationModal);
    form->show();
    QEventLoop loop;
    struct HideWatcher : QObject {
      QEventLoop *loop;
      bool eventFilter(QObject *, QEvent *e) override {
        if (e->type() == QEvent::Hide) loop->quit();
        return false;
      }
    } watcher;
    watcher.loop = &loop;
    form->installEventFilter(&watcher);
    loop.exec();
    form->removeEventFilter(&watcher);
    form->setWindowModality(old);
    int result = form->property("modalResult").toInt();
    return result ? result : IDCANCEL;
  }

  bool OpenFile(const OpenDialogRequest &request, QString *fileName) override {
    QStringList parts = request.filter.split('|');
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) filters << QString("%1 (%2)").arg(parts[i], parts[i + 1]);
    QFileDialog dialog(QApplication::activeWindow(), request.title, request.initialDir);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(filters);
    if (request.filterIndex >= 1 && request.filterIndex <= filters.size())
      dialog.selectNameFilter(filters[request.filterIndex - 1]);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    if (fileName) *fileName = dialog.selectedFiles().first();
    return true;
  }
};

struct Registry {
  std::mutex lock;
  std::shared_ptr<DialogService> current;
  std::shared_ptr<DialogService> toolkit = std::make_shared<ToolkitDialogs>();
};

Registry &TheRegistry() {
  static Registry r;
  return r;
}

} // namespace

DialogService &Dialogs() {
  Registry &r = TheRegistry();
  std::lock_guard guard(r.lock);
  return r.current ? *r.current : *r.toolkit;
}

std::shared_ptr<DialogService> SetDialogService(std::shared_ptr<DialogService> service) {
  Registry &r = TheRegistry();
  std::lock_guard guard(r.lock);
  std::shared_ptr<DialogService> old = r.current;
  r.current = std::move(service);
  return old;
}
