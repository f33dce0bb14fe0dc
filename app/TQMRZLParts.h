#pragma once

// What the window's source files share and no other file needs.

#include "app/Messages.h"
#include "app/TQMRZL.h"

#include <QString>

#include <exception>
#include <string>

namespace form1 {

inline QString FromUtf8(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

inline const char* const kScriptButtonCaption = "Файл развертки \"по точкам\"";

} // namespace form1

template <class Body> void TForm1::guarded(Body&& body) {
    // No exception may cross Qt's event loop: an action that has shown its own
    // message ends silently, a field that is not a number gets the error box,
    // and anything unforeseen is shown rather than ending the program.
    try {
        body();
    } catch (const SilentAbort&) {
    } catch (const ConversionError& err) {
        messages_.show(Messages::Kind::Error, title_, form1::FromUtf8(err.text) + QLatin1Char('.'));
    } catch (const std::exception& err) {
        messages_.show(Messages::Kind::Error, title_, QString::fromLocal8Bit(err.what()));
    }
}
