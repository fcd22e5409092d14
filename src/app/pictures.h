// The pictures the windows show, compiled into the program: button symbols, menu
// pictures, the popup title picture, the logos.
#pragma once

#include <QByteArray>
#include <QPixmap>
#include <QString>

class TImageList;

// A picture by file name without extension (e.g. "play", "disc_logo_32"); an empty
// pixmap when there is none.
QPixmap Picture(const QString &name);
// The raw bytes of a bundled file (e.g. "logo.jpg").
QByteArray PictureData(const QString &fileName);
// Fills a list with the seventeen 16 x 16 menu pictures, in their index order.
void LoadMenuPictures(TImageList *list);

// Menu picture indexes.
enum TMenuPicture {
  mpOpen, mpExit, mpPlay, mpPause, mpStop, mpFrameStep, mpNextChapter, mpPrevChapter, mpFastForward,
  mpRewind, mpRootMenu, mpTitleMenu, mpFullscreen, mpSaveBookmark, mpRestoreBookmark, mpToolbar, mpEject
};
