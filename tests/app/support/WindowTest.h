#pragma once

#include "StandInTitleService.h"

#include "vantrelle/app/TForm1.h"

#include <QLineEdit>
#include <QString>

#include <memory>

namespace vantrelle::test {

// Creates the catalogue window on the working directory's "Movies.mdb", shows it
// and waits until it is the active window, as after start-up.
std::unique_ptr<app::TForm1> openWindow();

// Starts the stand-in title service on loopback and points http_proxy at it, so the window
// reaches it with the real service's URLs.
std::unique_ptr<StandInTitleService> startTitleService();

// Clicks into a box and types `text` over whatever it held.
void typeInto(QLineEdit* box, const QString& text);

// Clicks line `row` (from 0) of the window's list of titles.
void clickLine(app::TForm1& form, int row);

// Lets a queued error box open and be answered.
void settle();

} // namespace vantrelle::test
