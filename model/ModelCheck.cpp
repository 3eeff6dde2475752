#include "model/ModelCheck.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

#include "model/Cp1252.h"
#include "model/InputFile.h"
#include "model/LineReader.h"
#include "model/Numbers.h"
#include "platform/Text.h"

namespace zrb {

namespace {

bool IsWordChar(char c) {
    return IsAsciiDigit(c) || IsAsciiLetter(c) || c == '_';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsAsciiSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsAsciiSpace(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// Length of the decimal number at the start of `text` by the number conversion's
// grammar (sign, digits, point, fraction, exponent); 0 when there is none.

// A text as it appears in a message: in quotes, with TABs and other control
// characters made visible.
std::string Quoted(std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\t') {
            out += "\\t";
        } else if (c == '\r') {
            out += "\\r";
        } else if (byte < 0x20 || byte == 0x7f) {
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xf];
        } else {
            out += c;
        }
    }
    out += '"';
    return out;
}

std::string CountWord(std::size_t n) {
    static constexpr std::string_view kWords[] = {"no",   "one",  "two", "three",
                                                  "four", "five", "six", "seven"};
    return n < std::size(kWords) ? std::string(kWords[n]) : std::to_string(n);
}

std::string DescribeSeparator(std::string_view separator) {
    if (separator == " ") {
        return "one space";
    }
    const std::size_t tabs = separator.size();
    return CountWord(tabs) + (tabs == 1 ? " TAB" : " TABs");
}

std::size_t EditDistanceIgnoringCase(std::string_view a, std::string_view b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) {
        row[j] = j;
    }
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            const std::size_t cost = AsciiLower(a[i - 1]) == AsciiLower(b[j - 1]) ? 0 : 1;
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + cost});
            diagonal = above;
        }
    }
    return row[b.size()];
}

const ModelKey* MatchingKey(std::string_view line) {
    for (const ModelKey& key : ModelKeys()) {
        if (line.substr(0, key.key.size()) == key.key) {
            return &key;
        }
    }
    return nullptr;
}

std::size_t KeyIndex(const ModelKey* key) {
    return static_cast<std::size_t>(key - ModelKeys().data());
}

// What an unrecognised line that starts with `word` was probably meant to be.
struct KeyGuess {
    enum How { Exact, Case, Near, Unknown };
    How how;
    const ModelKey* key;  // nullptr for Unknown
};

std::optional<KeyGuess> GuessKey(std::string_view text, std::string_view word) {
    if (word.empty()) {
        return std::nullopt;
    }
    if (const ModelKey* key = MatchingKey(text)) {
        return KeyGuess{KeyGuess::Exact, key};
    }
    const ModelKey* best = nullptr;
    std::size_t bestDistance = 0;
    for (const ModelKey& key : ModelKeys()) {
        const std::size_t distance = EditDistanceIgnoringCase(word, key.key);
        if (best == nullptr || distance < bestDistance) {
            best = &key;
            bestDistance = distance;
        }
    }
    // A word without the dot counts only when a number follows, so that ordinary text
    // such as "Mass of the hull" is left alone.
    if (word.front() != '.') {
        std::string_view rest = text.substr(word.size());
        const std::size_t blanks =
            std::find_if(rest.begin(), rest.end(), [](char c) { return !IsBlank(c); }) -
            rest.begin();
        if (blanks == 0 || DecimalNumberLength(rest.substr(blanks)) == 0) {
            return std::nullopt;
        }
    }
    if (bestDistance == 0) {
        return KeyGuess{KeyGuess::Case, best};
    }
    // Short keys tolerate one typing error, long ones one per five characters.
    const std::size_t tolerance = std::max<std::size_t>(1, best->key.size() / 5);
    if (bestDistance <= tolerance) {
        return KeyGuess{KeyGuess::Near, best};
    }
    if (word.front() == '.') {
        return KeyGuess{KeyGuess::Unknown, nullptr};
    }
    return std::nullopt;
}

class Checker {
  public:
    // Reads into `model` and `speedText` as ReadModelFile does.
    Checker(std::vector<ModelFinding>& findings, MotionModel& model, std::string& speedText)
        : findings_(findings), model_(model), speedText_(speedText) {}

    void Run(LineReader& reader);

