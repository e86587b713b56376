#pragma once

// The boundary between the program and the korvant_web module, the only code that links
// Qt WebEngine. The module exports one C function, found by name after QLibrary loads it.
//
// The function makes a web view as a child of `parent` and returns it (never null). The
// view is driven through its meta-object, so the program needs no WebEngine header:
//   property "url"   (QUrl, writable)  writing it starts loading that address
//   property "title" (QString)          the page's title
//   signal loadFinished(bool ok)        ok is false when the page could not be loaded;
//                                       the view then shows the engine's own error page.
// The engine reads its command-line flags when the first view is made, so the caller
// sets QTWEBENGINE_CHROMIUM_FLAGS before calling it the first time.

class QWidget;

namespace platform::web_module {

inline constexpr const char* kCreateViewSymbol = "korvant_web_create_view";
using CreateView = QWidget* (*)(QWidget* parent);

} // namespace platform::web_module
