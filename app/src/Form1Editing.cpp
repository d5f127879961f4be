// The editing workflow: the window's face follows the state of the movies query,
// and the buttons and menu items drive the query.
#include "vantrelle/app/DBEdit.h"
#include "vantrelle/app/DBGrid.h"
#include "vantrelle/app/DropDownButton.h"
#include "vantrelle/app/TForm1.h"

#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>

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
    QMessageBox confirm(QMessageBox::NoIcon, QStringLiteral("Confirm delete"),
        QStringLiteral("Are you sure you want to delete this movie?"), QMessageBox::Yes | QMessageBox::No, this);
    confirm.setDefaultButton(QMessageBox::Yes);
    confirm.setWindowModality(Qt::ApplicationModal);
    if (confirm.exec() == QMessageBox::Yes)
        aqMovies->deleteRow();
}

void TForm1::BitBtn1Click()
{
    aqMovies->post();
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
}

void TForm1::atMoviesAfterEdit()
{
    SetEditColours(false);
}

void TForm1::atMoviesAfterCancel()
{
    SetEditColours(true);
}

void TForm1::aqMoviesAfterPost()
{
    atMoviesAfterCancel();
    aqMovies->close();
    aqMovies->open();
    reportUnreadableValues();
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
