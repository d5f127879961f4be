#pragma once

namespace vantrelle::app {

// Drops the next mouse press that the application delivers. A box whose change
// cannot be written takes the focus back while the press that took it away is
// still being delivered; that press must not go on to click a button or pick a row.
void swallowNextMousePress();

} // namespace vantrelle::app
