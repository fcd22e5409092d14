// TVideoWindow: the control that shows the picture of a TFilterGraph.
//
// It joins the graph twice: as a member it contributes its own video renderer (the
// classic renderer or the mixing renderer, by Mode), creating, configuring, stopping
// and releasing it as the graph adds and removes it; as a listener it places the
// renderer's window over itself (owned by its parent's window) or across the primary
// screen, gives it a caption and a message drain, and adopts the classic renderer
// that the DVD builder used.
//
// The renderer's window drains its mouse input to this control, so the owner's mouse
// handlers see it; while the picture is full screen they get the cursor's screen
// position, which is the point of the picture under it.
//
// Reference counting is component-style: AddRef and Release do not own.
#pragma once

#include "dshow/control.h"
#include "dshow/vmr9.h"
#include "engine/graph_interfaces.h"
#include "framework/component.h"
#include "framework/controls.h"
#include "framework/graphics.h"
#include "framework/menus.h"
#include "video/vmr_options.h"
#include "win/winuser.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <memory>

class QPainter;
class TFilterGraph;

enum TVideoMode { vmNormal = 0, vmVMR = 1 };

class TVideoWindow : public QWidget, public TComponentMixin, public IGraphMember, public IGraphListener {
  Q_OBJECT
public:
  explicit TVideoWindow(QWidget *owner = nullptr);
  ~TVideoWindow() override;

  // Published properties.
  TVideoMode Mode() const { return mode_; }
  // vmVMR falls back to vmNormal without the mixing renderer. On an active graph the
  // renderer is rebuilt, even when the value did not change.
  void SetMode(TVideoMode mode);
  TVMROptions *VMROptions() const { return vmrOptions_.get(); }
  TFilterGraph *FilterGraph() const { return filterGraph_; }
  void SetFilterGraph(TFilterGraph *graph);
  bool FullScreen() const { return fullScreen_; }
  void SetFullScreen(bool fullScreen);
  bool FullScreenTopMost() const { return fullScreenTopMost_; }
  void SetFullScreenTopMost(bool topMost);
  // The renderer's window, found as the parent's child of class "VideoRenderer" titled
  // with Name (null when not found); without the renderer's window, this control's own.
  HWND VideoHandle() const;
  bool Visible() const;
  void SetVisible(bool visible);
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  // Opened on a right click (while full screen, at the cursor) when its AutoPopup is on.
  TPopupMenu *PopupMenu() const { return popupMenu_; }
  void SetPopupMenu(TPopupMenu *menu);
  // alClient fills the parent and follows its resizes (with the parent's other aligned
  // controls, see ArrangeAlignedChildren).
  TAlign Align() const { return AlignOf(this); }
  void SetAlign(TAlign align);
  bool TabStop() const { return tabStop_; }
  void SetTabStop(bool tabStop);
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool showHint) { showHint_ = showHint; }
  // The painter of the paint in progress (null outside OnPaint).
  QPainter *Canvas() const { return canvas_; }

  // Whether the platform can make a mixing renderer (the floating-point environment is
  // kept across the attempt).
  static bool MixingRendererAvailable();
  // Removes this window from its active graph and adds it again, which rebuilds the
  // renderer with the current settings.
  void ReinsertIntoGraph();

  // True while the renderer's window has the full-screen geometry.
  bool FullScreenActive() const { return fullScreenActive_; }

  // Component hooks.
  void Loaded() override;
  void Notification(QObject *component, TOperation operation) override;

  // IUnknown: the windowless control when there is one, this component's own
  // interfaces, then whatever the renderer answers.
  HRESULT QueryInterface(REFIID iid, void **object) override;
  ULONG AddRef() override { return 1; }
  ULONG Release() override { return 1; }
  // IGraphMember
  ComPtr<IBaseFilter> MemberFilter() override { return renderer_; }
  QString MemberName() override { return Name(); }
  void MemberNotify(LONG operation, LONG param) override;
  // IGraphListener
  void GraphNotify(LONG event, LONG_PTR param1, LONG_PTR param2) override;
  void ControlNotify(LONG code, LONG param) override;

  // Events.
  TNotifyEvent OnPaint;
  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseUp;
  TNotifyEvent OnResize;
  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;

protected:
  void paintEvent(QPaintEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;
  void moveEvent(QMoveEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;
  void mouseDoubleClickEvent(QMouseEvent *event) override;
  void mouseMoveEvent(QMouseEvent *event) override;
  void mouseReleaseEvent(QMouseEvent *event) override;
  void contextMenuEvent(QContextMenuEvent *event) override;
  void focusInEvent(QFocusEvent *event) override;
  void focusOutEvent(QFocusEvent *event) override;
  bool event(QEvent *event) override;
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  void CreateRenderer();
  void ConfigureRenderer();
  void ConfigureMixingRenderer();
  void ApplyRenderingPrefs(IVMRFilterConfig9 *config);
  void StopRenderer();
  void ReleaseRenderer();
  bool HasConnectedPin() const;
  void SwitchFullScreen(bool fullScreen);
  void SetCaptionAndDrain();
  void AdoptBuilderRenderer();
  // Places the renderer's picture over this control (not while full screen).
  void PlaceRenderer();
  void HookParent();
  // The context-menu request: the popup menu (at the cursor while full screen; there,
  // without a menu, nothing). False when the parent's handling is due.
  bool ContextMenu(const QPoint &global);
  void ContextMenuOnRelease(const QPoint &local, const QPoint &global);
  void RaiseResize();
  // X and Y handed to the mouse events: the cursor's screen position while full screen.
  QPoint MousePoint(const QPoint &local) const;
  HWND OwnWindow() const;
  HWND ParentWindow() const;

  std::unique_ptr<TVMROptions> vmrOptions_;
  TVideoMode mode_ = vmNormal;
  TFilterGraph *filterGraph_ = nullptr;
  bool fullScreen_ = false;
  bool fullScreenTopMost_ = false;
  TColor color_ = clBlack;
  QPointer<TPopupMenu> popupMenu_;
  QPointer<QWidget> alignedTo_;
  bool tabStop_ = false;
  bool showHint_ = false;
  QPainter *canvas_ = nullptr;
  bool clicked_ = false;

  ComPtr<IBaseFilter> renderer_;
  ComPtr<IVideoWindow> rendererWindow_;
  ComPtr<IVMRWindowlessControl9> windowlessControl_;
  LONG savedStyle_ = 0;
  LONG savedExStyle_ = 0;
  bool fullScreenActive_ = false;
};
