#include "win/locale.h"

#include <cstring>

namespace {
struct LanguageName {
  WORD primary;
  const char *name;
  const char *italian; // the name in the user interface's language
};

// Primary language identifiers and the English and Italian names of the languages that DVDs carry.
constexpr LanguageName kLanguages[] = {
    {0x01, "Arabic", "Arabo"},          {0x02, "Bulgarian", "Bulgaro"},   {0x03, "Catalan", "Catalano"},
    {0x04, "Chinese", "Cinese"},        {0x05, "Czech", "Ceco"},          {0x06, "Danish", "Danese"},
    {0x07, "German", "Tedesco"},        {0x08, "Greek", "Greco"},         {0x09, "English", "Inglese"},
    {0x0A, "Spanish", "Spagnolo"},      {0x0B, "Finnish", "Finlandese"},  {0x0C, "French", "Francese"},
    {0x0D, "Hebrew", "Ebraico"},        {0x0E, "Hungarian", "Ungherese"}, {0x0F, "Icelandic", "Islandese"},
    {0x10, "Italian", "Italiano"},      {0x11, "Japanese", "Giapponese"}, {0x12, "Korean", "Coreano"},
    {0x13, "Dutch", "Olandese"},        {0x14, "Norwegian", "Norvegese"}, {0x15, "Polish", "Polacco"},
    {0x16, "Portuguese", "Portoghese"}, {0x18, "Romanian", "Rumeno"},     {0x19, "Russian", "Russo"},
    {0x1A, "Croatian", "Croato"},       {0x1B, "Slovak", "Slovacco"},     {0x1D, "Swedish", "Svedese"},
    {0x1E, "Thai", "Thailandese"},      {0x1F, "Turkish", "Turco"},       {0x21, "Indonesian", "Indonesiano"},
    {0x22, "Ukrainian", "Ucraino"},     {0x24, "Slovenian", "Sloveno"},   {0x25, "Estonian", "Estone"},
    {0x26, "Latvian", "Lettone"},       {0x27, "Lithuanian", "Lituano"},  {0x29, "Persian", "Persiano"},
    {0x2A, "Vietnamese", "Vietnamita"}, {0x2D, "Basque", "Basco"},        {0x36, "Afrikaans", "Afrikaans"},
    {0x39, "Hindi", "Hindi"},           {0x3C, "Irish", "Irlandese"},     {0x3E, "Malay", "Malese"},
    {0x49, "Tamil", "Tamil"},           {0x52, "Welsh", "Gallese"},       {0x56, "Galician", "Galiziano"},
};
} // namespace

int GetLocaleInfoA(LCID locale, LCTYPE type, char *data, int size) {
  if ((type != LOCALE_SENGLANGUAGE && type != LOCALE_SLANGUAGE) || size < 0) return 0;
  const bool english = type == LOCALE_SENGLANGUAGE;
  // Croatian, Serbian and Bosnian share a primary language; only Croatian uses sublanguage 1.
  const char *name = nullptr;
  if (PRIMARYLANGID(locale) == 0x1A && (locale >> 10) != 1) name = english ? "Serbian" : "Serbo";
  for (const LanguageName &l : kLanguages)
    if (!name && l.primary == PRIMARYLANGID(locale)) name = english ? l.name : l.italian;
  if (!name) return 0;
  int needed = static_cast<int>(std::strlen(name)) + 1;
  if (size == 0) return needed;
  if (!data || size < needed) return 0;
  std::memcpy(data, name, static_cast<std::size_t>(needed));
  return needed;
}
