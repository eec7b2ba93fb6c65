#pragma once
// The sheet and the windows name the font 굴림; on this system it is drawn with
// an installed Korean font. Call once after the application object exists.
namespace print {

void installKoreanFonts();

} // namespace print