  private:
    ModelFinding& Add(std::size_t line, FindingKind kind, std::string message,
                      const ModelKey* key = nullptr) {
        findings_.push_back({line, kind, std::move(message), key, std::nullopt, 0.0});
        return findings_.back();
    }
    void CheckFirstLine(std::string_view piece);
    void CheckKeyLine(std::string_view piece);
    void CheckOtherLine(std::string_view piece);
    void EndLine(bool endedByLineFeed, bool hadCarriageReturn);
    void Finish();

    std::vector<ModelFinding>& findings_;
    MotionModel& model_;
    std::string& speedText_;
    std::size_t line_ = 1;
    std::size_t lineLength_ = 0;
    bool strayCrReported_ = false;
    std::size_t bareLineFeeds_ = 0;
    std::size_t firstBareLineFeed_ = 0;
    std::array<std::vector<std::size_t>, 11> occurrences_;
    std::array<bool, 11> lastMisread_{};
};

void Checker::Run(LineReader& reader) {
    std::string_view piece;
    bool first = true;
    bool endedByLineFeed = true;
    while (reader.Next(piece)) {
        lineLength_ += piece.size();
        if (first) {
            model_.description.assign(piece);
            CheckFirstLine(piece);
            first = false;
        } else {
            CheckKeyLine(piece);
        }
        if (!strayCrReported_ && piece.find('\r') != std::string_view::npos) {
            strayCrReported_ = true;
            // Saving rewrites every line but the description, so only there does
            // the CR stay.
            Add(line_, line_ == 1 ? FindingKind::Misread : FindingKind::Layout,
                "a CR stands inside the line, not before its line feed; the reader keeps it "
                "as text");
        }
        endedByLineFeed = reader.EndedByLineFeed();
        if (endedByLineFeed) {
            EndLine(true, reader.HadCarriageReturn());
        }
    }
    if (first) {
        Add(0, FindingKind::Misread, "the file is empty; the reader sets no field");
        return;
    }
    if (!endedByLineFeed) {
        EndLine(false, false);
    }
    Finish();
}

void Checker::CheckFirstLine(std::string_view piece) {
    if (const ModelKey* key = MatchingKey(piece)) {
        Add(line_, FindingKind::Misread,
            "the first line is always the description, so this " + std::string(key->key) +
                " line sets nothing");
    } else if (piece.substr(0, 2) != "//") {
        Add(line_, FindingKind::Layout,
            "the description does not begin with \"//\"; saving puts \"//\" in front of it");
    }
}

void Checker::CheckKeyLine(std::string_view piece) {
    const ModelKey* key = ApplyModelLine(piece, model_, speedText_);
    if (key == nullptr) {
        CheckOtherLine(piece);
        return;
    }
    const std::size_t index = KeyIndex(key);
    occurrences_[index].push_back(line_);
    bool misread = false;
    const double value = model_.*key->field;
    std::string_view shown;
    auto misreadHere = [&](std::string message, bool aboutValue = true) {
        misread = true;
        ModelFinding& finding = Add(line_, FindingKind::Misread, std::move(message), key);
        if (aboutValue) {
            finding.says = std::string(shown);
            finding.reads = value;
        }
    };
    const std::string keyText(key->key);

    // Letters right after the key make a longer name (".massive"); a digit there
    // starts the value (".mass950").
    std::size_t nameEnd = key->key.size();
    if (nameEnd < piece.size() && IsWordChar(piece[nameEnd]) && !IsAsciiDigit(piece[nameEnd])) {
        while (nameEnd < piece.size() && IsWordChar(piece[nameEnd])) {
            ++nameEnd;
        }
    }
    std::size_t valueStart = nameEnd;
    while (valueStart < piece.size() && IsBlank(piece[valueStart])) {
        ++valueStart;
    }
    shown = Trim(piece.substr(valueStart));
    if (nameEnd > key->key.size()) {
        misreadHere(std::string(piece.substr(0, nameEnd)) + " is read as the key " + keyText +
                        ": the reader compares only the first " + std::to_string(key->key.size()) +
                        " characters",
                    false);
    }
    const std::string_view read =
        piece.size() > key->valueColumn ? Trim(piece.substr(key->valueColumn)) : "";
    if (read != shown) {
        std::string message = keyText + " value " + Quoted(shown) +
                              " is cut: the reader starts at character " +
                              std::to_string(key->valueColumn + 1) + " and reads " + Quoted(read) +
                              " = " + FormatGeneral15(value);
        if (nameEnd == key->key.size()) {
            message +=
                "; put " + DescribeSeparator(key->separator) + " between the key and the value";
        }
        misreadHere(std::move(message));
    } else if (shown.empty()) {
        misreadHere(keyText + " has no value; the reader sets " + std::string(key->name) + " to 0");
    } else if (const std::size_t length = DecimalNumberLength(shown); length == 0) {
        misreadHere(keyText + " value " + Quoted(shown) + " is not a number; the reader sets " +
                    std::string(key->name) + " to 0");
    } else if (length < shown.size()) {
        misreadHere(keyText + " value " + Quoted(shown) +
                    " is not a plain number; the reader takes only " +
                    Quoted(shown.substr(0, length)) + " = " + FormatGeneral15(value));
    } else if (!std::isfinite(value)) {
        misreadHere(keyText + " value " + Quoted(shown) +
                    " is too large: the reader gets infinity, which cannot be saved");
    }
    lastMisread_[index] = misread;
}

