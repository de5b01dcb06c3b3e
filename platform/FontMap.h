#pragma once
// The Chinese and Windows face names the program asks for, mapped to free fonts
// installed here, so that no text falls back to a face without Chinese glyphs.
namespace platform {
void InstallFontMapping();
}
