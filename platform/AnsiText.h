#pragma once

// Text in the store's code page, Windows-1252. Every file the store hands us
// (catalogue package, label files, barcode files, zev.ini) holds such bytes;
// they are kept as std::string and converted only at the edges.

#include <QString>

#include <string>
#include <string_view>

namespace zev {

// Lossless for all 256 bytes: the five bytes Windows-1252 leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 code points of the same value.
char32_t AnsiCharToUnicode(unsigned char byte);
// The Windows-1252 byte of a code point, or -1 when the code page has none.
int UnicodeToAnsiChar(char32_t codePoint);

std::string AnsiToUtf8(std::string_view ansi);
// One of the program's own texts, written in UTF-8 in its source.
inline QString Text(const char* utf8)
{
    return QString::fromUtf8(utf8);
}
// A value from the store's files as a message quotes it: UTF-8, and no more
// than its first 60 bytes followed by "...", not the whole of a garbage line.
std::string Shown(std::string_view ansi);
// Code points without a Windows-1252 byte become '?'. Malformed UTF-8 is
// taken byte by byte as Windows-1252, so no input is lost silently.
std::string Utf8ToAnsi(std::string_view utf8);
QString AnsiToQString(std::string_view ansi);
std::string QStringToAnsi(const QString& text);

// Upper case of the Windows-1252 letters (a-z, the accented letters, š œ ž ÿ).
std::string AnsiUpperCase(std::string_view text);
// Equality without regard to case, as section and key names are matched.
bool AnsiSameText(std::string_view a, std::string_view b);

// Case-insensitive, locale-aware comparison for Portuguese: letters compare
// by their base letter first ("a" = "A", "á" sorts with "a", before "b"),
// accents decide only between otherwise equal texts, digits compare as
// characters ("1" < "10" < "2"). Returns <0, 0 or >0.
int AnsiCompareText(std::string_view a, std::string_view b);

// The same order on UTF-8 text, made total for the database collation:
// base letters first (case and accents ignored), then accents, then case,
// then code points, so only identical texts compare equal.
int CollateUtf8(std::string_view a, std::string_view b);

// UTF-8 text reduced to what a search compares: base letters in upper case
// ("Açúcar", "AÇÚCAR" and "acucar" all give "ACUCAR"), ligatures spelt out
// ("æ" "AE"); every other character kept as it is.
std::string FoldUtf8(std::string_view utf8);

// Word wrap at column maxCol: inserts CR LF after a blank, hyphen or tab so
// that lines end no later than maxCol; never splits a word; a single or
// double quote opens a stretch without breaks until the same quote closes
// it; maxCol 0 breaks at every opportunity. A CR LF already in the text is
// kept as a break.
std::string WrapText(std::string_view line, int maxCol);

} // namespace zev
