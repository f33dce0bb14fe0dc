#pragma once

#include "core/RaschetData.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kiv {

// The inputs whose field texts name the script of pattern type 1, 2 or 3:
// L1, L2, H, S, then P1, P2 (type 2) or P1, P2, d (type 3).
std::span<const Input> NameInputsFor(int type);

// The texts joined by "x" with ".scr" appended, at most 50 characters. A longer
// name is cut before the extension so that it still ends in ".scr".
std::string ScriptFileName(const std::vector<std::string>& texts);

// The script button's caption after a write: Файл  "<name>".
std::string ScriptButtonCaption(std::string_view name);

// The whole script file of pattern type 1, 2 or 3 as bytes, CRLF after every
// line: header, outline, fold lines, seam strips, wire outline, footer.
std::string ScriptBytes(const RaschetData& d, int type);

} // namespace kiv
