// "Import Collection...": the window chooses the file and shows the review beside it; the review adds the films and
// the window's list then shows them.
#include "vantrelle/app/ImportCollectionDialog.h"
#include "vantrelle/app/TForm1.h"

#include "vantrelle/app/ErrorHandler.h"
#include "vantrelle/collections/Collection.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QScopeGuard>

namespace vantrelle::app {

void TForm1::ImportCollection1Click()
{
    QFileDialog dialog(this, QStringLiteral("Import Collection"), QDir::homePath());
    dialog.setObjectName(QStringLiteral("importCollectionFileDialog"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters({ QStringLiteral("Collections (*.txt *.csv *.tc *.gcs *.xml)"),
        QStringLiteral("Lists and exports (*.txt *.csv)"), QStringLiteral("Tellico (*.tc)"),
        QStringLiteral("GCstar (*.gcs)"), QStringLiteral("XML (*.xml)"), QStringLiteral("All files (*)") });
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        importCollection(dialog.selectedFiles().constFirst().toStdString());
}

void TForm1::importCollection(const std::filesystem::path& file)
{
    collections::Collection collection;
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const auto restoreCursor = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
        collection = collections::readCollection(file);
    }
    auto* review = new ImportCollectionDialog(file, std::move(collection), aqMovies->ConnectionString, this);
    review->setAttribute(Qt::WA_DeleteOnClose);
    connect(review, &ImportCollectionDialog::titleDataAsked, this, guardedHandler(&TForm1::TitleData1Click));
    // The films are matched anew against the index that "Title Data..." built.
    connect(this, &TForm1::titleIndexChanged, review, [review] { guarded([review] { review->plan(); }); });
    connect(review, &ImportCollectionDialog::filmsAdded, this, guardedHandler(&TForm1::showImportedFilms));
    review->show();
}

void TForm1::showImportedFilms()
{
    const store::QueryState state = aqMovies->state();
    if (state == store::qsEdit || state == store::qsInsert) {
        m_listBehindCatalogue = true;
        return;
    }
    reopenList(aqMovies->aqMoviesID.asString());
}

} // namespace vantrelle::app
