// TForm: a top-level window with a stored layout.
//
// The form's controls live in its client area (Client()), the part of the window
// below the main menu, so control places are client coordinates as stored. Left and
// Top place the window frame; ClientWidth and ClientHeight size the client area.
//
// Window messages reach the form as toolkit events (a close command is a QCloseEvent,
// a minimize command a window-state change, WM_SHOWWINDOW a show or hide), so a
// component that installs an event filter on the form sees them before the form's own
// handling and may consume them. Messages sent or posted to the form's window handle
// go through Perform.
#pragma once

#include "framework/component.h"
#include "framework/graphics.h"
#include "win/winuser.h"

#include <QWidget>

#include <functional>

class QMenuBar;
class TMainMenu;

// TBorderStyle (bsNone, bsSingle) is the part of the form's border styles that other
// controls use.
enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
using TBorderStyle = TFormBorderStyle;

enum TBorderIcon : unsigned { biSystemMenu = 1u << 0, biMinimize = 1u << 1, biMaximize = 1u << 2, biHelp = 1u << 3 };
using TBorderIcons = unsigned;

enum TFormStyle { fsNormal, fsStayOnTop };
enum TCloseAction { caNone, caHide, caFree, caMinimize };

using TCloseQueryEvent = std::function<void(QObject *sender, bool &canClose)>;
using TCloseEvent = std::function<void(QObject *sender, TCloseAction &action)>;

class TForm : public QWidget, public TComponentMixin {
  Q_OBJECT
public:
  explicit TForm(QObject *owner = nullptr);
  ~TForm() override;

  // The parent of the form's controls.
  QWidget *Client() const { return client_; }
  // A component of this form by name (any depth), or null.
  QObject *FindComponent(const QString &name) const;

  QString Caption() const { return windowTitle(); }
  void SetCaption(const QString &caption);
  int Left() const { return x(); }
  void SetLeft(int left);
  int Top() const { return y(); }
  void SetTop(int top);
  int ClientWidth() const { return width(); }
  void SetClientWidth(int width);
  int ClientHeight() const { return height() - menuHeight_; }
  void SetClientHeight(int height);

  TFormBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TFormBorderStyle style);
  TBorderIcons BorderIcons() const { return borderIcons_; }
  void SetBorderIcons(TBorderIcons icons);
  TFormStyle FormStyle() const { return formStyle_; }
  void SetFormStyle(TFormStyle style);

  // Window colour: the client area's background when no skin paints it.
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  // Font of the form, inherited by its controls; its colour is the text colour.
  const TFont &Font() const { return font_; }
  void SetFont(const TFont &font);

  TMainMenu *Menu() const { return menu_; }
  void SetMenu(TMainMenu *menu);
  QMenuBar *MenuBar() const { return menuBar_; }
  void Notification(QObject *component, TOperation operation) override;

  bool Visible() const { return isVisible(); }
  void SetVisible(bool visible);
  void Show();
  void Hide() { SetVisible(false); }
  void BringToFront();
  // Asks to close: OnCloseQuery, OnClose, then hide (or terminate for the main form).
  void Close() { close(); }

  // Shown modally through the dialog service; the result is ModalResult.
  int ShowModal();
  int ModalResult() const;
  void SetModalResult(int result);

  // The form's window procedure: translates a window message into the toolkit event
  // that carries it and delivers it through the event filters.
  LRESULT Perform(UINT msg, WPARAM wParam, LPARAM lParam);

  // Runs OnCreate (errors go to the general error handler). Called once by the form's
  // constructor after its stored layout is loaded.
  void DoCreate();

  TNotifyEvent OnCreate;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TCloseQueryEvent OnCloseQuery;
  TCloseEvent OnClose;

protected:
  void closeEvent(QCloseEvent *event) override;
  void showEvent(QShowEvent *event) override;
  void hideEvent(QHideEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  void ApplyWindowFlags();
  void SetClientSize(int width, int height);
  void UpdateMenuHeight();
  void ApplyColor();
  void ApplyFont();
  void PlaceClient();
  int MenuHeight() const;
  bool Fixed() const { return borderStyle_ != bsSizeable && borderStyle_ != bsSizeToolWin; }

  QWidget *client_;
  QMenuBar *menuBar_ = nullptr;
  TMainMenu *menu_ = nullptr;
  int menuHeight_ = 0;
  TFormBorderStyle borderStyle_ = bsSizeable;
  TBorderIcons borderIcons_ = biSystemMenu | biMinimize | biMaximize;
  TFormStyle formStyle_ = fsNormal;
  TColor color_ = clBtnFace;
  TFont font_;
};
