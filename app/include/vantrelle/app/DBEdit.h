#pragma once

#include "vantrelle/store/DataSource.h"

#include <QLineEdit>

#include <string>

namespace vantrelle::store {
class Field;
}

namespace vantrelle::app {

// An edit box bound to one column of the current row of the movies query.
//
// It can be typed into only while the query is inserting or editing. While it has
// the focus in that state it shows the column's edit text, otherwise its display
// text, from its beginning. A change typed into it is written into the column when the box loses the
// focus, or when the query asks for the row to be updated (before a post or a move);
// a failed write is reported and the focus goes back to the box with its whole text
// selected. The boxes of integer columns refuse any typed character but "+", "-"
// and the digits. Escape in a box that cannot be typed into puts the column's value
// back; while editing it is left to the window, which cancels.
class DBEdit : public QLineEdit, public store::DataLink {
    Q_OBJECT

public:
    DBEdit(std::string columnName, QWidget* parent);

    // Binds the box to its column of the query behind `source`.
    void bind(store::DataSource* source);

    const std::string& columnName() const { return m_columnName; }
    store::Field* field() const;

    // Writes a change typed into the box into its column; nothing when there is none.
    void writeChange();

signals:
    // A typed character was refused (the box also beeps).
    void keyRefused();

protected:
    void stateChanged(store::QueryState state) override;
    void dataSetChanged() override;
    void dataSetScrolled() override;
    void recordChanged(const store::Field* field) override;
    void updateRecord() override;

    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    bool isIntegerBox() const;
    // Shows the column's value again, dropping whatever was typed.
    void showColumn();
    // Without the focus the box shows the beginning of its text, however long.
    void showBeginningUnlessFocused();
    // After a failed write: the whole text selected, the focus back in the box.
    void returnFocusAfterFailure();
    // Cuts what an edit inserted to the column's size in characters.
    void keepWithinColumnSize();

    std::string m_columnName;
    int m_maxCharacters = 0; // the column's size; 0: no limit
    QString m_textBefore; // the text before the latest edit
};

} // namespace vantrelle::app
