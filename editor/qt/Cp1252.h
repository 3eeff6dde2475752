#pragma once
// The 8-bit text of model files shown and edited as Windows-1252.
//
// All 256 byte values map to characters and back: the five bytes that 1252 leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the control characters of the same
// value, so any description round-trips byte for byte.

#include <QString>

#include <string>
#include <string_view>

namespace zrb::gui {

QString FromCp1252(std::string_view bytes);

// Characters that 1252 cannot hold become '?'.
std::string ToCp1252(const QString& text);

bool IsCp1252(QChar c);

// `text` without the characters that 1252 cannot hold, which are appended to `left`: what
// the description box keeps of what the user typed or pasted.
QString KeepCp1252(const QString& text, std::u32string& left);

}  // namespace zrb::gui
