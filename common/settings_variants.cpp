#include "common/settings_variants.h"

#include <QByteArray>
#include <QList>
#include <QMetaType>
#include <QtEndian>
#include <optional>

namespace {

int digit(char c, int base) {
    const int d = c >= '0' && c <= '9'   ? c - '0'
                  : c >= 'a' && c <= 'f' ? c - 'a' + 10
                  : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                         : 99;
    return d < base ? d : -1;
}

// The bytes of one value as QSettings reads them back: quotes dropped, escapes resolved; \x and octal escapes
// take every digit that follows. Nothing when a character does not fit a byte or the value is not a single one.
std::optional<QByteArray> unescaped(QByteArrayView v) {
    static const QByteArrayView letters = "abfnrtv", controls = "\a\b\f\n\r\t\v";
    QByteArray out;
    bool quoted = false;
    for (qsizetype i = 0; i < v.size(); ++i) {
        if (v[i] == '"') {
            quoted = !quoted;
            continue;
        }
        // Outside quotes a comma would make a list of variants, and a semicolon would end the value.
        if (!quoted && (v[i] == ',' || v[i] == ';'))
            return std::nullopt;
        // QSettings escapes every byte past ASCII in a variant; a raw one would be read as another character.
        if (uchar(v[i]) >= 0x80)
            return std::nullopt;
        if (v[i] != '\\') {
            out += v[i];
            continue;
        }
        if (++i == v.size())
            break;
        const int base = v[i] == 'x' ? 16 : digit(v[i], 8) >= 0 ? 8 : 0;
        if (base == 0) {
            const qsizetype k = letters.indexOf(v[i]);
            out += k >= 0 ? controls[k] : v[i];
            continue;
        }
        uint n = 0;
        for (i += base == 16; i < v.size() && digit(v[i], base) >= 0; ++i) {
            n = n * uint(base) + uint(digit(v[i], base));
            if (n > 0xff)
                return std::nullopt;
        }
        out += char(n);
        --i;
    }
    return out;
}

// QDataStream's QVariantMap of QString values, big-endian, as QSettings writes it.
bool isTextMap(QByteArrayView p) {
    qsizetype at = 0;
    const auto number = [&]() -> std::optional<quint32> {
        if (p.size() - at < 4)
            return std::nullopt;
        at += 4;
        return qFromBigEndian<quint32>(p.data() + at - 4);
    };
    // A variant of the stream's version 4.0 is its type and its value, with no null flag between.
    const auto variant = [&](int type) { return number() == quint32(type); };
    const auto text = [&] {
        const auto bytes = number();
        if (bytes == 0xffffffffu)
            return true;
        if (!bytes || *bytes % 2 || *bytes > quint64(p.size() - at))
            return false;
        at += *bytes;
        return true;
    };
    const auto count = variant(QMetaType::QVariantMap) ? number() : std::nullopt;
    for (quint32 i = 0; count && i < *count; ++i) {
        if (!text() || !variant(QMetaType::QString) || !text())
            return false;
    }
    return count && at == p.size();
}

} // namespace

bool variantsAreTextMaps(QByteArrayView ini) {
    static const QByteArrayView head = "@Variant(";
    for (const QByteArrayView line : QByteArray::fromRawData(ini.data(), ini.size()).split('\n')) {
        if (!line.contains(head))
            continue;
        const auto value = unescaped(line.sliced(line.indexOf('=') + 1).trimmed());
        if (!value || !value->startsWith(head) || !value->endsWith(')') ||
            !isTextMap(QByteArrayView(*value).sliced(head.size(), value->size() - head.size() - 1)))
            return false;
    }
    return true;
}
