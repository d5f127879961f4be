#include "vantrelle/app/DBGrid.h"

#include "vantrelle/app/ErrorHandler.h"
#include "vantrelle/store/MoviesQuery.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace vantrelle::app {

// The titles of the query's rows, read from the query on demand, so a reload costs
// only what the view shows.
class TitlesModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setQuery(store::MoviesQuery* query)
    {
        beginResetModel();
        m_query = query;
        endResetModel();
    }
    void reload()
    {
        beginResetModel();
        endResetModel();
    }
    void rowChanged(int row) { emit dataChanged(index(row, 0), index(row, 0)); }

    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() || !m_query || !m_query->active() ? 0 : m_query->recordCount();
    }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : 1; }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= rowCount())
            return {};
        if (role == Qt::DisplayRole)
            return QString::fromStdString(m_query->displayTextAt(index.row() + 1, m_query->aqMoviesNameOfMovie));
        if (role == Qt::TextAlignmentRole)
            return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
        return {};
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Horizontal && section == 0 && role == Qt::DisplayRole)
            return QStringLiteral("Name of Movie");
        return {};
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
    }

private:
    store::MoviesQuery* m_query = nullptr;
};

DBGrid::DBGrid(QWidget* parent)
    : QTableView(parent)
    , m_model(new TitlesModel(this))
{
    setModel(m_model);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(false);
    setTabKeyNavigation(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    horizontalHeader()->hide();
    verticalHeader()->hide();
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->resizeSection(0, kTitleColumnWidth);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
}

DBGrid::~DBGrid() = default;

void DBGrid::bind(store::DataSource* source)
{
    setDataSource(source);
    m_model->setQuery(dataSet());
    horizontalHeader()->resizeSection(0, kTitleColumnWidth);
    showCurrentRow();
}

void DBGrid::reload()
{
    m_model->reload();
    horizontalHeader()->resizeSection(0, kTitleColumnWidth);
    showCurrentRow();
}

void DBGrid::showCurrentRow()
{
    const store::MoviesQuery* query = dataSet();
    const int row = query && query->active() ? query->recNo() - 1 : -1;
    if (row < 0) {
        selectionModel()->clear();
        return;
    }
    const QModelIndex current = m_model->index(row, 0);
    selectionModel()->setCurrentIndex(current, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(current);
}

void DBGrid::moveQueryTo(int row)
{
    store::MoviesQuery* query = dataSet();
    // Picking the line that is already current leaves a pending insert or edit alone.
    if (!query || row < 0 || row == query->recNo() - 1)
        return;
    guarded([&] { query->setRecNo(row + 1); });
    showCurrentRow();
}

void DBGrid::stateChanged(store::QueryState)
{
    reload();
}

void DBGrid::dataSetChanged()
{
    reload();
}

void DBGrid::dataSetScrolled()
{
    showCurrentRow();
}

void DBGrid::recordChanged(const store::Field* field)
{
    const store::MoviesQuery* query = dataSet();
    if (query && query->recNo() > 0 && (!field || field == &query->aqMoviesNameOfMovie))
        m_model->rowChanged(query->recNo() - 1);
}

void DBGrid::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    if (event->button() != Qt::LeftButton)
        return;
    const QModelIndex picked = indexAt(event->position().toPoint());
    if (picked.isValid())
        moveQueryTo(picked.row());
}

// Lines are picked by pressing only: no drag selection, no dragging of rows.
void DBGrid::mouseMoveEvent(QMouseEvent* event)
{
    event->accept();
}
void DBGrid::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
}
void DBGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    event->accept();
}

void DBGrid::keyPressEvent(QKeyEvent* event)
{
    CursorAction action;
    switch (event->key()) {
    case Qt::Key_Up:
        action = MoveUp;
        break;
    case Qt::Key_Down:
        action = MoveDown;
        break;
    case Qt::Key_PageUp:
        action = MovePageUp;
        break;
    case Qt::Key_PageDown:
        action = MovePageDown;
        break;
    case Qt::Key_Home:
        action = MoveHome;
        break;
    case Qt::Key_End:
        action = MoveEnd;
        break;
    default:
        event->ignore(); // Escape and the rest belong to the window
        return;
    }
    event->accept();
    // Home and End go to the first and last title, as Ctrl+Home and Ctrl+End do.
    const bool toAnEnd = action == MoveHome || action == MoveEnd;
    const QModelIndex target = moveCursor(action, toAnEnd ? Qt::ControlModifier : Qt::NoModifier);
    if (target.isValid())
        moveQueryTo(target.row());
}

// The style draws no focus frame in item views, and the highlight looks the same with and without the focus: the
// keyboard user could not tell where the keys go.
void DBGrid::paintEvent(QPaintEvent* event)
{
    QTableView::paintEvent(event);
    if (m_model->rowCount() == 0) {
        // An empty list is where a new user looks first: it says how to begin.
        QPainter painter(viewport());
        painter.setPen(palette().color(QPalette::PlaceholderText));
        painter.drawText(viewport()->rect().adjusted(8, 8, -8, -8), Qt::AlignCenter | Qt::TextWordWrap, kEmptyHint);
        return;
    }
    const QModelIndex current = currentIndex();
    if (!hasFocus() || !current.isValid())
        return;
    QPainter painter(viewport());
    QPen dotted(palette().color(QPalette::HighlightedText), 1, Qt::DotLine);
    painter.setPen(dotted);
    painter.drawRect(visualRect(current).adjusted(0, 0, -1, -1));
}

} // namespace vantrelle::app
