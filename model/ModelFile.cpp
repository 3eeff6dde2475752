#include "model/ModelFile.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "model/InputFile.h"
#include "model/LineReader.h"
#include "platform/SafeFile.h"

namespace zrb {

namespace {

constexpr std::string_view kCrLf = "\r\n";

constexpr std::string_view kFixedLines[] = {
    "// ----------------------------------------------",
    "// Info required for motion model data files:",
    "// .gasScaleFactor is a multiplier so you can scale the max speed of this object",
    "// Maximum recommended .gasScaleFactor for this object is ",
    "// .maxTurnRate is the sharpest turn the veh can make.",
};

int Decimals(const ModelKey& key) {
    const auto field = key.field;
    if (field == &MotionModel::mass || field == &MotionModel::coeffStaticFriction ||
        field == &MotionModel::coeffKineticFriction) {
        return 2;
    }
    if (field == &MotionModel::coefficientOfRestitution || field == &MotionModel::horsePower ||
        field == &MotionModel::momentOfInertia || field == &MotionModel::bumpyFactor) {
        return 1;
    }
    return 4;
}

}  // namespace

const std::array<ModelKey, 11>& ModelKeys() {
    static const std::array<ModelKey, 11> keys = {{
        {".gasScaleFactor", "\t\t\t", 18, &MotionModel::gasScaleFactor, "gasScaleFactor"},
        {".maxTurnRate", "\t\t\t", 15, &MotionModel::maxTurnRate, "maxTurnRate"},
        {".maxAccel", "\t\t\t\t", 13, &MotionModel::maxAccel, "maxAccel"},
        {".turnTightness", "\t\t\t", 17, &MotionModel::turnTightness, "turnTightness"},
        {".mass", "\t\t\t\t\t", 10, &MotionModel::mass, "mass"},
        {".coeffStaticFriction", "\t", 21, &MotionModel::coeffStaticFriction,
         "coeffStaticFriction"},
        {".coeffKineticFriction", "\t", 22, &MotionModel::coeffKineticFriction,
         "coeffKineticFriction"},
        {".coefficientOfRestitution", " ", 26, &MotionModel::coefficientOfRestitution,
         "coefficientOfRestitution"},
        {".horsePower", "\t\t\t\t", 15, &MotionModel::horsePower, "horsePower"},
        {".momentOfInertia", "\t\t", 18, &MotionModel::momentOfInertia, "momentOfInertia"},
        {".bumpyFactor", "\t\t\t", 15, &MotionModel::bumpyFactor, "bumpyFactor"},
    }};
    return keys;
}

std::string FormatModelValue(const ModelKey& key, double value, ModelFileVariant variant) {
    if (key.field == &MotionModel::horsePower && variant == ModelFileVariant::SaveAsNew) {
        return FormatExponent1(value);
    }
    return FormatFixed(value, Decimals(key));
}

int KeptDecimals(const ModelKey& key, double value) {
    const int fixed = Decimals(key);
    if (key.field != &MotionModel::horsePower || value == 0.0 || !std::isfinite(value)) {
        return fixed;
    }
    // "7.5e-002": one decimal of a mantissa that stands `exponent` places off.
    const std::string text = FormatExponent1(value);
    const std::size_t e = text.find('e');
    int exponent = 0;
    const char* first = text.data() + e + 1 + (text[e + 1] == '+' ? 1 : 0);
    std::from_chars(first, text.data() + text.size(), exponent);
    return std::max(fixed, 1 - exponent);
}

void EnsureDescriptionPrefix(MotionModel& model) {
    if (model.description.compare(0, 2, "//") != 0) {
        model.description.insert(0, "//");
    }
}

std::string ModelFileBytes(const MotionModel& model, ModelFileVariant variant) {
    const std::string gas = FormatFixed(model.gasScaleFactor, 4);
    std::string out;
    out.reserve(model.description.size() + 600);
    auto line = [&out](std::string_view text) {
        out += text;
        out += kCrLf;
    };
    line(model.description);
    line(kFixedLines[0]);
    line(kFixedLines[1]);
    line(kFixedLines[2]);
    out += kFixedLines[3];
    line(gas);
    line(kFixedLines[4]);
    line("");
    for (const ModelKey& key : ModelKeys()) {
        out += key.key;
        out += key.separator;
        line(key.field == &MotionModel::gasScaleFactor
                 ? gas
                 : FormatModelValue(key, model.*key.field, variant));
    }
    return out;
}

Result WriteModelFile(const std::string& path, MotionModel& model, ModelFileVariant variant) {
    EnsureDescriptionPrefix(model);
    for (const ModelKey& key : ModelKeys()) {
        if (!std::isfinite(model.*key.field)) {
            return Result::Failure("Could not save \"" + path + "\": the value of " +
                                   std::string(key.name) +
                                   " is not a finite number. Nothing was written.");
        }
    }
    return SaveFileAtomically(path, ModelFileBytes(model, variant));
}

const ModelKey* ApplyModelLine(std::string_view line, MotionModel& model, std::string& speedText) {
    for (const ModelKey& key : ModelKeys()) {
        if (line.size() < key.key.size() || line.compare(0, key.key.size(), key.key) != 0) {
            continue;
        }
        const std::string_view value =
            line.size() > key.valueColumn ? line.substr(key.valueColumn) : std::string_view();
        model.*key.field = ParseNumber(value);
        if (key.field == &MotionModel::gasScaleFactor) {
            speedText = SpeedText(model.gasScaleFactor);
        }
        return &key;
    }
    return nullptr;
}

Result ReadModelFile(const std::string& path, MotionModel& model, std::string& speedText) {
    model.description.clear();
    InputFile file;
    if (Result opened = file.Open(path); !opened) {
        return opened;
    }
    LineReader reader(file);
    std::string_view line;
    if (reader.Next(line)) {
        model.description.assign(line);
        while (reader.Next(line)) {
            ApplyModelLine(line, model, speedText);
        }
    }
    return reader.Failed() ? Result::Failure(file.ReadFailure()) : Result::Success();
}

}  // namespace zrb
