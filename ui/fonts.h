#pragma once

// The windows ask for 標楷體 (the splash and titles) and 細明體 (everything else).
// Debian has neither name: they are mapped to the AR PL families of the TW
// flavour (the CN ones draw simplified glyph forms).
namespace AppFonts {

void install();

} // namespace AppFonts
