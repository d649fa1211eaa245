#include "export/xlsx_error.h"

#include <stdexcept>

namespace sormel {

void failWorkbook(const std::string& reason) { throw std::runtime_error("Excel ブックを作成できません。" + reason); }

}  // namespace sormel
