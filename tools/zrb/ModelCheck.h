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
};

// Reads `path` line by line exactly as ReadModelFile does and appends what it finds to
// `findings`, ordered by line, file-wide findings last. Fails without findings when
// the file cannot be read, with the message ReadModelFile gives. When `read` is given,
// it receives what ReadModelFile reads into a default model, so no second read is needed.
Result CheckModelFile(const std::string& path, std::vector<ModelFinding>& findings,
                      MotionModel* read = nullptr);

}  // namespace zrb
