// "zrb show --json", parsed back by a small strict JSON reader.

#include <gtest/gtest.h>

#include <limits>
#include <map>
#include <optional>
#include <sstream>
#include <variant>

#include "CliRun.h"
#include "TestFolder.h"
#include "model/Numbers.h"
#include "tools/zrb/Json.h"

namespace {

using zrb::testing::TestFolder;
using zrb::testing::WorkedExample;
using zrb::testing::WriteBytes;
using zrb::testing::Zrb;

struct Null {};
using Value = std::variant<Null, double, std::u32string>;
using Object = std::map<std::string, Value>;

// Reads one flat JSON object (string keys; string, number or null values) and nothing
// else; fails on anything that is not strict JSON.
class FlatJsonReader {
  public:
    explicit FlatJsonReader(std::string_view text) : text_(text) {}

    std::optional<Object> ReadObject() {
        Object object;
        if (!Take('{')) {
            return std::nullopt;
        }
        if (Take('}')) {
            return AtEnd() ? std::optional(object) : std::nullopt;
        }
        do {
            std::u32string key;
            if (!ReadString(key) || !Take(':')) {
                return std::nullopt;
            }
            std::optional<Value> value = ReadValue();
            if (!value || !object.emplace(Narrow(key), *value).second) {
                return std::nullopt;
            }
        } while (Take(','));
        if (!Take('}') || !AtEnd()) {
            return std::nullopt;
        }
        return object;
    }

  private:
    static std::string Narrow(const std::u32string& text) { return {text.begin(), text.end()}; }
    bool AtEnd() const { return pos_ == text_.size(); }
    bool Take(char c) {
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }

    std::optional<Value> ReadValue() {
        if (text_.substr(pos_, 4) == "null") {
            pos_ += 4;
            return Value(Null{});
        }
        if (pos_ < text_.size() && text_[pos_] == '"') {
            std::u32string s;
            return ReadString(s) ? std::optional<Value>(s) : std::nullopt;
        }
        // number = [-] int [frac] [exp], int without leading zeros
        const std::size_t start = pos_;
        Take('-');
        if (Take('0')) {
        } else if (!Digits()) {
            return std::nullopt;
        }
        if (Take('.') && !Digits()) {
            return std::nullopt;
        }
        if (Take('e') || Take('E')) {
            if (!Take('+')) {
                Take('-');
            }
            if (!Digits()) {
                return std::nullopt;
            }
        }
        return Value(zrb::ParseNumber(text_.substr(start, pos_ - start)));
    }

    bool Digits() {
        const std::size_t start = pos_;
        while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9') {
            ++pos_;
        }
        return pos_ > start;
    }

    std::optional<char32_t> Hex4() {
        if (pos_ + 4 > text_.size()) {
            return std::nullopt;
        }
        char32_t unit = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = text_[pos_++];
            const int digit = (c >= '0' && c <= '9')   ? c - '0'
                              : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                              : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                                       : -1;
            if (digit < 0) {
                return std::nullopt;
            }
            unit = unit * 16 + static_cast<char32_t>(digit);
        }
        return unit;
    }

    // Only ASCII is expected in the output, so any other byte fails too.
    bool ReadString(std::u32string& out) {
        if (!Take('"')) {
            return false;
        }
        while (pos_ < text_.size()) {
            const auto c = static_cast<unsigned char>(text_[pos_++]);
            if (c == '"') {
                return true;
            }
            if (c < 0x20 || c >= 0x80) {
                return false;
            }
            if (c != '\\') {
                out += c;
                continue;
            }
            if (pos_ >= text_.size()) {
                return false;
            }
            const char e = text_[pos_++];
            static const std::map<char, char32_t> simple = {{'"', '"'},  {'\\', '\\'}, {'/', '/'},
                                                            {'b', '\b'}, {'f', '\f'},  {'n', '\n'},
                                                            {'r', '\r'}, {'t', '\t'}};
            if (const auto it = simple.find(e); it != simple.end()) {
                out += it->second;
            } else if (e == 'u') {
                std::optional<char32_t> unit = Hex4();
                if (!unit) {
                    return false;
                }
                if (*unit >= 0xd800 && *unit <= 0xdbff) {
                    if (!Take('\\') || !Take('u')) {
                        return false;
                    }
                    const std::optional<char32_t> low = Hex4();
                    if (!low || *low < 0xdc00 || *low > 0xdfff) {
                        return false;
                    }
                    *unit = 0x10000 + ((*unit - 0xd800) << 10) + (*low - 0xdc00);
                } else if (*unit >= 0xdc00 && *unit <= 0xdfff) {
                    return false;
                }
                out += *unit;
            } else {
                return false;
            }
        }
        return false;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

std::vector<Object> ParseLines(const std::string& text) {
    std::vector<Object> objects;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        std::optional<Object> object = FlatJsonReader(line).ReadObject();
        EXPECT_TRUE(object.has_value()) << "not a flat JSON object: " << line;
        if (object) {
            objects.push_back(*object);
        }
    }
    return objects;
}

