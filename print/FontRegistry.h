#pragma once

namespace velmora::print {

// Makes the fonts that ship inside the program (MICR65) available to Qt's font database, once per
// process; later calls only report. Returns whether the family "MICR65" is available. Needs a
// QGuiApplication.
bool registerBundledFonts();

} // namespace velmora::print
