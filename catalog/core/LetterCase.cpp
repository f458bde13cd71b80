#include "catalog/core/LetterCase.h"

namespace {

// A surrogate pair is one letter (the Deseret and Adlam alphabets have case)
// and is mapped whole; a surrogate without its partner has no case.
template <typename Map>
QString eachCharacter(const QString& text, Map map) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        out.append(QChar::fromUcs4(map(c)));
    }
    return out;
}

}  // namespace

QString UCase(const QString& text) {
    return eachCharacter(text, [](char32_t c) { return QChar::toUpper(c); });
}

// Qt leaves U+0130 (capital I with dot above) alone, since its full mapping
// is two characters; its one-character mapping, which the platform's
// functions use, is a plain i.
QString LCase(const QString& text) {
    return eachCharacter(text, [](char32_t c) { return c == 0x130 ? char32_t('i') : QChar::toLower(c); });
}
