#include "editor/qt/Cp1252.h"

#include <QList>

#include "model/Cp1252.h"

namespace zrb::gui {

namespace {

int ByteOf(QChar c) {
    const std::optional<unsigned char> byte = UnicodeToCp1252(c.unicode());
    return byte ? *byte : -1;
}

}  // namespace

QString FromCp1252(std::string_view bytes) {
    QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char b : bytes) {
        const auto u = static_cast<unsigned char>(b);
        *out++ = QChar(Cp1252ToUnicode(u));
    }
    return text;
}

std::string ToCp1252(const QString& text) {
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    for (const QChar c : text) {
        const int b = ByteOf(c);
        bytes += static_cast<char>(b < 0 ? '?' : b);
    }
    return bytes;
}

bool IsCp1252(QChar c) {
    return ByteOf(c) >= 0;
}

QString KeepCp1252(const QString& text, std::u32string& left) {
    QString kept;
    kept.reserve(text.size());
    // By code point, so that a character outside the BMP goes as one.
    for (const char32_t c : text.toUcs4()) {
        if (const std::optional<unsigned char> byte = UnicodeToCp1252(c)) {
            kept += QChar(Cp1252ToUnicode(*byte));
        } else {
            left += c;
        }
    }
    return kept;
}

}  // namespace zrb::gui
