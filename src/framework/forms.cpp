#include "framework/forms.h"

#include "framework/application.h"
#include "framework/controls.h"
#include "framework/dialogs.h"
#include "framework/menus.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QMenuBar>
#include <QResizeEvent>
#include <QShowEvent>

namespace {

// The client area: arranges aligned controls when it is resized.
class TFormClient : public QWidget {
public:
  explicit TFormClient(QWidget *form) : QWidget(form) {}

protected:
  void resizeEvent(QResizeEvent *event) override {
    QWidget::resizeEvent(event);
    ArrangeAlignedChildren(this);
  }
};

QWidget *OwnerWidget(QObject *owner) { return qobject_cast<QWidget *>(owner); }

} // namespace

TForm::TForm(QObject *owner) : QWidget(OwnerWidget(owner), Qt::Window), TComponentMixin(this) {
  client_ = new TFormClient(this);
  setAttribute(Qt::WA_DeleteOnClose, false);
  ApplyColor();
  ApplyFont();
  ApplyWindowFlags();
  SetWindowProc(WindowFromWidget(this),
                [this](HWND, UINT msg, WPARAM w, LPARAM l) { return Perform(msg, w, l); });
}

TForm::~TForm() { MarkDestroying(); }

QObject *TForm::FindComponent(const QString &name) const {
  if (name.isEmpty()) return nullptr;
  const QList<QObject *> found = findChildren<QObject *>(name);
  for (QObject *o : found)
    if (dynamic_cast<TComponentMixin *>(o)) return o;
  return nullptr;
}

void TForm::SetCaption(const QString &caption) {
  if (windowTitle() != caption) setWindowTitle(caption);
}

void TForm::SetLeft(int left) {
  if (x() != left) move(left, y());
}

void TForm::SetTop(int top) {
  if (y() != top) move(x(), top);
}

void TForm::SetClientWidth(int width) {
  if (ClientWidth() != width) SetClientSize(width, ClientHeight());
}

void TForm::SetClientHeight(int height) {
  if (ClientHeight() != height) SetClientSize(ClientWidth(), height);
}

void TForm::SetBorderStyle(TFormBorderStyle style) {
  if (borderStyle_ == style) return;
  borderStyle_ = style;
  ApplyWindowFlags();
  SetClientSize(ClientWidth(), ClientHeight());
}

void TForm::SetBorderIcons(TBorderIcons icons) {
  if (borderIcons_ == icons) return;
  borderIcons_ = icons;
  ApplyWindowFlags();
}

void TForm::SetFormStyle(TFormStyle style) {
  if (formStyle_ == style) return;
  formStyle_ = style;
  ApplyWindowFlags();
}

void TForm::ApplyWindowFlags() {
  Qt::WindowFlags flags;
  if (borderStyle_ == bsNone) {
    flags = Qt::Window | Qt::FramelessWindowHint;
  } else {
    flags = (borderStyle_ == bsDialog ? Qt::Dialog : Qt::Window) | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    // A dialog frame never has minimize or maximize buttons; the other frames show
    // those of BorderIcons. The system menu brings the close button.
    bool sizeButtons = borderStyle_ != bsDialog && borderStyle_ != bsToolWindow && borderStyle_ != bsSizeToolWin;
    if (borderIcons_ & biSystemMenu) {
      flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
      if (sizeButtons && (borderIcons_ & biMinimize)) flags |= Qt::WindowMinimizeButtonHint;
      if (sizeButtons && (borderIcons_ & biMaximize)) flags |= Qt::WindowMaximizeButtonHint;
    }
    if (borderStyle_ == bsToolWindow || borderStyle_ == bsSizeToolWin) flags |= Qt::Tool;
  }
  if (formStyle_ == fsStayOnTop) flags |= Qt::WindowStaysOnTopHint;
  if (flags == windowFlags()) return;
  bool wasVisible = isVisible();
  QPoint place = pos();
  setWindowFlags(flags);
  move(place);
  if (wasVisible) show();
}

int TForm::MenuHeight() const { return menuBar_ ? menuBar_->sizeHint().height() : 0; }

void TForm::SetClientSize(int width, int height) {
  QSize outer(width, height + menuHeight_);
  if (Fixed()) {
    setFixedSize(outer);
  } else {
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    resize(outer);
  }
  PlaceClient();
}

void TForm::PlaceClient() {
  int menu = menuHeight_;
  if (menuBar_) menuBar_->setGeometry(0, 0, width(), menu);
  client_->setGeometry(0, menu, width(), std::max(0, height() - menu));
}

