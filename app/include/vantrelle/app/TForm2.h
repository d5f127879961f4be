#pragma once

#include <QDialog>

#include <string>
#include <vector>

class QFrame;
class QListWidget;
class QPushButton;

namespace vantrelle::app {

// Results of a modal dialog.
constexpr int mrOk = 1;
constexpr int mrCancel = 2;

// The "Please select" dialog: a list of candidates with OK and Cancel. It has no
// logic of its own; ChooseFromList fills it, shows it and reads the outcome.
class TForm2 : public QDialog {
    Q_OBJECT

public:
    explicit TForm2(QWidget* owner);

    // Shows the dialog modally, centred on the screen; mrOk or mrCancel.
    int showModal();

    // Widens the dialog from its 195 pixels to its longest line, within the screen, so that no title is cut
    // and no year hidden.
    void fitWidthToLines();

    QFrame* Panel1;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;
    QListWidget* ListBox1;
};

struct ChooseFromListResult {
    int result;
    // When the result is mrOk: the selected line counted from 0, or -1 for none.
    int index;
};

// Shows the items (8-bit system text), one per line in the given order, in a new
// "Please select" dialog owned by the main window, and returns the outcome.
ChooseFromListResult ChooseFromList(QWidget* owner, const std::vector<std::string>& items);

} // namespace vantrelle::app
