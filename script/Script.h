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

// The name of the files written for one hood, without extension: the texts
// joined by "x". When that and ".scr" would exceed 50 characters, its first 37
// characters, "~" and the CRC-32 of the whole joined text as 8 lowercase hex
// digits, so that different hoods never share a file. Every file the program
// names after the hood (script, DXF, template) starts from this name.
std::string ScriptBaseName(const std::vector<std::string>& texts);

// The script's file name: the base name and ".scr", at most 50 characters.
std::string ScriptFileName(const std::vector<std::string>& texts);

// The script button's caption after a write: Файл  "<name>".
std::string ScriptButtonCaption(std::string_view name);

// The whole script file of pattern type 1, 2 or 3 as bytes, CRLF after every
// line: header, outline, fold lines, seam strips, wire outline, footer.
std::string ScriptBytes(const RaschetData& d, int type);

} // namespace kiv