void Checker::CheckOtherLine(std::string_view piece) {
    std::size_t start = 0;
    while (start < piece.size() && IsBlank(piece[start])) {
        ++start;
    }
    const std::string_view text = piece.substr(start);
    if (text.substr(0, 2) == "//") {
        return;
    }
    std::size_t wordEnd = 0;
    while (wordEnd < text.size() && (IsWordChar(text[wordEnd]) || text[wordEnd] == '.')) {
        ++wordEnd;
    }
    const std::string_view word = text.substr(0, wordEnd);
    const std::optional<KeyGuess> guess = GuessKey(text, word);
    if (!guess) {
        return;
    }
    const bool indented = start > 0;
    std::string message;
    switch (guess->how) {
        case KeyGuess::Exact:
            // Only an indented line can match a key after its blanks.
            Add(line_, FindingKind::Misread,
                "key " + std::string(guess->key->key) +
                    " is indented; the reader recognises keys only in the first column and "
                    "ignores this line");
            return;
        case KeyGuess::Case:
            message = std::string(word) + " is not a key (keys are case-sensitive)";
            break;
        case KeyGuess::Near:
        case KeyGuess::Unknown:
            message = std::string(word) + " is not a key";
            break;
    }
    if (indented) {
        message += " and the line is indented";
    }
    message += "; the reader ignores this line";
    if (guess->key != nullptr) {
        message += "; did you mean " + std::string(guess->key->key) + "?";
    }
    Add(line_, FindingKind::Misread, std::move(message));
}

void Checker::EndLine(bool endedByLineFeed, bool hadCarriageReturn) {
    if (lineLength_ > LineReader::kMaxPiece) {
        const std::string length = std::to_string(lineLength_);
        Add(line_, FindingKind::Misread,
            line_ == 1 ? "the description is " + length +
                             " characters long; the reader keeps only the first 1023 and "
                             "reads the rest as further lines"
                       : "the line is " + length +
                             " characters long; the reader cuts it into pieces of 1023 "
                             "characters and reads each as a line of its own");
    }
    if (!endedByLineFeed) {
        Add(line_, FindingKind::Layout, "the last line has no line end (CR LF)");
    } else if (!hadCarriageReturn) {
        if (bareLineFeeds_++ == 0) {
            firstBareLineFeed_ = line_;
        }
    }
    ++line_;
    lineLength_ = 0;
    strayCrReported_ = false;
}

void Checker::Finish() {
    if (bareLineFeeds_ > 0) {
        std::string message = "the line ends with LF instead of CR LF";
        if (bareLineFeeds_ > 1) {
            message += " (so do " + std::to_string(bareLineFeeds_ - 1) + " more lines)";
        }
        Add(firstBareLineFeed_, FindingKind::Layout, std::move(message));
    }
    const auto& keys = ModelKeys();
    const auto& advice = ModelFieldAdvice();
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const std::vector<std::size_t>& lines = occurrences_[i];
        const std::string keyText(keys[i].key);
        if (lines.empty()) {
            Add(0, FindingKind::Misread,
                keyText + " is missing; the reader leaves " + std::string(keys[i].name) +
                    " unchanged, so the window keeps the previous model's value",
                &keys[i]);
            continue;
        }
        for (std::size_t j = 0; j + 1 < lines.size(); ++j) {
            Add(lines[j], FindingKind::Misread,
                keyText + " is repeated on line " + std::to_string(lines.back()) +
                    "; the reader keeps only the last value",
                &keys[i]);
        }
        const double value = model_.*keys[i].field;
        if (!lastMisread_[i] && !WithinAdvice(advice[i], value)) {
            Add(lines.back(), FindingKind::Advice,
                std::string(keys[i].name) + " is " + FormatGeneral15(value) + "; advised: " +
                    AdvisedRangeText(advice[i]) + " " + std::string(advice[i].advice));
        }
    }
    std::stable_sort(
        findings_.begin(), findings_.end(), [](const ModelFinding& a, const ModelFinding& b) {
            // File-wide findings (line 0) come last.
            return (a.line == 0 ? SIZE_MAX : a.line) < (b.line == 0 ? SIZE_MAX : b.line);
        });
}

