// A dialog service for tests: records every request and answers from a script.
#pragma once

#include "framework/dialogs.h"

#include <QString>
#include <QWidget>

#include <deque>
#include <functional>
#include <vector>

struct RecordedMessage {
  QString text;
  QString caption;
  unsigned flags;
};

class ScriptedDialogs : public DialogService {
public:
  std::vector<RecordedMessage> messages;
  std::vector<QWidget *> modalForms;
  std::vector<OpenDialogRequest> openRequests;
  std::deque<QString> openAnswers; // an empty string answers Cancel
  std::function<int(QWidget *)> onShowModal;
  std::function<void(const RecordedMessage &)> onMessageBox; // called as each box shows

  int MessageBox(const QString &text, const QString &caption, unsigned flags) override {
    messages.push_back({text, caption, flags});
    if (onMessageBox) onMessageBox(messages.back());
    return IDOK;
  }
  int ShowModal(QWidget *form) override {
    modalForms.push_back(form);
    return onShowModal ? onShowModal(form) : IDOK;
  }
  bool OpenFile(const OpenDialogRequest &request, QString *fileName) override {
    openRequests.push_back(request);
    if (openAnswers.empty()) return false;
    QString answer = openAnswers.front();
    openAnswers.pop_front();
    if (answer.isEmpty()) return false;
    *fileName = answer;
    return true;
  }
};

// Installs a scripted service for the scope and restores the previous one.
class ScopedScriptedDialogs {
public:
  ScopedScriptedDialogs() : service_(std::make_shared<ScriptedDialogs>()), previous_(SetDialogService(service_)) {}
  ~ScopedScriptedDialogs() { SetDialogService(previous_); }
  ScriptedDialogs *operator->() { return service_.get(); }
  ScriptedDialogs &operator*() { return *service_; }

private:
  std::shared_ptr<ScriptedDialogs> service_;
  std::shared_ptr<DialogService> previous_;
};
