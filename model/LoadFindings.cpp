#include "model/LoadFindings.h"

#include <algorithm>

#include "model/Cp1252.h"
#include "model/Numbers.h"

namespace zrb {

namespace {

// A checker message as a sentence: first letter capital, a full stop at the end.
std::string Sentence(std::string text) {
    if (!text.empty() && text.front() >= 'a' && text.front() <= 'z') {
        text.front() = static_cast<char>(text.front() - 'a' + 'A');
    }
    if (!text.empty() && text.back() != '.' && text.back() != '?') {
        text += '.';
    }
    return text;
}

std::string LineSentence(const ModelFinding& finding) {
    if (finding.says && finding.key != nullptr) {
        const std::string line = "The file's " + std::string(finding.key->key) + " line";
        const std::string reads = FormatBoxNumber(finding.reads);
        if (finding.says->empty()) {
            return line + " has no value, so the editor reads " + reads + ".";
        }
        return line + " says " + Cp1252ToUtf8(*finding.says) + ", but the editor reads " + reads +
               ".";
    }
    if (finding.line == 0) {
        return Sentence(Cp1252ToUtf8(finding.message));
    }
    std::string text =
        "Line " + std::to_string(finding.line) + ": " + Cp1252ToUtf8(finding.message);
    return text.back() == '?' ? text : text + ".";
}

std::string KeyList(const std::vector<const ModelKey*>& keys) {
    std::string list;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (i > 0) {
            list += i + 1 == keys.size() ? " and " : ", ";
        }
        list += keys[i]->key;
    }
    return list;
}

std::string MissingSentence(const std::vector<const ModelKey*>& missing) {
    if (missing.size() == ModelKeys().size()) {
        return "The file lacks every key: the boxes show the values carried over from the "
               "model shown before.";
    }
    return "The file lacks " + KeyList(missing) +
           (missing.size() == 1 ? ": its box shows the value" : ": their boxes show the values") +
           " carried over from the model shown before.";
}

std::string UnreadableSentence(const std::string& reason) {
    return Sentence(reason) +
           " The boxes show the values carried over from the model shown before.";
}

}  // namespace

LoadFindings LoadFindings::From(const Result& read, const std::vector<ModelFinding>& findings) {
    LoadFindings out;
    if (!read) {
        out.unreadable = read.message();
        return out;
    }
    bool empty = false;
    for (const ModelFinding& finding : findings) {
        if (finding.kind != FindingKind::Misread) {
            continue;
        }
        if (finding.line == 0 && finding.key != nullptr) {
            out.missing.push_back(finding.key);
        } else if (finding.line == 0) {
            empty = true;  // an empty file: no key set, nothing else to say
        } else {
            out.misread.push_back(finding);
        }
    }
    if (empty) {
        out.missing.clear();
        for (const ModelKey& key : ModelKeys()) {
            out.missing.push_back(&key);
        }
    }
    return out;
}

std::vector<std::string> FindingSentences(const LoadFindings& findings) {
    std::vector<std::string> sentences;
    if (findings.unreadable) {
        sentences.push_back(UnreadableSentence(*findings.unreadable));
    }
    for (const ModelFinding& finding : findings.misread) {
        sentences.push_back(LineSentence(finding));
    }
    if (!findings.missing.empty()) {
        sentences.push_back(MissingSentence(findings.missing));
    }
    return sentences;
}

std::string LoadWarningText(const LoadFindings& findings) {
    std::string text;
    for (const std::string& sentence : FindingSentences(findings)) {
        text += text.empty() ? "" : " ";
        text += sentence;
    }
    return text;
}

std::string FleetMisreadText(const LoadFindings& findings) {
    LoadFindings lines = findings;
    lines.missing.clear();
    std::string text = LoadWarningText(lines);
    if (!findings.missing.empty()) {
        text += text.empty() ? "" : " ";
        text += "The file lacks " + KeyList(findings.missing) +
                (findings.missing.size() == 1 ? ", which reads as 0." : ", which read as 0.");
    }
    return text;
}

std::string BoxFindingText(const LoadFindings& findings, const ModelKey* key) {
    std::string text;
    const auto add = [&text](const std::string& sentence) {
        text += text.empty() ? "" : " ";
        text += sentence;
    };
    if (findings.unreadable && key != nullptr) {
        add(UnreadableSentence(*findings.unreadable));
    }
    for (const ModelFinding& finding : findings.misread) {
        // Findings of the first line without a key are about the description.
        if (finding.key == key && (key != nullptr || finding.line == 1)) {
            add(LineSentence(finding));
        }
    }
    if (key != nullptr && std::find(findings.missing.begin(), findings.missing.end(), key) !=
                              findings.missing.end()) {
        add("The file lacks " + std::string(key->key) +
            ": this box shows the value carried over from the model shown before.");
    }
    return text;
}

std::string SaveAnywayQuestion(const LoadFindings& findings, const MotionModel& model) {
    const auto untouched = [&](const ModelKey* key) {
        return key == nullptr || model.*key->field == findings.loaded.*key->field;
    };
    LoadFindings open = findings;
    std::erase_if(open.misread, [&](const ModelFinding& f) { return !untouched(f.key); });
    std::erase_if(open.missing, [&](const ModelKey* key) { return !untouched(key); });
    std::vector<std::string> sentences = FindingSentences(open);
    const std::string_view description = model.description;
    const std::size_t written = description.size() + (description.substr(0, 2) == "//" ? 0 : 2);
    if (written > kLongestDescriptionRead) {
        sentences.push_back("The description is " + std::to_string(written) +
                            " characters long. The file keeps all of it, but the next time the "
                            "model is loaded only its first " +
                            std::to_string(kLongestDescriptionRead) + " characters are read.");
    }
    if (sentences.empty()) {
        return {};
    }
    if (sentences.size() == 1) {
        return sentences.front() + " Save anyway?";
    }
    std::string question;
    for (const std::string& sentence : sentences) {
        question += sentence + "\n";
    }
    return question + "\nSave anyway?";
}

std::string Utf8Of(char32_t c) {
    std::string out;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

std::string CharactersLeftOutMessage(std::u32string_view characters) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::u32string distinct;
    for (const char32_t c : characters) {
        if (distinct.find(c) == std::u32string::npos) {
            distinct += c;
        }
    }
    constexpr std::size_t kNamed = 8;
    std::string list;
    for (std::size_t i = 0; i < distinct.size() && i < kNamed; ++i) {
        const char32_t c = distinct[i];
        std::string code;
        for (char32_t v = c; v != 0 || code.size() < 4; v >>= 4) {
            code.insert(code.begin(), kHex[v & 0xF]);
        }
        list += (i > 0 ? ", \"" : "\"") + Utf8Of(c) + "\" (U+" + code + ")";
    }
    if (distinct.size() > kNamed) {
        list += " and " + std::to_string(distinct.size() - kNamed) + " more";
    }
    return "A motion model file holds only the characters of Windows-1252, so the "
           "description leaves out " +
           list + ". The rest of the text is kept.";
}

}  // namespace zrb
