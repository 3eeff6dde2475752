#pragma once
// The 8-bit text of model files shown and edited as Windows-1252.
//
// All 256 byte values map to characters and back: the five bytes that 1252 leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the control characters of the same
// value, so any description round-trips byte for byte.

#include <QString>
#include <QValidator>

#include <string>
#include <string_view>

namespace zrb::gui {

QString FromCp1252(std::string_view bytes);

// Characters that 1252 cannot hold become '?'.
std::string ToCp1252(const QString& text);

bool IsCp1252(QChar c);

// Rejects any text with a character that 1252 cannot hold, so an edit box with it keeps
// to what the model file can store.
class Cp1252Validator : public QValidator {
  public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override;
};

}  // namespace zrb::gui
