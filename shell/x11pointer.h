// Asks the X server about the pointer, for what the platform's window moves do not report.
#pragma once

#include <optional>

// Whether any mouse button is held down now; nothing when the platform is not X11.
std::optional<bool> PointerButtonHeld();
