// The editing workflow: the window's face follows the state of the movies query,
// and the buttons and menu items drive the query.
#include "vantrelle/app/DBEdit.h"
#include "vantrelle/app/DBGrid.h"
#include "vantrelle/app/DropDownButton.h"
#include "vantrelle/app/TForm1.h"

#include "vantrelle/Error.h"
#include "vantrelle/app/ErrorHandler.h"
#include "vantrelle/store/Errors.h"
#include "vantrelle/store/TitleOrder.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QTimer>

#include <string>
#include <utility>

namespace vantrelle::app {

using store::qsEdit;
using store::qsInsert;

void TForm1::dsMoviesStateChange()
{
    const store::QueryState state = dsMovies->state();
    const bool changing = state == qsEdit || state == qsInsert;
    const bool buttonHadFocus = BitBtn1->hasFocus() || BitBtn4->hasFocus();
    BitBtn2->setEnabled(state == qsInsert);
    BitBtn1->setVisible(changing);
    BitBtn4->setVisible(changing);
    SpeedButton1->setVisible(!changing);
    // The menus' keys act only while their button offers the menu.
    for (QAction* item : PopupMenu1->actions())
        item->setEnabled(!changing);
    for (QAction* item : PopupMenu2->actions())
        item->setEnabled(state == qsInsert);
    ChoosePicture1->setEnabled(changing);
    // "&Save" or "Cancel" vanished under the focus: the list of titles takes it.
    if (!changing && buttonHadFocus)
        DBGrid1->setFocus(Qt::OtherFocusReason);
}

void TForm1::Addnewmovie1Click()
{
    aqMovies->insert();
}

void TForm1::Editcurrentmovie1Click()
{
    aqMovies->edit();
}

void TForm1::Deletecurrentmovie1Click()
{
    aqMovies->checkWritable(); // before asking about a deletion that cannot happen
    QMessageBox confirm(QMessageBox::NoIcon, QStringLiteral("Confirm delete"),
        QStringLiteral("Are you sure you want to delete this movie?"), QMessageBox::Yes | QMessageBox::No, this);
    confirm.setDefaultButton(QMessageBox::Yes);
    confirm.setWindowModality(Qt::ApplicationModal);
    if (confirm.exec() == QMessageBox::Yes)
        aqMovies->deleteRow();
}

void TForm1::BitBtn1Click()
{
    if (!readyToSave())
        return;
    const QScopedValueRollback byButton(m_savingByButton, true);
    try {
        aqMovies->post();
    } catch (const store::EUpdateConflict& conflict) {
        offerReload(conflict.what());
    }
}

// A film without a title would be an empty line at the top of the list, and a film added twice is most often a
// slip: the first is refused, the second asked about. The boxes are read, since the one with the focus may hold
// text that is not yet in its column.
bool TForm1::readyToSave()
{
    const QString title = DBEdit1->text().trimmed();
    if (title.isEmpty()) {
        DBEdit1->setFocus(Qt::OtherFocusReason);
        throw Error("A film needs a title.");
    }
    const QString year = DBEdit17->text().trimmed();
    if (aqMovies->state() != qsInsert || !alreadyInCatalogue(title, year))
        return true;
    const QString film
        = year.isEmpty() ? QStringLiteral("\"%1\"").arg(title) : QStringLiteral("\"%1\" (%2)").arg(title, year);
    QMessageBox ask(QMessageBox::Question, applicationTitle(),
        QStringLiteral("%1 is already in the catalogue. Add it anyway?").arg(film), QMessageBox::Yes | QMessageBox::No,
        this);
    ask.setObjectName(QStringLiteral("duplicateFilmBox"));
    ask.setDefaultButton(QMessageBox::No);
    return ask.exec() == QMessageBox::Yes;
}

// Titles that differ only in case and accents are one title, as the list orders them.
bool TForm1::alreadyInCatalogue(const QString& title, const QString& year) const
{
    const std::string key = store::sameTitleKey(title.toStdString());
    for (int recNo = 1; recNo <= aqMovies->recordCount(); ++recNo) {
        if (recNo == aqMovies->recNo()
            || store::sameTitleKey(aqMovies->displayTextAt(recNo, aqMovies->aqMoviesNameOfMovie)) != key)
            continue;
        if (QString::fromStdString(aqMovies->displayTextAt(recNo, aqMovies->aqMoviesYear)).trimmed() == year)
            return true;
    }
    return false;
}

// Another program changed or deleted the film since the list was read: saving again would be refused again, for as
// long as the list is not read anew. The user may reload the film as it is stored, dropping their changes, or keep
// editing (to copy what they typed, say) and cancel later.
void TForm1::offerReload(const std::string& refusal)
{
    QMessageBox ask(QMessageBox::Warning, applicationTitle(),
        errorBoxText(refusal)
            + QStringLiteral("\nReload the film as it is stored now? Your changes to it will be lost."),
        QMessageBox::Yes | QMessageBox::No, this);
    ask.setDefaultButton(QMessageBox::No);
    if (ask.exec() != QMessageBox::Yes)
        return;
    const std::string id = aqMovies->aqMoviesID.asString();
    aqMovies->cancel();
    reopenList(id);
}

void TForm1::BitBtn4Click()
{
    aqMovies->cancel();
}

void TForm1::BitBtn3Click()
{
    close();
}

void TForm1::atMoviesAfterInsert()
{
    DBEdit1->setFocus(Qt::OtherFocusReason);
    SetEditColours(false);
    m_coverChosenFromFile = false;
}

void TForm1::atMoviesAfterEdit()
{
    SetEditColours(false);
    m_coverChosenFromFile = false;
}

void TForm1::atMoviesAfterCancel()
{
    SetEditColours(true);
    m_coverChosenFromFile = false;
    // Once the query's own event is over.
    if (std::exchange(m_listBehindCatalogue, false))
        QTimer::singleShot(0, this, [this] { guarded([this] { showImportedFilms(); }); });
}

void TForm1::aqMoviesAfterPost()
{
    const std::string saved = aqMovies->aqMoviesID.asString();
    m_listBehindCatalogue = false; // read anew here
    atMoviesAfterCancel();
    // Saved by picking another film: the user sees the film that was saved, not a jump to the first one.
    reopenList(m_savingByButton ? std::string() : saved);
}

void TForm1::reopenList(const std::string& id)
{
    aqMovies->close();
    aqMovies->open();
    reportUnreadableValues();
    if (!id.empty())
        showFilm(id);
}

void TForm1::showFilm(const std::string& id)
{
    for (int recNo = 1; recNo <= aqMovies->recordCount(); ++recNo) {
        if (aqMovies->displayTextAt(recNo, aqMovies->aqMoviesID) == id) {
            aqMovies->setRecNo(recNo);
            return;
        }
    }
}

// Closing the window in any way (Quit, the title bar, Alt+F4, the session ending) while a film is being added or
// edited asks first, as desktop programs do, instead of dropping the film.
void TForm1::closeEvent(QCloseEvent* event)
{
    const store::QueryState state = aqMovies->state();
    if (state != qsEdit && state != qsInsert) {
        event->accept();
        return;
    }
    QMessageBox ask(QMessageBox::Question, applicationTitle(), QStringLiteral("Save changes to this film?"),
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
    ask.setDefaultButton(QMessageBox::Save);
    ask.setEscapeButton(QMessageBox::Cancel);
    switch (ask.exec()) {
    case QMessageBox::Save:
        // A save that fails has shown why; the window stays open with the film as it was.
        guarded([this] { BitBtn1Click(); });
        break;
    case QMessageBox::Discard:
        guarded([this] { aqMovies->cancel(); });
        break;
    default:
        break;
    }
    const store::QueryState after = aqMovies->state();
    if (after == qsEdit || after == qsInsert)
        event->ignore();
    else
        event->accept();
}

void TForm1::aqMoviesAfterScroll()
{
    DBEdit4->setToolTip(QString::fromStdString(aqMovies->aqMoviesTagline.asString()));
}

void TForm1::keyPressEvent(QKeyEvent* event)
{
    // "Cancel" is the window's cancel button: Escape anywhere in the window clicks it.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier && BitBtn4->isVisibleTo(this)) {
        event->accept();
        BitBtn4->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace vantrelle::app
