#include "skin/skin_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringConverter>
#include <QStringDecoder>

namespace {

// The file's text, or no value when it cannot be read or is not UTF-8.
std::optional<QString> ReadText(const QString &fileName) {
  QFileInfo info(fileName);
  if (!info.isFile()) return std::nullopt;
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) return std::nullopt;
  QStringDecoder decode(QStringConverter::Utf8);
  QString text = decode(bytes);
  if (decode.hasError()) return std::nullopt;
  if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
  return text;
}

// The keys of one [group] of an INI text; no value when the group is absent.
std::optional<std::map<QString, QString>> IniGroup(const QString &text, const QString &group) {
  std::map<QString, QString> keys;
  bool inGroup = false, found = false;
  const QStringList lines = text.split(QLatin1Char('\n'));
  for (QString line : lines) {
    line = line.trimmed();
    if (line.isEmpty() || line.startsWith(QLatin1Char(';')) || line.startsWith(QLatin1Char('#'))) continue;
    if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
      inGroup = line.mid(1, line.size() - 2).trimmed().compare(group, Qt::CaseInsensitive) == 0;
      found = found || inGroup;
      continue;
    }
    qsizetype eq = line.indexOf(QLatin1Char('='));
    if (!inGroup || eq <= 0) continue;
    keys[line.left(eq).trimmed().toLower()] = line.mid(eq + 1).trimmed();
  }
  if (!found) return std::nullopt;
  return keys;
}

} // namespace

QString SkinFolder::Sheet(const QString &section) const {
  auto it = sheets.find(section.toUpper());
  return it == sheets.end() ? QString() : it->second;
}

std::optional<SkinFolder> ReadSkinFolder(const QString &directory, const QString &name) {
  if (directory.isEmpty() || name.isEmpty()) return std::nullopt;
  QDir dir(QDir(directory).filePath(name));
  if (!dir.exists()) return std::nullopt;
  std::optional<QString> ini = ReadText(dir.filePath(QStringLiteral("skin.ini")));
  if (!ini) return std::nullopt;
  std::optional<std::map<QString, QString>> keys = IniGroup(*ini, QStringLiteral("skin"));
  if (!keys) return std::nullopt;

  SkinFolder skin;
  skin.path = QDir::fromNativeSeparators(dir.absolutePath());
  skin.name = (*keys)["name"].isEmpty() ? name : (*keys)["name"];
  skin.description = (*keys)["description"];
  QStringList sections = (*keys)["sections"].split(QLatin1Char(','), Qt::SkipEmptyParts);
  if (sections.isEmpty()) sections = {"FORM", "BUTTON", "CHECKBOX", "PANEL"};
  for (QString section : sections) {
    section = section.trimmed().toUpper();
    if (section.isEmpty() || section.contains(QLatin1Char('/')) || section.contains(QLatin1Char('\\'))) continue;
    std::optional<QString> sheet = ReadText(dir.filePath(section + QStringLiteral(".qss")));
    if (!sheet) continue;
    skin.sheets[section] = sheet->replace(QStringLiteral("@SKIN@"), skin.path);
  }
  return skin;
}
