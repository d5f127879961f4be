#include "vantrelle/app/TitleDataDialog.h"

#include "vantrelle/Error.h"
#include "vantrelle/app/ErrorHandler.h"
#include "vantrelle/titledata/DatasetDownload.h"
#include "vantrelle/titledata/Import.h"
#include "vantrelle/titledata/ProgressMeter.h"
#include "vantrelle/titleindex/TitleIndex.h"

#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <memory>
#include <system_error>

namespace vantrelle::app {

namespace {

QString fromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString pathText(const std::filesystem::path& path)
{
    return QString::fromStdString(path.string());
}

// The progress callbacks throw this when the user cancels; the work then ends as on a failure.
class Cancelled : public vantrelle::Error {
public:
    Cancelled()
        : vantrelle::Error("Cancelled")
    {
    }
};

// Nothing has changed since the index was built: a new import would only take time.
class Unchanged : public std::exception { };

constexpr int kProgressSteps = 1000;

} // namespace

TitleDataDialog::TitleDataDialog(
    const std::filesystem::path& index, const std::filesystem::path& datasetFolder, QWidget* parent)
    : QDialog(parent)
    , m_index(index)
    , m_datasetFolder(datasetFolder)
{
    setObjectName(QStringLiteral("TitleDataDialog"));
    setWindowTitle(QStringLiteral("Title Data"));
    auto* layout = new QVBoxLayout(this);

    indexText = new QLabel(this);
    indexText->setObjectName(QStringLiteral("indexText"));
    indexText->setWordWrap(true);
    indexText->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(indexText);

    termsText = new QLabel(QStringLiteral("Films are looked up in a title index built from IMDb's public datasets, "
                                          "which IMDb offers for personal and non-commercial use only "
                                          "(https://developer.imdb.com/non-commercial-datasets/). "
                                          "\"Download and Import\" fetches them from %1 into %2.")
                               .arg(fromUtf8(titledata::kDatasetsUrl), pathText(m_datasetFolder)),
        this);
    termsText->setObjectName(QStringLiteral("termsText"));
    termsText->setWordWrap(true);
    layout->addWidget(termsText);
    creditText = new QLabel(fromUtf8(titledata::kCreditLine), this);
    creditText->setObjectName(QStringLiteral("creditText"));
    creditText->setWordWrap(true);
    layout->addWidget(creditText);

    auto* actions = new QHBoxLayout;
    downloadButton = new QPushButton(QStringLiteral("Download and Import"), this);
    downloadButton->setObjectName(QStringLiteral("downloadButton"));
    folderButton = new QPushButton(QStringLiteral("Import from Folder..."), this);
    folderButton->setObjectName(QStringLiteral("folderButton"));
    actions->addWidget(downloadButton);
    actions->addWidget(folderButton);
    actions->addStretch();
    layout->addLayout(actions);

    progressBar = new QProgressBar(this);
    progressBar->setObjectName(QStringLiteral("progressBar"));
    progressBar->setVisible(false);
    layout->addWidget(progressBar);
    progressText = new QLabel(this);
    progressText->setObjectName(QStringLiteral("progressText"));
    progressText->setWordWrap(true);
    layout->addWidget(progressText);

    auto* closing = new QHBoxLayout;
    cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    cancelButton->setObjectName(QStringLiteral("cancelButton"));
    cancelButton->setEnabled(false);
    closeButton = new QPushButton(QStringLiteral("Close"), this);
    closeButton->setObjectName(QStringLiteral("closeButton"));
    closing->addWidget(cancelButton);
    closing->addStretch();
    closing->addWidget(closeButton);
    layout->addLayout(closing);
    for (QPushButton* button : { downloadButton, folderButton, cancelButton, closeButton })
        button->setAutoDefault(false);

    connect(downloadButton, &QPushButton::clicked, this, [this] { downloadAndImport(); });
    connect(folderButton, &QPushButton::clicked, this, [this] { chooseFolder(); });
    connect(cancelButton, &QPushButton::clicked, this, [this] { cancel(); });
    connect(closeButton, &QPushButton::clicked, this, [this] { reject(); });
    showIndex();
}

TitleDataDialog::~TitleDataDialog()
{
    m_cancelled = true;
    endWorker();
}

void TitleDataDialog::showIndex()
{
    std::error_code ignored;
    termsText->setVisible(!std::filesystem::exists(m_datasetFolder / titledata::datasetFileNames().front(), ignored));
    if (!std::filesystem::exists(m_index, ignored)) {
        indexText->setText(QStringLiteral("No title index yet; it will be %1.").arg(pathText(m_index)));
        return;
    }
    try {
        const titleindex::TitleIndex index(m_index);
        const QDateTime built = QDateTime::fromString(QString::fromStdString(index.importedAt()), Qt::ISODate);
        indexText->setText(QStringLiteral("Title index in use: %1\nBuilt: %2\nTitles: %3")
                               .arg(pathText(m_index), QLocale().toString(built.toLocalTime(), QLocale::ShortFormat),
                                   QLocale().toString(static_cast<qlonglong>(index.titleCount()))));
    } catch (const std::exception& e) {
        indexText->setText(QStringLiteral("The title index cannot be used: %1").arg(errorBoxText(e.what())));
    }
}

void TitleDataDialog::downloadAndImport()
{
    start([this] {
        titledata::ProgressMeter meter;
        titledata::DownloadOptions download;
        download.progress = [this, &meter](const titledata::DownloadProgress& progress) {
            if (m_cancelled)
                throw Cancelled();
            if (const auto line = meter.update(progress.step, progress.bytesRead, progress.bytesTotal))
                report(*line, progress.bytesRead, progress.bytesTotal);
        };
        const titledata::DownloadSummary downloaded = titledata::downloadDatasets(m_datasetFolder, download);
        if (downloaded.changed.empty() && !titledata::indexBehindDatasets(m_index, m_datasetFolder))
            throw Unchanged();
        importFromFolderNow(m_datasetFolder, meter);
    });
}

void TitleDataDialog::importFromFolder(const std::filesystem::path& folder)
{
    start([this, folder] {
        titledata::ProgressMeter meter;
        importFromFolderNow(folder, meter);
    });
}

// On the worker thread.
void TitleDataDialog::importFromFolderNow(const std::filesystem::path& folder, titledata::ProgressMeter& meter)
{
    if (const std::filesystem::path parent = m_index.parent_path(); !parent.empty())
        std::filesystem::create_directories(parent);
    titledata::ImportOptions options;
    options.progress = [this, &meter](const titledata::ImportProgress& progress) {
        if (m_cancelled)
            throw Cancelled();
        if (const auto line = meter.update(progress.step, progress.bytesRead, progress.bytesTotal))
            report(*line, progress.bytesRead, progress.bytesTotal);
    };
    const titledata::ImportSummary summary = titledata::importTitles(folder, m_index, options);
    m_outcome = QStringLiteral("The title index is ready: %1 titles.")
                    .arg(QLocale().toString(static_cast<qulonglong>(summary.titles)));
    // The rows that could not be read, one line per file: "Skipped 1 row of title.basics.tsv.gz: line 12, ...".
    for (const titledata::SkippedRows& skipped : summary.skipped) {
        QString line = QString::fromStdString(titledata::skippedRowsText(skipped));
        line[0] = line[0].toUpper();
        m_outcome += QStringLiteral("\n") + line + QStringLiteral(".");
    }
}

void TitleDataDialog::chooseFolder()
{
    const QString folder = QFileDialog::getExistingDirectory(
        this, QStringLiteral("Import from Folder"), QDir::homePath(), QFileDialog::ShowDirsOnly);
    if (!folder.isEmpty())
        importFromFolder(folder.toStdString());
}

void TitleDataDialog::start(std::function<void()> work)
{
    if (running())
        return;
    endWorker();
    m_cancelled = false;
    m_finished = false;
    downloadButton->setEnabled(false);
    folderButton->setEnabled(false);
    cancelButton->setEnabled(true);
    progressBar->setRange(0, 0); // busy until the first report with a size
    progressBar->setVisible(true);
    progressText->setText(QStringLiteral("Starting..."));
    m_worker = std::thread([this, work = std::move(work)] {
        QString outcome;
        bool replaced = false;
        try {
            work();
            outcome = m_outcome;
            replaced = true;
        } catch (const Unchanged&) {
            outcome = QStringLiteral("The title data has not changed; the title index is up to date.");
        } catch (const std::exception& e) {
            outcome = m_cancelled ? QStringLiteral("Cancelled; the title index is left as it was.")
                                  : errorBoxText(e.what()) + QStringLiteral(" The title index is left as it was.");
        }
        m_finished = true;
        QMetaObject::invokeMethod(
            this, [this, outcome, replaced] { finish(outcome, replaced); }, Qt::QueuedConnection);
    });
}

// On the worker thread: the user-interface thread shows it.
void TitleDataDialog::report(const std::string& line, std::uint64_t bytesRead, std::uint64_t bytesTotal)
{
    const int value = bytesTotal == 0 ? 0 : static_cast<int>(bytesRead * kProgressSteps / bytesTotal);
    const int maximum = bytesTotal == 0 ? 0 : kProgressSteps;
    QMetaObject::invokeMethod(
        this,
        [this, text = QString::fromStdString(line), value, maximum] {
            if (m_finished)
                return;
            progressBar->setRange(0, maximum);
            progressBar->setValue(value);
            progressText->setText(text);
        },
        Qt::QueuedConnection);
}

void TitleDataDialog::finish(const QString& outcome, bool replaced)
{
    endWorker();
    downloadButton->setEnabled(true);
    folderButton->setEnabled(true);
    cancelButton->setEnabled(false);
    progressBar->setRange(0, kProgressSteps);
    progressBar->setValue(replaced ? kProgressSteps : 0);
    progressText->setText(outcome);
    showIndex();
    if (replaced)
        emit indexReplaced();
    emit workFinished();
}

void TitleDataDialog::cancel()
{
    if (!running())
        return;
    m_cancelled = true;
    cancelButton->setEnabled(false);
    progressText->setText(QStringLiteral("Cancelling..."));
}

void TitleDataDialog::reject()
{
    // The work stops at its next progress report, within a second or so; nothing is left half done.
    if (running()) {
        cancel();
        endWorker();
    }
    QDialog::reject();
}

void TitleDataDialog::endWorker()
{
    if (m_worker.joinable())
        m_worker.join();
}

} // namespace vantrelle::app
