// Resolves the controls' system colours (button face, window text, highlight, ...) through the
// running application's palette instead of the classic table.
#pragma once

namespace orvimo {

void InstallQtSystemColorTable();

}  // namespace orvimo
