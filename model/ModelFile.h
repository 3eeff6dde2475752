#pragma once
// The motion model record and its 18-line text file.
//
// A model file holds the description on line 1, a fixed comment block and eleven key
// lines whose values stand at fixed character columns. Every line ends with CR LF.

#include <array>
#include <string>
#include <string_view>

#include "model/Numbers.h"
#include "platform/Result.h"

namespace zrb {

struct MotionModel {
    double gasScaleFactor = 0.0;
    double maxTurnRate = 0.0;
    double maxAccel = 0.0;
    double turnTightness = 0.0;
    double mass = 0.0;
    double coeffStaticFriction = 0.0;
    double coeffKineticFriction = 0.0;
    double coefficientOfRestitution = 0.0;
    double horsePower = 0.0;
    double momentOfInertia = 0.0;
    double bumpyFactor = 0.0;
    std::string description;  // 8-bit bytes, one line

    bool operator==(const MotionModel&) const = default;
};

enum class ModelFileVariant {
    SaveChanges,  // horsepower written with "%.1f"
    SaveAsNew,    // horsepower written with "%.1e"
};

// One key line of the file. `valueColumn` is the number of characters in front of the
// value text (key plus separator); the reader takes the value from that column on.
struct ModelKey {
    std::string_view key;        // ".gasScaleFactor"
    std::string_view separator;  // TABs, or one space
    std::size_t valueColumn;
    double MotionModel::*field;
    std::string_view name;  // the field's name: "gasScaleFactor"
};

// The eleven keys in the order the writer emits them and the reader tries them.
const std::array<ModelKey, 11>& ModelKeys();

// The value text of one key as the given variant writes it.
std::string FormatModelValue(const ModelKey& key, double value, ModelFileVariant variant);

// The decimals a file keeps of `value` in the field of `key`: the writer's fixed
// decimals (4, 2 or 1); for horsePower, which "Save as New" writes as "%.1e", as many
// as that form keeps when they are more (7.5e-002 keeps 3).
int KeptDecimals(const ModelKey& key, double value);

// The description rule: a description whose first two bytes are not "//" gets "//"
// put in front.
void EnsureDescriptionPrefix(MotionModel& model);

// The exact bytes of the file for `model` (whose description must already carry "//").
std::string ModelFileBytes(const MotionModel& model, ModelFileVariant variant);

// Writes `model` to `path`. First applies the description rule to `model` (also when the
// write then fails). The file is written to a temporary file in the same folder, flushed
// and renamed over `path`, so a failure leaves an existing file untouched and no
// temporary file behind. Refuses a model with a value that is infinite or not a number.
// Returns success, or failure with a message that names the file and the reason.
Result WriteModelFile(const std::string& path, MotionModel& model, ModelFileVariant variant);

// Reads `path` into `model`: line 1 replaces the description, each key line found
// replaces its field (the last occurrence wins) and ".gasScaleFactor" also replaces
// `speedText`. Nothing else is reset. Lines may end with CR LF or LF; lines longer than
// 1023 characters are handled in pieces of 1023. A file that cannot be opened (or is no
// regular file, or is far too large for a model) reads like a file with one empty line;
// a read error stops reading there. Fails in both cases with a message naming the file
// and the reason.
Result ReadModelFile(const std::string& path, MotionModel& model, std::string& speedText);

// Applies one line (not the first) of a model file to `model`, as the reader does.
// Returns the key that matched, or nullptr.
const ModelKey* ApplyModelLine(std::string_view line, MotionModel& model, std::string& speedText);

}  // namespace zrb
