#include "code_page.h"

namespace kio::binding {

// Linux has no ANSI code page; binding files written for the game are Windows
// text, so the loader reads them as the Western European code page.
const CodePage& ProcessCodePage() { return DefaultCodePage(); }

}  // namespace kio::binding
