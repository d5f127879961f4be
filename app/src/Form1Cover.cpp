// The cover import: a downloaded poster, or a picture file chosen by double-clicking the cover, becomes the
// picture of DBImage1, reduced to a palette bitmap.
#include "vantrelle/app/TDBImage.h"
#include "vantrelle/app/TForm1.h"
#include "vantrelle/app/TOpenPictureDialog.h"
#include "vantrelle/pictures/CoverImport.h"

namespace vantrelle::app {

using store::qsEdit;
using store::qsInsert;

void TForm1::connectCover()
{
    OpenPictureDialog2 = new TOpenPictureDialog(this);
    // A failure of the import goes back to the download, which it ends; nothing is shown.
    Http2->OnRequestComplete = [this](http::THttpRequest& sender) { Http2RequestComplete(sender); };
    connect(DBImage1, &TDBImage::doubleClicked, this, guardedHandler(&TForm1::DBImage1DblClick));
}

void TForm1::ImportCoverFile(const std::string& FileName)
{
    pictures::ImportCoverFile(DBImage1->Picture(), CoverExtension, FileName);
}

// Runs in whatever state the query is by now: a poster that arrives after its film was saved or cancelled only
// changes the picture shown, which the control never writes outside an insert or edit.
void TForm1::Http2RequestComplete(http::THttpRequest& Sender)
{
    pictures::ImportDownloadedCover(DBImage1->Picture(), CoverExtension, Sender.ResponseStream());
}

void TForm1::DBImage1DblClick()
{
    const auto changing = [this] { return aqMovies->State() == qsEdit || aqMovies->State() == qsInsert; };
    if (!changing())
        return;
    if (!OpenPictureDialog2->Execute())
        return;
    // The dialog's wait lets other events in (a download completing, for one); the state may have moved.
    if (!changing())
        aqMovies->Edit();
    ImportCoverFile(OpenPictureDialog2->FileName());
}

} // namespace vantrelle::app
