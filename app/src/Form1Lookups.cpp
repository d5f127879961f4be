// The lookups of a new film at the title service, by number ("Enter Number") and by name ("Search by
// Name.."): the title lookup runs them, and the window answers what it asks with its boxes and dialogs.
#include "vantrelle/UserFiles.h"
#include "vantrelle/app/DBEdit.h"
#include "vantrelle/app/DBImage.h"
#include "vantrelle/app/DropDownButton.h"
#include "vantrelle/app/ErrorHandler.h"
#include "vantrelle/app/Image.h"
#include "vantrelle/app/PosterSourceDialog.h"
#include "vantrelle/app/QtEventDelivery.h"
#include "vantrelle/app/TForm1.h"
#include "vantrelle/app/TForm2.h"
#include "vantrelle/app/TitleDataDialog.h"
#include "vantrelle/postersource/TmdbSource.h"
#include "vantrelle/titledata/DatasetDownload.h"
#include "vantrelle/titledata/Import.h"

#include "vantrelle/Error.h"

#include <QAction>
#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>

namespace vantrelle::app {

void TForm1::connectLookups()
{
    // Every event of the three requests runs on the user-interface thread, also those of the
    // cover download, which finishes on a worker thread.
    titleservice::LookupUser& user = *this;
    TitleLookup1 = std::make_unique<titleservice::TitleLookup>(user, std::make_shared<QtEventDelivery>());
    onTrigger(SearchByNumber1, &TForm1::BitBtn2Click);
    onTrigger(SearchByName1, &TForm1::SearchByName1Click);
    onTrigger(PosterSource1, &TForm1::PosterSource1Click);
    onTrigger(TitleData1, &TForm1::TitleData1Click);
    // The title data's licence asks for its credit wherever the user meets it, and TMDB's terms for
    // their attribution beside it.
    const QString credit = QString::fromUtf8(titledata::kCreditLine.data(), qsizetype(titledata::kCreditLine.size()))
        + u'\n' + QString::fromUtf8(postersource::kAttribution.data(), qsizetype(postersource::kAttribution.size()));
    BitBtn2->setToolTip(credit);
    SearchByNumber1->setToolTip(credit);
    SearchByName1->setToolTip(credit);
    PopupMenu2->setToolTipsVisible(true);
}

void TForm1::BitBtn2Click()
{
    if (m_titleDataMissing)
        offerTitleData();
    else
        lookUp(&titleservice::TitleLookup::enterNumber);
}

void TForm1::SearchByName1Click()
{
    if (m_titleDataMissing)
        offerTitleData();
    else
        lookUp(&titleservice::TitleLookup::searchByName);
}

// A lookup that fails while the index the user named is missing says so again: the start's warning is long gone, and
// the failure itself ("The server name or address could not be resolved") gives no clue.
void TForm1::lookUp(void (titleservice::TitleLookup::*lookup)())
{
    try {
        (TitleLookup1.get()->*lookup)();
    } catch (const std::exception& failure) {
        if (m_titleIndexProblem.empty())
            throw;
        throw Error(errorBoxText(failure.what()).toStdString() + "\n" + m_titleIndexProblem);
    }
}

// The online service's pages are no longer in the layout that the lookups read: without an index of
// its own, a lookup would only find that out.
void TForm1::offerTitleData()
{
    QMessageBox box(QMessageBox::Question, applicationTitle(),
        QStringLiteral("There is no title data on this computer yet, so films cannot be looked up. \"Title "
                       "Data...\" in the Action menu downloads it and builds the title index.\n\nOpen \"Title "
                       "Data...\" now?"),
        QMessageBox::Yes | QMessageBox::No, this);
    box.setObjectName(QStringLiteral("noTitleDataBox"));
    box.setDefaultButton(QMessageBox::Yes);
    if (box.exec() == QMessageBox::Yes)
        TitleData1Click();
}

void TForm1::TitleData1Click()
{
    TitleDataDialog dialog(userTitleIndex(), titledata::datasetCacheDir(), this);
    connect(&dialog, &TitleDataDialog::indexReplaced, this, &TForm1::titleIndexChanged);
    dialog.exec();
}

void TForm1::PosterSource1Click()
{
    PosterSourceDialog dialog(this);
    if (dialog.exec() == QDialog::Accepted)
        emit posterSourceChanged();
}

void TForm1::setColumnText(std::string_view column, std::string_view text)
{
    aqMovies->fieldByName(column).setAsString(text);
}

void TForm1::setColumnInteger(std::string_view column, std::int32_t value)
{
    aqMovies->fieldByName(column).setAsInteger(value);
}

titleservice::ListChoice TForm1::chooseFromList(const std::vector<std::string_view>& items)
{
    const ChooseFromListResult choice = ChooseFromList(this, std::vector<std::string>(items.begin(), items.end()));
    return { choice.result == mrOk, choice.index };
}

void TForm1::startNewFilm()
{
    for (const std::string_view column : titleservice::TitlePageScraper::kColumns)
        aqMovies->fieldByName(column).clear();
    usePlaceholderCover();
}

// A title page without a poster gives the placeholder, but never over a cover the user chose from a file for this
// film: the lookup has nothing better.
void TForm1::usePlaceholderCover()
{
    if (!m_coverChosenFromFile)
        DBImage1->Picture().Assign(Image1->Picture());
}

void TForm1::setCoverExtension(std::string_view extension)
{
    CoverExtension = extension;
}

// The input box: one line of at most 255 characters, empty and selected. OK gives the edited text,
// anything else the empty default.
std::string TForm1::inputBox(std::string_view caption, std::string_view prompt)
{
    QInputDialog box(this);
    box.setWindowTitle(QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())));
    box.setLabelText(QString::fromUtf8(prompt.data(), static_cast<qsizetype>(prompt.size())));
    if (auto* line = box.findChild<QLineEdit*>()) {
        line->setMaxLength(255);
        line->selectAll();
    }
    return box.exec() == QDialog::Accepted ? box.textValue().toStdString() : std::string();
}

void TForm1::showMessage(std::string_view text)
{
    showMessageBox(QMessageBox::NoIcon, QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())), this);
}

void TForm1::focusNumberOfDiscs()
{
    DBEdit14->setFocus(Qt::OtherFocusReason);
}

// The wait cursor for as long as a title page or a search is fetched.
void TForm1::requestStarted()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

void TForm1::requestEnded()
{
    QApplication::restoreOverrideCursor();
}

} // namespace vantrelle::app
