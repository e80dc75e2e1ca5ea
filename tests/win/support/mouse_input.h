// Real mouse input (SendInput), in screen coordinates anywhere on the virtual screen, every
// monitor included, as a hand at the screen gives it.
#pragma once

#include <windows.h>

namespace vorbel::test {

void MouseMove(POINT screen);
void MouseDown(POINT screen);  // left button
void MouseUp(POINT screen);
void RightDown(POINT screen);
void RightUp(POINT screen);
// Moves in a few steps, as a hand does.
void MouseGlide(POINT from, POINT to);

}  // namespace vorbel::test
