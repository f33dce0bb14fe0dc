#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace kiv {

// Started from the desktop menu, the program has no sensible working folder of
// its own (the menu starts it in the home folder or in "/"). It works in a
// folder of the user's instead, which holds the settings file and receives the
// scripts like any other working folder.
inline constexpr std::string_view kUserFolderName = "Kiv_TQMRZL";
inline constexpr std::string_view kSettingsFileName = "Kiv_ini.txt";

struct UserFolder {
    std::filesystem::path path; // <home>/Kiv_TQMRZL
    std::string error;          // empty when the folder is ready to work in
};

// Makes sure <home>/Kiv_TQMRZL exists and holds a settings file: a missing one
// is written with `defaultSettings`, whole or not at all; a file that is there,
// whatever it holds, is the user's and is never replaced. The home folder
// itself is not created. On failure `error` says, in the program's language,
// what could not be done and why.
UserFolder PrepareUserFolder(const std::filesystem::path& home, std::string_view defaultSettings);

} // namespace kiv
