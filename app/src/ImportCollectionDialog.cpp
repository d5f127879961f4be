#include "vantrelle/app/ImportCollectionDialog.h"

#include "vantrelle/Error.h"
#include "vantrelle/UserFiles.h"
#include "vantrelle/app/ErrorHandler.h"
#include "vantrelle/app/PosterSourceKey.h"
#include "vantrelle/collections/PlanReview.h"
#include "vantrelle/postersource/TmdbSource.h"
#include "vantrelle/titleindex/TitleIndex.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <system_error>

namespace vantrelle::app {

using collections::ImportStage;
using collections::MatchStatus;
using collections::PlannedFilm;

namespace {

QString fromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QTableWidgetItem* cell(const QString& text)
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

QString filmCount(std::size_t films)
{
    return films == 1 ? QStringLiteral("1 film") : QStringLiteral("%1 films").arg(films);
}

// A film the index did not match, which the user may add with what the file holds.
bool offeredFromFile(const PlannedFilm& planned)
{
    return (planned.match.status == MatchStatus::notFound || planned.match.status == MatchStatus::fromFile)
        && collections::canComeFromFile(planned);
}

// Whether every film offered so comes in from the file.
bool allFromFile(const collections::ImportPlan& plan)
{
    return std::none_of(plan.films.begin(), plan.films.end(), [](const PlannedFilm& planned) {
        return offeredFromFile(planned) && planned.match.status == MatchStatus::notFound;
    });
}

// The index in use, as the window's lookups serve it; none when there is no such file (or no place for it).
std::unique_ptr<titleindex::TitleIndex> openUserIndex()
{
    std::filesystem::path file;
    try {
        file = userTitleIndex();
    } catch (const Error&) {
        return nullptr;
    }
    std::error_code ignored;
    if (!std::filesystem::exists(file, ignored))
        return nullptr;
    return std::make_unique<titleindex::TitleIndex>(file);
}

} // namespace

ImportCollectionDialog::ImportCollectionDialog(const std::filesystem::path& file, collections::Collection collection,
    std::string connectionString, QWidget* parent)
    : QDialog(parent)
    , m_file(file)
    , m_collection(std::move(collection))
    , m_connection(std::move(connectionString))
{
    setObjectName(QStringLiteral("ImportCollectionDialog"));
    setWindowTitle(QStringLiteral("Import Collection"));
    setModal(false);
    auto* layout = new QVBoxLayout(this);

    fileText = new QLabel(this);
    fileText->setObjectName(QStringLiteral("fileText"));
    fileText->setWordWrap(true);
    layout->addWidget(fileText);

    auto* indexRow = new QHBoxLayout;
    indexText = new QLabel(this);
    indexText->setObjectName(QStringLiteral("indexText"));
    indexText->setWordWrap(true);
    titleDataButton = new QPushButton(QStringLiteral("Title Data..."), this);
    titleDataButton->setObjectName(QStringLiteral("titleDataButton"));
    indexRow->addWidget(indexText, 1);
    indexRow->addWidget(titleDataButton);
    layout->addLayout(indexRow);

    table = new QTableWidget(0, 5, this);
    table->setObjectName(QStringLiteral("table"));
    table->setHorizontalHeaderLabels({ QStringLiteral("Line"), QStringLiteral("Title"), QStringLiteral("Year"),
        QStringLiteral("Match"), QStringLiteral("Status") });
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table->horizontalHeader()->setSectionResizeMode(TitleColumn, QHeaderView::Stretch);
    table->horizontalHeader()->setSectionResizeMode(MatchColumn, QHeaderView::Stretch);
    layout->addWidget(table, 1);

    allFromFileBox = new QCheckBox(QStringLiteral("Add the films not found with what the file holds"), this);
    allFromFileBox->setObjectName(QStringLiteral("allFromFileBox"));
    layout->addWidget(allFromFileBox);

    progressBar = new QProgressBar(this);
    progressBar->setObjectName(QStringLiteral("progressBar"));
    progressBar->setVisible(false);
    layout->addWidget(progressBar);
    progressText = new QLabel(this);
    progressText->setObjectName(QStringLiteral("progressText"));
    progressText->setWordWrap(true);
    layout->addWidget(progressText);

    auto* buttons = new QHBoxLayout;
    addButton = new QPushButton(this);
    addButton->setObjectName(QStringLiteral("addButton"));
    cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    cancelButton->setObjectName(QStringLiteral("cancelButton"));
    cancelButton->setEnabled(false);
    closeButton = new QPushButton(QStringLiteral("Close"), this);
    closeButton->setObjectName(QStringLiteral("closeButton"));
    buttons->addWidget(addButton);
    buttons->addWidget(cancelButton);
    buttons->addStretch();
    buttons->addWidget(closeButton);
    layout->addLayout(buttons);
    for (QPushButton* button : { titleDataButton, addButton, cancelButton, closeButton })
        button->setAutoDefault(false);

    connect(titleDataButton, &QPushButton::clicked, this, &ImportCollectionDialog::titleDataAsked);
    connect(allFromFileBox, &QCheckBox::clicked, this, [this](bool add) {
        for (int row = 0; row < table->rowCount(); ++row)
            if (auto* box = qobject_cast<QCheckBox*>(table->cellWidget(row, MatchColumn)); box && box->isEnabled())
                box->setChecked(add);
    });
    connect(addButton, &QPushButton::clicked, this, [this] { addFilms(); });
    connect(cancelButton, &QPushButton::clicked, this, [this] { cancel(); });
    connect(closeButton, &QPushButton::clicked, this, [this] { reject(); });
    resize(760, 480);
    plan();
}

ImportCollectionDialog::~ImportCollectionDialog()
{
    m_cancel = true;
    endWorker();
}

void ImportCollectionDialog::plan()
{
    if (running())
        return;
    QString problem;
    m_index.reset();
    try {
        m_index = openUserIndex();
    } catch (const std::exception& e) {
        problem = QStringLiteral("The title index cannot be used: %1").arg(errorBoxText(e.what()));
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restoreCursor = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
    m_plan = collections::planImport(m_collection, m_index.get(), m_connection);

    fileText->setText(QStringLiteral("%1 in %2 (%3)")
                          .arg(filmCount(m_plan.films.size()), QString::fromStdString(m_file.filename().string()),
                              fromUtf8(collections::kindName(m_collection.kind))));
    showIndexState(problem);
    table->setRowCount(0);
    table->setRowCount(static_cast<int>(m_plan.films.size()));
    for (int row = 0; row < table->rowCount(); ++row)
        fillRow(row);
    allFromFileBox->setChecked(allFromFile(m_plan));
    allFromFileBox->setVisible(std::any_of(m_plan.films.begin(), m_plan.films.end(), offeredFromFile));
    countFilms();
}

void ImportCollectionDialog::showIndexState(const QString& problem)
{
    const bool missing = !m_index;
    indexText->setVisible(missing);
    titleDataButton->setVisible(missing);
    if (!missing)
        return;
    indexText->setText((problem.isEmpty() ? QStringLiteral("There is no title index, so no film is matched.")
                                          : problem + QStringLiteral(" No film is matched."))
        + QStringLiteral(" \"Title Data...\" gets the title data and builds the index. Films of files that carry "
                         "their own details still come in."));
}

void ImportCollectionDialog::fillRow(int row)
{
    const PlannedFilm& planned = m_plan.films[static_cast<std::size_t>(row)];
    table->setItem(row, LineColumn, cell(QString::number(planned.film.line)));
    table->setItem(row, TitleColumn, cell(fromUtf8(collections::fileTitle(planned.film))));
    table->setItem(row, YearColumn, cell(planned.film.year ? QString::number(*planned.film.year) : QString()));

    const MatchStatus status = planned.match.status;
    if (status == MatchStatus::ambiguous) {
        auto* choice = new QComboBox;
        choice->addItem(QStringLiteral("Leave out"));
        for (const collections::Candidate& candidate : planned.match.candidates)
            choice->addItem(fromUtf8(collections::filmLabel(candidate.title, candidate.year)));
        connect(choice, &QComboBox::currentIndexChanged, this, [this, row](int index) {
            collections::chooseCandidate(m_plan.films[static_cast<std::size_t>(row)],
                index > 0 ? std::optional<std::size_t>(index - 1) : std::nullopt);
            showStatus(row);
            countFilms();
        });
        table->setCellWidget(row, MatchColumn, choice);
    } else if (status == MatchStatus::notFound || status == MatchStatus::fromFile) {
        auto* box = new QCheckBox(QStringLiteral("Add from the file"));
        box->setChecked(status == MatchStatus::fromFile);
        box->setEnabled(offeredFromFile(planned));
        connect(box, &QCheckBox::toggled, this, [this, row](bool add) { chooseFromFile(row, add); });
        table->setCellWidget(row, MatchColumn, box);
    } else if (planned.match.number && m_index) {
        const std::optional<titleindex::Title> title = m_index->title(*planned.match.number);
        table->setItem(row, MatchColumn,
            cell(title ? fromUtf8(collections::filmLabel(title->title, title->year))
                       : fromUtf8(collections::titleNumberText(*planned.match.number))));
    }
    showStatus(row);
}

void ImportCollectionDialog::showStatus(int row)
{
    const PlannedFilm& planned = m_plan.films[static_cast<std::size_t>(row)];
    table->setItem(row, StatusColumn, cell(fromUtf8(collections::statusName(planned.match.status))));
}

void ImportCollectionDialog::chooseFromFile(int row, bool add)
{
    collections::addFromFile(m_plan.films[static_cast<std::size_t>(row)], add);
    showStatus(row);
    countFilms();
    allFromFileBox->setChecked(allFromFile(m_plan));
}

void ImportCollectionDialog::countFilms()
{
    const std::size_t films = collections::filmsToAdd(m_plan);
    addButton->setText(QStringLiteral("Add %1").arg(filmCount(films)));
    addButton->setEnabled(films > 0 && table->isEnabled());
}

void ImportCollectionDialog::setReviewEnabled(bool enabled)
{
    table->setEnabled(enabled);
    allFromFileBox->setEnabled(enabled);
    titleDataButton->setEnabled(enabled);
    countFilms();
}

void ImportCollectionDialog::addFilms()
{
    if (running() || collections::filmsToAdd(m_plan) == 0)
        return;
    endWorker();
    m_cancel = false;
    m_finished = false;
    m_result = {};
    m_failure.clear();
    m_posterWarning.clear();
    setReviewEnabled(false);
    cancelButton->setEnabled(true);
    progressBar->setRange(0, 0);
    progressBar->setVisible(true);
    progressText->setText(QStringLiteral("Starting..."));

    // The source warns from the batch's threads: the warning joins the outcome.
    m_posterSource
        = std::make_unique<postersource::TmdbSource>(posterSourceSettings(), [this](const std::string& text) {
              QMetaObject::invokeMethod(
                  this, [this, warning = errorBoxText(text)] { m_posterWarning = warning; }, Qt::QueuedConnection);
          });
    collections::AddOptions options;
    options.extras = collections::posterExtras(*m_posterSource);
    options.cancel = &m_cancel;
    options.progress = [this](ImportStage stage, std::size_t done, std::size_t total) {
        QMetaObject::invokeMethod(
            this,
            [this, stage, done, total] {
                if (!m_finished)
                    showProgress(stage, done, total);
            },
            Qt::QueuedConnection);
    };
    m_stage = ImportStage::films;
    m_stageClock.start();
    m_worker = std::thread([this, options = std::move(options)] {
        try {
            m_result = collections::addFilms(m_plan, m_index.get(), m_connection, options);
        } catch (const std::exception& e) {
            m_failure = e.what();
        }
        m_finished = true;
        QMetaObject::invokeMethod(
            this, [this] { finish(); }, Qt::QueuedConnection);
    });
}

void ImportCollectionDialog::showProgress(ImportStage stage, std::size_t done, std::size_t total)
{
    if (stage != m_stage) {
        m_stage = stage;
        m_stageClock.restart();
    }
    progressBar->setRange(0, static_cast<int>(std::max<std::size_t>(total, 1)));
    progressBar->setValue(static_cast<int>(total == 0 ? 1 : done));
    progressText->setText(QString::fromStdString(
        collections::progressLine(stage, done, total, static_cast<double>(m_stageClock.elapsed()) / 1000)));
}

// On the user-interface thread, once for each add: queued by the worker, or at once when the dialog is closed.
void ImportCollectionDialog::finish()
{
    if (!m_worker.joinable())
        return;
    endWorker();
    m_posterSource.reset();
    cancelButton->setEnabled(false);
    for (int row = 0; row < table->rowCount(); ++row)
        showStatus(row);
    const bool added = m_failure.empty() && !m_result.cancelled;
    progressBar->setRange(0, 1);
    progressBar->setValue(added ? 1 : 0);
    if (!added) {
        progressText->setText(m_result.cancelled ? QStringLiteral("Cancelled; nothing was added.")
                                                 : QStringLiteral("Nothing was added."));
        setReviewEnabled(true);
        if (!m_failure.empty())
            showErrorBox(m_failure);
        emit workFinished();
        return;
    }
    QString outcome = QStringLiteral("Added %1. Duplicates: %2. Covers that failed: %3.")
                          .arg(filmCount(m_result.added))
                          .arg(m_result.duplicates)
                          .arg(m_result.coversFailed);
    if (!m_posterWarning.isEmpty())
        outcome += u'\n' + m_posterWarning;
    progressText->setText(outcome);
    addButton->setEnabled(false);
    if (m_result.added > 0)
        emit filmsAdded();
    emit workFinished();
}

void ImportCollectionDialog::cancel()
{
    if (!running())
        return;
    m_cancel = true;
    cancelButton->setEnabled(false);
    progressText->setText(QStringLiteral("Cancelling..."));
}

void ImportCollectionDialog::reject()
{
    // An add that ended unseen still tells the window about its films.
    if (m_worker.joinable()) {
        cancel();
        finish();
    }
    QDialog::reject();
}

void ImportCollectionDialog::endWorker()
{
    if (m_worker.joinable())
        m_worker.join();
}

} // namespace vantrelle::app
