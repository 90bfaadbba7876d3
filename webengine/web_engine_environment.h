#pragma once
// What Qt WebEngine needs of the process, set before the application object
// exists. Every program that loads pages: shared OpenGL contexts, and no
// Chromium sandbox for the superuser (Chromium cannot sandbox its pages for
// root and ends the program at the first page instead). Without a window
// besides: the offscreen platform when there is no display, no GPU, and a
// private runtime folder when the environment has no usable one. Whatever
// the environment already says is kept.

namespace larkspur::webengine {

enum class WebEngineDisplay {
  kWindows,     // the desktop program
  kHeadless,    // no window: offscreen unless a display is there
  kOffscreen,   // no window, offscreen even with a display (the tests)
};

// Call once, before QApplication. A private runtime folder made here is
// removed when the program ends normally.
void prepareWebEngine(WebEngineDisplay display);

}  // namespace larkspur::webengine
