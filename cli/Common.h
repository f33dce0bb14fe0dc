// What the command's verbs share: exit statuses, the fields' options, the settings value, the
// paper, and the texts as a terminal shows them.
#pragma once

#include "core/RaschetData.h"
#include "export/Template.h"
#include "input/Validators.h"
#include "road/Road.h"

#include <memory>
#include <string>
#include <string_view>

namespace kiv::cli {

enum Exit {
    kDone = 0,
    kFileFailed = 1, // a file could not be written (or the program failed itself)
    kRefused = 2,    // refused input or bad usage
};

// A window text for the terminal: "\n" where the window breaks lines ("\r").
std::string ConsoleLines(std::string_view text);

// The settings value every script restores at its end: `option` when given
// (a whole number from 0 to 32767), else the first line of "Kiv_ini.txt" in
// the current folder under the window's rules. False with the message when
// neither gives one.
bool ResolveOsmode(bool given, const std::string& option, std::string& value,
                   std::string& error);

// The template's paper and orientation from their option texts ("A4", "A3",
// "Letter"; "auto", "portrait", "landscape").
bool ParsePaper(const std::string& paper, const std::string& orientation,
                TemplateOptions& options, std::string& error);

// The input an option names for pattern `type` ("-H", "--P1" ...); false when
// the option has no field in that type.
bool InputOfOption(const std::string& option, int type, Input& in);

// The option that names `in` ("-H", "--P1" ...).
const char* OptionOfInput(Input in);

// Why a field's text was refused, as the terminal shows it: the window's
// text, but in Russian where the window quotes the number reader's English
// one. `texts` are the texts the hood was confirmed with.
std::string RefusalLines(const Refusal& refusal, const FieldTexts& texts);

// Today's date as the title block shows it.
std::string Today();

// Qt's painter at work, off screen, for as long as it lives: the templates
// are painted on the thread that made it, while it lives.
class PaintSession {
public:
    PaintSession();
    ~PaintSession();
    PaintSession(const PaintSession&) = delete;
    PaintSession& operator=(const PaintSession&) = delete;

private:
    struct Application;
    std::unique_ptr<Application> application_;
};

// The paper template of a confirmed hood as PDF bytes, painted off screen
// within a PaintSession.
// False with the message when the template does not fit or cannot be made.
bool TemplatePdfBytes(const RaschetData& confirmed, int type, const TemplateOptions& options,
                      const std::string& title, std::string& bytes, std::string& error);

} // namespace kiv::cli
