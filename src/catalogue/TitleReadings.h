#pragma once
// How a clerk may type a title or a serial number without a Chinese input method.
//
// A title reads as its pinyin (lower case, without tones or blanks) and as its initials: every Chinese
// character gives its syllable (or the syllable's first letter), a run of Latin letters and digits
// stays whole ("IT经理世界" reads itjinglishijie, initials itjlsj), punctuation and blanks give nothing.
// Syllables come from ICU's Han-Latin transliterator, which reads the title as a whole; where it reads
// a word the way few people say it (银行 as yinxing, 长江 as zhangjiang), a short list of words of our
// own corrects it, and the transliterator's own reading is kept as an alternative (a clerk may type
// either). ü is written u, and also v as input methods take it.
//
// A serial number (国内统一刊号 or ISSN) is compared without blanks and hyphens, in lower case and
// without a leading "CN" or "ISSN"; a domestic number's classification after "/" may be left out.

#include <QString>
#include <QStringList>

struct TitleReadings {
    QStringList spellings; // full pinyin, the preferred reading first; no duplicates
    QStringList initials;  // the initials of each spelling, no duplicates
};

TitleReadings ReadTitle(const QString &title);

// Whether a search text asks for the readings: after trimming, only Latin letters and blanks (full-
// width forms count), at least one letter.
bool IsReadingSearchText(const QString &text);
// The text as the readings are compared with it: lower case, without blanks, full-width folded.
QString ReadingSearchKey(const QString &text);

// The forms a stored serial number is found by (the whole number, and a domestic number without
// its classification); empty for a text that holds no letter or digit.
QStringList SerialNumberForms(const QString &serial);
// The form a typed serial number is compared in; empty when it holds no letter or digit.
QString SerialSearchKey(const QString &text);
