#pragma once
// The text a printed PDF carries. The PDF writer tells readers which character each glyph shows by
// looking the glyph up in the font's character map and taking the lowest code point that draws it.
// The CJK fonts draw a radical and its ideograph with one glyph, so 人 would read as the Kangxi radical
// U+2F08 and 页 as U+2EDA, and a space as a tab: a name printed in the list could not be found in the
// file. After the file is written, its text maps are rewritten to name the ideograph (and the space).

#include <QHash>
#include <QList>

class QFont;
class QString;

// For each code point a reader should not be given (a control character, a radical) that the fonts
// draw with the glyph of a printable character or an ideograph: that character.
QHash<char32_t, char32_t> PreferredCharacters(const QList<QFont> &fonts);

// Rewrites the text maps of the fonts in the PDF file so that every code point in `preferred` reads as
// its preferred character. The rest of the file stays as written. False (the file untouched) when it
// cannot be read or written or is not laid out as a PDF with a cross-reference table.
bool RewritePdfTextMaps(const QString &fileName, const QHash<char32_t, char32_t> &preferred);
