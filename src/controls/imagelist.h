// A container of image lists: several lists of 16 x 16 images. Components that use a
// list register a change link and hear about every change.
#pragma once

#include "framework/component.h"

#include <QImage>

#include <vector>

class TLMDCustomImageList;

class TLMDChangeLink {
public:
  TLMDCustomImageList *Sender() const { return sender_; }
  TNotifyEvent OnChange; // sender = the image list

private:
  friend class TLMDCustomImageList;
  TLMDCustomImageList *sender_ = nullptr;
};

class TLMDCustomImageList : public TComponent {
  Q_OBJECT
public:
  static constexpr int ImageWidth = 16;
  static constexpr int ImageHeight = 16;

  explicit TLMDCustomImageList(QObject *owner = nullptr);
  ~TLMDCustomImageList() override;

  int ListCount() const { return static_cast<int>(lists_.size()); }
  // Adds an empty list; returns its index.
  int AddList();
  // Images in a list; 0 for a list that does not exist.
  int Count(int list) const;
  // Appends an image (scaled to 16 x 16 when it has another size); returns its index,
  // or -1 for a list that does not exist or a null image.
  int Add(int list, const QImage &image);
  void Delete(int list, int index);
  void Clear();
  // A null image for one that does not exist.
  QImage Image(int list, int index) const;
  // Draws an image at (x, y) onto target, blending its transparent pixels; false when
  // the image does not exist.
  bool Draw(int list, int index, QImage &target, int x = 0, int y = 0) const;

  void RegisterChanges(TLMDChangeLink *link);
  void UnRegisterChanges(TLMDChangeLink *link);

private:
  void Change();
  std::vector<std::vector<QImage>> lists_;
  std::vector<TLMDChangeLink *> links_;
};
