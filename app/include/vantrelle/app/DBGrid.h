#pragma once

#include "vantrelle/store/DataSource.h"

#include <QTableView>

namespace vantrelle::app {

class TitlesModel;

// The list of titles: one read-only line per row of the movies query, in the
// query's order, with the query's current row highlighted as a whole line. It
// follows the query, never the other way round: a line picked with the mouse or
// the arrow keys is asked of the query as a move, and the highlight goes wherever
// the query's current row then is. While the list has the keyboard focus, a dotted
// frame marks the current line.
class DBGrid : public QTableView, public store::DataLink {
    Q_OBJECT

public:
    explicit DBGrid(QWidget* parent);
    ~DBGrid() override;

    void bind(store::DataSource* source);

    // Width of the one column, bound to NameOfMovie.
    static constexpr int kTitleColumnWidth = 312;
    // What an empty list shows.
    static inline const QString kEmptyHint = QStringLiteral(
        "No films yet. Press Insert, or choose \"Add New Movie..\" from the Action menu, to add the first one. "
        "\"Title Data...\" in the same menu gets the title data with which \"Browse IMDB Title\" fills in a "
        "film.");

protected:
    void stateChanged(store::QueryState state) override;
    void dataSetChanged() override;
    void dataSetScrolled() override;
    void recordChanged(const store::Field* field) override;

    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void reload();
    // Highlights the query's current row.
    void showCurrentRow();
    // Makes `row` (counted from 0) the query's current row.
    void moveQueryTo(int row);

    TitlesModel* m_model;
};

} // namespace vantrelle::app
