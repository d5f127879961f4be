#pragma once

#include <QDialog>

class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vantrelle::app {

// "Poster Source": the user's own TMDB key (a v3 API key or a read access token), a "Test" button
// that asks TMDB whether it takes the key, and Save/Cancel. Save writes the key into the user's
// configuration (see PosterSourceKey.h); Cancel leaves it as it was.
class PosterSourceDialog : public QDialog {
    Q_OBJECT

public:
    explicit PosterSourceDialog(QWidget* parent = nullptr);

    QLineEdit* keyEdit;
    QPushButton* testButton;
    QLabel* testResult; // what the last test found
    QDialogButtonBox* buttons;

    // Asks TMDB whether it takes the key in the box and shows the answer (within a few seconds).
    void testKey();
    // Saves the key and closes; a configuration that cannot be written is named and keeps it open.
    void accept() override;
};

} // namespace vantrelle::app
