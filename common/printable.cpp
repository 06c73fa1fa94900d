#include "common/printable.h"

using namespace Qt::StringLiterals;

namespace {

bool acts(char32_t c) {
    switch (QChar::category(c)) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_Surrogate:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        return false;
    }
}

QString escape(char32_t c) {
    if (c < 0x100)
        return u"\\x%1"_s.arg(uint(c), 2, 16, QLatin1Char('0'));
    if (c < 0x10000)
        return u"\\u%1"_s.arg(uint(c), 4, 16, QLatin1Char('0'));
    return u"\\U%1"_s.arg(uint(c), 8, 16, QLatin1Char('0'));
}

} // namespace

QString printable(QStringView text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        const bool pair = text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        if (pair)
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
        if (acts(c))
            out += escape(c);
        else
            out += text.sliced(i, pair ? 2 : 1);
        i += pair;
    }
    return out;
}
