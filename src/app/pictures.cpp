#include "app/pictures.h"

#include "framework/imagelist.h"

#include <QFile>

namespace {
const QString kFolder = QStringLiteral(":/pictures/");
}

QPixmap Picture(const QString &name) {
  QPixmap p;
  p.load(kFolder + name + QStringLiteral(".png"));
  return p;
}

QByteArray PictureData(const QString &fileName) {
  QFile f(kFolder + fileName);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return f.readAll();
}

void LoadMenuPictures(TImageList *list) {
  const QStringList names = QString::fromUtf8(PictureData(QStringLiteral("menu_pictures.txt")))
                                .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  for (const QString &name : names) list->AddFromFile(kFolder + name.trimmed());
}
