#pragma once

namespace varnex {

class Form1;

// The start-up steps after the main window is made: caption, then shown
// modeless; the program then runs on window events until its last window closes.
void startUp(Form1 &form);

} // namespace varnex
