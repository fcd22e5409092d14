#include "app/bookmark_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

const QLatin1String kFileName("bookmark.bmk");
const QLatin1String kDataSubfolder("quovadel-dvd");

QString Choose() {
  const QString exe = QCoreApplication::applicationDirPath();
  const QString exeFolder = QDir::toNativeSeparators(exe + QLatin1Char('/'));
  const bool writable = QFileInfo(exe).isWritable();
  const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  const QString file = ChooseBookmarkFile(exeFolder, writable, data);
  if (!writable) QDir().mkpath(QFileInfo(file).absolutePath());
  return file;
}

} // namespace

QString ChooseBookmarkFile(const QString &exeFolder, bool exeFolderWritable, const QString &dataFolder) {
  if (exeFolderWritable || dataFolder.isEmpty()) return exeFolder + kFileName;
  return QDir::toNativeSeparators(QDir(dataFolder).filePath(kDataSubfolder + QLatin1Char('/') + kFileName));
}

const QString &BookmarkFile() {
  static const QString file = Choose();
  return file;
}