void TForm::UpdateMenuHeight() {
  int client = ClientHeight();
  menuHeight_ = MenuHeight();
  SetClientSize(ClientWidth(), client);
}

void TForm::resizeEvent(QResizeEvent *event) {
  QWidget::resizeEvent(event);
  PlaceClient();
}

void TForm::SetColor(TColor color) {
  if (color_ == color) return;
  color_ = color;
  ApplyColor();
}

void TForm::ApplyColor() {
  QPalette p = palette();
  p.setColor(QPalette::Window, ToQColor(color_));
  setPalette(p);
  setAutoFillBackground(true);
}

void TForm::SetFont(const TFont &font) {
  if (font_ == font) return;
  font_ = font;
  ApplyFont();
}

void TForm::ApplyFont() {
  setFont(font_.ToQFont());
  QPalette p = palette();
  p.setColor(QPalette::WindowText, ToQColor(font_.Color()));
  setPalette(p);
}

bool TForm::eventFilter(QObject *watched, QEvent *event) {
  // The bar's height follows its entries, font and style; the client area keeps its
  // stored size below it.
  if (watched == menuBar_ && event->type() == QEvent::LayoutRequest && MenuHeight() != menuHeight_) UpdateMenuHeight();
  return QWidget::eventFilter(watched, event);
}

void TForm::SetMenu(TMainMenu *menu) {
  if (menu_ == menu) return;
  if (menu_) RemoveFreeNotification(menu_);
  delete menuBar_;
  menuBar_ = nullptr;
  menu_ = menu;
  if (menu_) {
    FreeNotification(menu_);
    menuBar_ = new QMenuBar(this);
    menuBar_->setNativeMenuBar(false);
    menuBar_->installEventFilter(this);
    menu_->AttachTo(menuBar_);
    menuBar_->show();
  }
  UpdateMenuHeight();
}

void TForm::Notification(QObject *component, TOperation operation) {
  if (operation == opRemove && component == menu_) {
    menu_ = nullptr;
    if (Destroying()) return;
    delete menuBar_;
    menuBar_ = nullptr;
    UpdateMenuHeight();
  }
}

void TForm::SetVisible(bool visible) {
  if (isVisible() != visible) setVisible(visible);
}

void TForm::Show() {
  SetVisible(true);
  BringToFront();
}

void TForm::BringToFront() {
  if (!isVisible()) return;
  raise();
  activateWindow();
}

int TForm::ShowModal() {
  SetModalResult(0);
  return Dialogs().ShowModal(this);
}

int TForm::ModalResult() const { return property("modalResult").toInt(); }

void TForm::SetModalResult(int result) { setProperty("modalResult", result); }

LRESULT TForm::Perform(UINT msg, WPARAM wParam, LPARAM) {
  switch (msg) {
  case WM_CLOSE: close(); return 0;
  case WM_SHOWWINDOW: setVisible(wParam != 0); return 0;
  case WM_SYSCOMMAND:
    if ((wParam & 0xFFF0) == SC_CLOSE) close();
    else if ((wParam & 0xFFF0) == SC_MINIMIZE) setWindowState(windowState() | Qt::WindowMinimized);
    return 0;
  default: return 0;
  }
}

void TForm::DoCreate() {
  Application().Guard(this, [this] {
    if (OnCreate) OnCreate(this);
  });
}

void TForm::closeEvent(QCloseEvent *event) {
  bool canClose = true;
  if (OnCloseQuery) {
    try {
      OnCloseQuery(this, canClose);
    } catch (...) {
      canClose = false;
      Application().HandleException(this, std::current_exception());
    }
  }
  if (!canClose) {
    event->ignore();
    return;
  }
  TCloseAction action = caHide;
  if (OnClose) Application().Guard(this, [&] { OnClose(this, action); });
  if (action == caNone) {
    event->ignore();
    return;
  }
  if (Application().MainForm() == this) {
    // Closing the main window ends the program.
    Application().Terminate();
    event->accept();
    return;
  }
  switch (action) {
  case caMinimize:
    event->ignore();
    setWindowState(windowState() | Qt::WindowMinimized);
    break;
  case caFree:
    event->accept();
    deleteLater();
    break;
  default: event->accept(); break;
  }
}

void TForm::showEvent(QShowEvent *event) {
  QWidget::showEvent(event);
  if (event->spontaneous()) return;
  Application().Guard(this, [this] {
    if (OnShow) OnShow(this);
  });
}

void TForm::hideEvent(QHideEvent *event) {
  QWidget::hideEvent(event);
  if (event->spontaneous()) return;
  Application().Guard(this, [this] {
    if (OnHide) OnHide(this);
  });
}
