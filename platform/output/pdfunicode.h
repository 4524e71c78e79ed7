#pragma once

#include <QString>

namespace qv {

// Qt's PDF writer tells readers which character each glyph stands for by
// taking the lowest code point that the font maps to the glyph. CJK fonts
// map the radicals (U+2E80–U+2FDF) to the glyphs of the ideographs they look
// like, so 人, 日 and 月 were written as radicals and a saved report could
// not be searched or copied. This rewrites those entries of a finished file
// to the ideographs, in place. Returns false only when the file cannot be
// opened for writing.
bool repairPdfCharacters(const QString& fileName);

// The ideograph a radical stands for in the fonts reports are printed with;
// the radical itself when there is none.
char16_t ideographOfRadical(char16_t radical);

} // namespace qv
