#pragma once
// Finds where the model file reader would read a file differently from what a person
// reading its text expects: values cut by the value column, keys it does not
// recognise, missing or repeated keys, values that are not plain numbers, and lines
// that are not in the writer's layout. Also checks the values against the advice that
// the window shows beside each field.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/FieldAdvice.h"
#include "model/ModelFile.h"
#include "platform/Result.h"

namespace zrb {

enum class FindingKind {
    Misread,  // the reader gets something other than what the text says
    Layout,   // read as meant, but not as the writer lays it out; saving fixes it
    Advice,   // a value outside the range the window advises
};

struct ModelFinding {
    std::size_t line = 0;  // 1-based; 0 for the file as a whole (a missing key)
    FindingKind kind = FindingKind::Misread;
    std::string message;
    // The key the finding is about (a cut or wrong value, a repeat, a missing key), or
    // nullptr.
    const ModelKey* key = nullptr;
    // For a value read differently: the value text as the line shows it (the file's
    // bytes) and the number the reader takes from it.
    std::optional<std::string> says;
    double reads = 0.0;
};

// Reads `path` line by line exactly as ReadModelFile does and appends what it finds to
// `findings`, ordered by line, file-wide findings last. Fails without findings when
// the file cannot be read, with the message ReadModelFile gives. When `read` is given,
// it receives what ReadModelFile reads into a default model, so no second read is needed.
Result CheckModelFile(const std::string& path, std::vector<ModelFinding>& findings,
                      MotionModel* read = nullptr);

// ReadModelFile and CheckModelFile in one reading of the file: reads `path` into `model`
// and `speedText` exactly as ReadModelFile does (same result, same model afterwards) and
// appends the findings on the bytes read. A file that cannot be read gives no findings.
Result ReadAndCheckModelFile(const std::string& path, MotionModel& model, std::string& speedText,
                             std::vector<ModelFinding>& findings);

// ReadAndCheckModelFile on bytes read already (ReadModelBytes): the same model, speed
// text and findings as reading a file holding `bytes`.
void ReadAndCheckModelBytes(std::string_view bytes, MotionModel& model, std::string& speedText,
                            std::vector<ModelFinding>& findings);

}  // namespace zrb
