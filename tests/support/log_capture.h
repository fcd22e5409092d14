// Records what goes through Qt's logging for the scope (category, kind, text) instead
// of printing it, and puts the filter rules back afterwards.
#pragma once

#include <QLoggingCategory>
#include <QString>
#include <QStringList>

#include <mutex>
#include <vector>

struct LoggedLine {
  QString category;
  QtMsgType type;
  QString text;
};

class ScopedLogCapture {
public:
  explicit ScopedLogCapture(const QString &rules = {}) {
    Current() = this;
    previous_ = qInstallMessageHandler(&ScopedLogCapture::Handle);
    if (!rules.isEmpty()) QLoggingCategory::setFilterRules(rules);
  }
  ~ScopedLogCapture() {
    QLoggingCategory::setFilterRules(QString());
    qInstallMessageHandler(previous_);
    Current() = nullptr;
  }
  std::vector<LoggedLine> Lines() {
    std::lock_guard g(lock_);
    return lines_;
  }
  // The texts logged in a category with a kind.
  QStringList Texts(const QString &category, QtMsgType type) {
    QStringList out;
    for (const LoggedLine &l : Lines())
      if (l.category == category && l.type == type) out << l.text;
    return out;
  }

private:
  static ScopedLogCapture *&Current() {
    static ScopedLogCapture *current = nullptr;
    return current;
  }
  static void Handle(QtMsgType type, const QMessageLogContext &context, const QString &text) {
    ScopedLogCapture *self = Current();
    if (!self) return;
    std::lock_guard g(self->lock_);
    self->lines_.push_back({QString::fromUtf8(context.category ? context.category : ""), type, text});
  }
  QtMessageHandler previous_ = nullptr;
  std::mutex lock_;
  std::vector<LoggedLine> lines_;
};