// Whether the description reads as the Windows-1252 text the editor shows: bytes that
// form UTF-8 sequences were written in UTF-8 by some other program and show as "CafÃ©";
// control characters and the bytes 1252 leaves undefined show as no text at all. A CR
// has a finding of its own; a TAB shows as a space. The first such place is reported.
std::optional<ModelFinding> CheckDescriptionText(std::string_view description) {
    for (std::size_t i = 0; i < description.size(); ++i) {
        const auto byte = static_cast<unsigned char>(description[i]);
        const char16_t c = Cp1252ToUnicode(byte);
        std::string message;
        if (const Utf8Char utf8 = DecodeUtf8(description.substr(i)); utf8.length > 1) {
            const std::string_view sequence = description.substr(i, utf8.length);
            message =
                "the description holds UTF-8 text, which the editor reads as "
                "Windows-1252: \"" +
                std::string(sequence) + "\" shows as \"" + Cp1252ToUtf8(sequence) + "\"";
        } else if (byte == '\r' || byte == '\t') {
            continue;  // a TAB shows as a space
        } else if (byte < 0x20 || byte == 0x7f) {
            message = "the description holds the control character " +
                      Quoted(description.substr(i, 1)) + ", which the editor does not show as text";
        } else if (byte >= 0x80 && c == byte && byte < 0xa0) {
            static constexpr char kHex[] = "0123456789ABCDEF";
            message = std::string("the description holds the byte 0x") + kHex[byte >> 4] +
                      kHex[byte & 0xf] + ", which Windows-1252 leaves undefined";
        } else {
            continue;
        }
        ModelFinding finding;
        finding.line = 1;
        finding.kind = FindingKind::Advice;
        finding.message = std::move(message);
        return finding;
    }
    return std::nullopt;
}

}  // namespace

Result CheckModelFile(const std::string& path, std::vector<ModelFinding>& findings,
                      MotionModel* read) {
    MotionModel model;
    std::string speedText;
    const Result checked = ReadAndCheckModelFile(path, model, speedText, findings);
    if (checked && read != nullptr) {
        *read = model;
    }
    return checked;
}

namespace {

// The checks on an opened file (or bytes): what both entry points share.
Result CheckOpened(InputFile& file, MotionModel& model, std::string& speedText,
                   std::vector<ModelFinding>& findings) {
    std::vector<ModelFinding> found;
    Checker checker(found, model, speedText);
    LineReader reader(file);
    checker.Run(reader);
    if (reader.Failed()) {
        return Result::Failure(file.ReadFailure());
    }
    if (std::optional<ModelFinding> text = CheckDescriptionText(model.description)) {
        // After the other findings of line 1.
        const auto after = std::find_if(found.begin(), found.end(),
                                        [](const ModelFinding& f) { return f.line != 1; });
        found.insert(after, std::move(*text));
    }
    findings.insert(findings.end(), std::make_move_iterator(found.begin()),
                    std::make_move_iterator(found.end()));
    return Result::Success();
}

}  // namespace

Result ReadAndCheckModelFile(const std::string& path, MotionModel& model, std::string& speedText,
                             std::vector<ModelFinding>& findings) {
    model.description.clear();
    InputFile file;
    if (Result opened = file.Open(path); !opened) {
        return opened;
    }
    return CheckOpened(file, model, speedText, findings);
}

void ReadAndCheckModelBytes(std::string_view bytes, MotionModel& model, std::string& speedText,
                            std::vector<ModelFinding>& findings) {
    model.description.clear();
    InputFile file;
    file.OpenBytes(bytes, std::string());
    // Memory cannot fail to read.
    (void)CheckOpened(file, model, speedText, findings);
}

}  // namespace zrb
