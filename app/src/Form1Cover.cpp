// The cover import: a downloaded poster, or a picture file chosen by double-clicking the cover (or Enter or Space on
// it, or Ctrl+O anywhere in the window), becomes the picture of DBImage1, reduced to a palette bitmap.
#include "vantrelle/app/DBImage.h"
#include "vantrelle/app/ErrorHandler.h"
#include "vantrelle/app/OpenPictureDialog.h"
#include "vantrelle/app/TForm1.h"
#include "vantrelle/pictures/CoverImport.h"

#include <QAction>
#include <QKeySequence>
#include <QTimer>

namespace vantrelle::app {

using store::qsEdit;
using store::qsInsert;

void TForm1::connectCover()
{
    OpenPictureDialog2 = new OpenPictureDialog(this);
    connect(DBImage1, &DBImage::activated, this, guardedHandler(&TForm1::DBImage1DblClick));
    ChoosePicture1 = new QAction(this);
    ChoosePicture1->setObjectName(QStringLiteral("ChoosePicture1"));
    ChoosePicture1->setShortcut(QKeySequence::Open);
    ChoosePicture1->setEnabled(false); // until a film is being added or edited
    addAction(ChoosePicture1);
    onTrigger(ChoosePicture1, &TForm1::DBImage1DblClick);
    DBImage1->setToolTip(QStringLiteral(
        "While a film is being added or edited, double-click the picture, or press Enter, Space or Ctrl+O, to choose "
        "a picture file as its cover."));
}

void TForm1::ImportCoverFile(const std::string& FileName)
{
    pictures::ImportCoverFile(DBImage1->Picture(), CoverExtension, FileName);
}

// The poster of a lookup, in whatever state the query is by now: one that arrives after its film was saved or
// cancelled only changes the picture shown, which the control never writes outside an insert or edit.
void TForm1::useDownloadedCover(std::span<const std::uint8_t> body)
{
    pictures::importDownloadedCover(DBImage1->Picture(), CoverExtension, body);
    m_coverChosenFromFile = false;
}

// Told once the download's handler is over, so that the box waits for no worker; the cover keeps the placeholder.
void TForm1::coverDownloadFailed(std::string_view message)
{
    const QString text = QString::fromUtf8(message.data(), static_cast<qsizetype>(message.size()));
    QTimer::singleShot(0, this, [this, text] { showMessageBox(QMessageBox::Warning, text, this); });
}

void TForm1::DBImage1DblClick()
{
    const auto changing = [this] { return aqMovies->state() == qsEdit || aqMovies->state() == qsInsert; };
    if (!changing())
        return;
    if (!OpenPictureDialog2->Execute())
        return;
    // The dialog's wait lets other events in (a download completing, for one); the state may have moved.
    if (!changing())
        aqMovies->edit();
    ImportCoverFile(OpenPictureDialog2->FileName());
    m_coverChosenFromFile = true;
}

} // namespace vantrelle::app
