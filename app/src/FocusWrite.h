#pragma once

#include "ClickSwallower.h"
#include "vantrelle/app/ErrorHandler.h"

#include <QFocusEvent>

namespace vantrelle::app {

// Whether a bound control that loses the focus is really left: another window or a menu taking
// the focus is not leaving it.
inline bool leavesControl(const QFocusEvent* event)
{
    return event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason;
}

// Writes a bound control's pending change as the control is left. A failure is reported and
// `returnFocus` gives the control the focus back; the press that moved the focus away goes no
// further, so it clicks no button and picks no row.
template <typename Write, typename ReturnFocus>
void writeOnLeaving(const QFocusEvent* event, Write&& write, ReturnFocus&& returnFocus)
{
    try {
        write();
    } catch (...) {
        reportCurrentException();
        if (event->reason() == Qt::MouseFocusReason)
            swallowNextMousePress();
        returnFocus();
    }
}

} // namespace vantrelle::app
