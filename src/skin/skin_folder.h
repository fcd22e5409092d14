// Reading a skin folder: <directory>/<name>/skin.ini with a [skin] group (name,
// description, sections) and one style sheet per section, <SECTION>.qss, UTF-8. In
// each sheet "@SKIN@" becomes the folder's absolute path with forward slashes.
#pragma once

#include <QString>

#include <map>
#include <optional>

struct SkinFolder {
  QString path; // absolute, forward slashes
  QString name;
  QString description;
  // Section (upper case) → sheet. A section whose sheet is missing or unreadable is
  // absent: it stays unskinned.
  std::map<QString, QString> sheets;

  // The sheet of a section, empty when the section is unskinned.
  QString Sheet(const QString &section) const;
};

// Reads a skin; no value when the folder is not a usable skin (no such folder, no
// readable skin.ini, or no [skin] group in it).
std::optional<SkinFolder> ReadSkinFolder(const QString &directory, const QString &name);
