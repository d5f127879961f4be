#pragma once

#include <QFileDialog>
#include <QImage>

#include <string>

class QLabel;

namespace vantrelle::app {

// The open-file dialog for pictures: the filter lists the registered picture formats, and a pane beside the
// files previews the selected one, loaded by its extension as the picture loader reads it. A file that cannot
// be loaded only empties the preview.
class OpenPictureDialog : public QFileDialog {
    Q_OBJECT

public:
    explicit OpenPictureDialog(QWidget* parent);

    // Shows the dialog modally; true when the user chose a file.
    bool Execute();
    // The chosen file's full path.
    std::string FileName() const;

    // What the preview pane shows; null when it is empty.
    const QImage& preview() const { return m_preview; }

protected:
    // Closes the file name box's completion popup with the dialog. A popup left on screen would stay the
    // application's active popup and take the next click in the window for itself.
    void done(int result) override;

private:
    void showPreview(const QString& path);

    QLabel* m_previewPane;
    QImage m_preview;
};

} // namespace vantrelle::app
