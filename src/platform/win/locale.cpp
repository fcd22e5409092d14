#include "win/locale.h"

#include <cstring>

namespace {
struct LanguageName {
  WORD primary;
  const char *name;
};

// Primary language identifiers and the English names of the languages that DVDs carry.
constexpr LanguageName kLanguages[] = {
    {0x01, "Arabic"},     {0x02, "Bulgarian"},  {0x03, "Catalan"},    {0x04, "Chinese"},
    {0x05, "Czech"},      {0x06, "Danish"},     {0x07, "German"},     {0x08, "Greek"},
    {0x09, "English"},    {0x0A, "Spanish"},    {0x0B, "Finnish"},    {0x0C, "French"},
    {0x0D, "Hebrew"},     {0x0E, "Hungarian"},  {0x0F, "Icelandic"},  {0x10, "Italian"},
    {0x11, "Japanese"},   {0x12, "Korean"},     {0x13, "Dutch"},      {0x14, "Norwegian"},
    {0x15, "Polish"},     {0x16, "Portuguese"}, {0x18, "Romanian"},   {0x19, "Russian"},
    {0x1A, "Croatian"},   {0x1B, "Slovak"},     {0x1D, "Swedish"},    {0x1E, "Thai"},
    {0x1F, "Turkish"},    {0x21, "Indonesian"}, {0x22, "Ukrainian"},  {0x24, "Slovenian"},
    {0x25, "Estonian"},   {0x26, "Latvian"},    {0x27, "Lithuanian"}, {0x29, "Persian"},
    {0x2A, "Vietnamese"}, {0x2D, "Basque"},     {0x36, "Afrikaans"},  {0x39, "Hindi"},
    {0x3C, "Irish"},      {0x3E, "Malay"},      {0x49, "Tamil"},      {0x52, "Welsh"},
    {0x56, "Galician"},
};
} // namespace

int GetLocaleInfoA(LCID locale, LCTYPE type, char *data, int size) {
  if (type != LOCALE_SENGLANGUAGE || size < 0) return 0;
  // Croatian, Serbian and Bosnian share a primary language; only Croatian uses sublanguage 1.
  const char *name = nullptr;
  if (PRIMARYLANGID(locale) == 0x1A && (locale >> 10) != 1) name = "Serbian";
  for (const LanguageName &l : kLanguages)
    if (!name && l.primary == PRIMARYLANGID(locale)) name = l.name;
  if (!name) return 0;
  int needed = static_cast<int>(std::strlen(name)) + 1;
  if (size == 0) return needed;
  if (!data || size < needed) return 0;
  std::memcpy(data, name, static_cast<std::size_t>(needed));
  return needed;
}