TEST(ShowJsonTest, OneObjectPerFileWithEveryFieldAsTheReaderGetsIt) {
    TestFolder folder;
    zrb::MotionModel car = WorkedExample();
    ASSERT_TRUE(zrb::WriteModelFile(folder / "car.zrb", car, zrb::ModelFileVariant::SaveAsNew));
    // 8-bit description bytes: Windows-1252 (u umlaut, euro sign, an undefined byte),
    // valid UTF-8 (e acute, a car emoji), a broken UTF-8 lead, quote, backslash and
    // control characters; and a value that reads as infinity.
    const std::string description =
        "//F\xfcr \x80 5\x81 caf\xc3\xa9 \xf0\x9f\x9a\x97 \xc3( \"q\" \\ \x01\t\x7f";
    std::string odd = zrb::ModelFileBytes(car, zrb::ModelFileVariant::SaveChanges);
    odd.replace(0, odd.find("\r\n"), description);
    odd.replace(odd.find("950.00"), 6, "1e999");
    WriteBytes(folder / "odd.zrb", odd);
    // Without .gasScaleFactor there is no speed.
    std::string noGas = zrb::ModelFileBytes(car, zrb::ModelFileVariant::SaveChanges);
    noGas.replace(noGas.find(".gasScaleFactor\t"), 1, "//");
    WriteBytes(folder / "nogas.zrb", noGas);

    const auto run =
        Zrb({"show", "--json", folder / "car.zrb", folder / "odd.zrb", folder / "nogas.zrb"});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::vector<Object> objects = ParseLines(run.out);
    ASSERT_EQ(objects.size(), 3u);
    EXPECT_TRUE(std::holds_alternative<Null>(objects[2].at("speed")));

    const Object& first = objects[0];
    EXPECT_EQ(first.size(), 14u);  // file, description, eleven fields, speed
    const std::string carPath = folder / "car.zrb";
    EXPECT_EQ(std::get<std::u32string>(first.at("file")),
              std::u32string(carPath.begin(), carPath.end()));
    EXPECT_EQ(std::get<std::u32string>(first.at("description")), U"//Small city car");
    EXPECT_EQ(std::get<double>(first.at("speed")), 150.0);
    for (const zrb::ModelKey& key : zrb::ModelKeys()) {
        ASSERT_TRUE(first.count(std::string(key.name))) << key.name;
        EXPECT_EQ(std::get<double>(first.at(std::string(key.name))), car.*key.field) << key.name;
    }

    // The description as the editor shows it: every byte read as Windows-1252, so
    // UTF-8 sequences are the characters of their bytes.
    const Object& second = objects[1];
    EXPECT_EQ(std::get<std::u32string>(second.at("description")),
              U"//F\u00fcr \u20ac 5\u0081 caf\u00c3\u00a9 \u00f0\u0178\u0161\u2014 \u00c3( \"q\" "
              U"\\ \u0001\t\u007f");
    EXPECT_TRUE(std::holds_alternative<Null>(second.at("mass")));
    EXPECT_EQ(std::get<double>(second.at("horsePower")), 75.0);
    EXPECT_EQ(std::get<double>(second.at("speed")), 150.0);
}

TEST(JsonTextTest, NumbersAreValidJson) {
    EXPECT_EQ(zrb::cli::JsonNumber(-0.0), "-0");
    EXPECT_EQ(zrb::cli::JsonNumber(1e20), "1e+020");
    EXPECT_EQ(zrb::cli::JsonNumber(-1e-5), "-1e-005");
    EXPECT_EQ(zrb::cli::JsonNumber(-std::numeric_limits<double>::infinity()), "null");
    for (const double value : {-0.0, 1e20, -1e-5, 0.1235, 131766.0}) {
        const std::string text = "{\"v\":" + zrb::cli::JsonNumber(value) + "}";
        const std::optional<Object> object = FlatJsonReader(text).ReadObject();
        ASSERT_TRUE(object) << text;
        EXPECT_EQ(std::get<double>(object->at("v")), value);
    }
}

TEST(JsonTextTest, OverlongAndSurrogateUtf8AreTakenAsWindows1252) {
    // C0 80 is an overlong NUL, ED A0 80 an encoded surrogate: neither is valid UTF-8.
    EXPECT_EQ(zrb::cli::JsonString("\xc0\x80"), "\"\\u00c0\\u20ac\"");
    EXPECT_EQ(zrb::cli::JsonString("\xed\xa0\x80"), "\"\\u00ed\\u00a0\\u20ac\"");
    EXPECT_EQ(zrb::cli::JsonString("\xe2\x82"), "\"\\u00e2\\u201a\"");  // cut sequence
}

}  // namespace
