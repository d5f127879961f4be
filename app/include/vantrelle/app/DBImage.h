#pragma once

#include "vantrelle/pictures/Picture.h"
#include "vantrelle/store/DataSource.h"

#include <QFrame>
#include <QImage>

#include <string>

namespace vantrelle::pictures {
class TBitmap;
}

namespace vantrelle::store {
class Field;
}

namespace vantrelle::app {

// A picture bound to one column of the current row of the movies query (the cover).
//
// The column holds a BMP file, optionally behind an 8-byte graphic header. The control reads it
// whenever the current row changes or is read again, and draws it stretched over its whole inside
// (the window-background colour when there is none), with a sunken edge and, while it has the
// keyboard focus, a one-pixel frame. A value that is only the graphic header shows an empty picture and
// reports nothing. A value that cannot be read shows as no picture; its error is
// reported once the query's operation is over, so the other controls still show the new row (and a
// row only passed through inside one operation, such as the saved row before the reopen, is not
// reported).
//
// A change of the picture sets the changed flag. A pending change is written into the column as a
// BMP file (or null, when the picture is empty or not a bitmap) when the query asks for the row to
// be updated (before a post or a move) and when the control loses the focus; a failed write there is
// reported and the focus comes back. The clipboard keys copy (Ctrl+C, Ctrl+Insert), cut (Ctrl+X,
// Shift+Delete) and paste (Ctrl+V, Shift+Insert); cut and paste only while the query is inserting or
// editing. Escape re-reads the column while the query is browsing; while editing it is left to the
// window, which cancels. A double-click, Enter and Space raise activated() (the window then offers a picture file).
//
// The application changes the picture through Picture() (TPicture::setGraphic, Assign, loadFromFile)
// or assignBitmap(). Such a change made while the query is neither inserting nor editing (a cover
// download that completes after its film was saved) is shown until the row is read again but does
// not set the changed flag: it can never be written, and a write can never fail on leaving the
// control.
class DBImage : public QFrame, public store::DataLink {
    Q_OBJECT

public:
    DBImage(std::string columnName, QWidget* parent);

    // Binds the control to its column of the query behind `source` and reads it.
    void bind(store::DataSource* source);
    store::Field* field() const;

    // The picture shown: an empty one, or one graphic of any kind.
    pictures::TPicture& Picture() { return m_picture; }
    const pictures::TPicture& Picture() const { return m_picture; }
    // Puts a copy of `bitmap` into the picture, replacing (and freeing) the previous graphic;
    // null empties the picture. "Put this bitmap into DBImage1".
    void assignBitmap(const pictures::TBitmap* bitmap);

    // The changed flag: the picture was changed after it was last read from the column.
    bool modified() const { return m_modified; }
    // What is drawn: the picture as an image, null when there is nothing to draw.
    const QImage& image() const { return m_image; }

    // Reads the column into the picture and clears the changed flag. A value that cannot be read
    // leaves the picture empty and is reported from the event loop.
    void readColumn();
    // Writes a pending change into the column and clears the flag; nothing without one. Fails with
    // "Dataset not in edit or insert mode" outside an insert or edit.
    void writeChange();

    void copyToClipboard();
    void cutToClipboard();
    void pasteFromClipboard();

signals:
    // A double-click, or Enter or Space while the control has the focus.
    void activated();

protected:
    void dataSetChanged() override;
    void dataSetScrolled() override;
    void recordChanged(const store::Field* field) override;
    void updateRecord() override;

    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void pictureChanged();
    // Records how the last read went; a failure is reported once the event loop runs again.
    void reportReadFailureLater(std::string failure);

    std::string m_columnName;
    pictures::TPicture m_picture;
    QImage m_image;
    bool m_modified = false;
    bool m_writing = false;
    std::string m_readFailure;
    bool m_reportScheduled = false;
};

} // namespace vantrelle::app
