// The lookups of a new film at the title service: by number ("Enter Number") and by name
// ("Search by Name.."), the search results, and the title page written into the new row.
#include "vantrelle/app/ErrorHandler.h"
#include "vantrelle/app/QtEventDelivery.h"
#include "vantrelle/app/TDBEdit.h"
#include "vantrelle/app/TDBImage.h"
#include "vantrelle/app/TForm1.h"
#include "vantrelle/app/TForm2.h"
#include "vantrelle/app/TImage.h"
#include "vantrelle/titleservice/SearchResults.h"
#include "vantrelle/titleservice/TitlePageScraper.h"

#include <QAction>
#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>

namespace vantrelle::app {

namespace {

// The input box: a caption, a prompt and one line of at most 255 characters, pre-filled with
// `defaultText` and selected. OK gives the edited text, anything else the default.
std::string InputBox(QWidget* owner, const QString& caption, const QString& prompt, const std::string& defaultText)
{
    QInputDialog box(owner);
    box.setWindowTitle(caption);
    box.setLabelText(prompt);
    box.setTextValue(QString::fromStdString(defaultText));
    if (auto* line = box.findChild<QLineEdit*>()) {
        line->setMaxLength(255);
        line->selectAll();
    }
    return box.exec() == QDialog::Accepted ? box.textValue().toStdString() : defaultText;
}

// The wait cursor for as long as a synchronous request runs.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

void executeSynchronously(http::THttpRequest& request, const std::string& url)
{
    request.SetURL(url);
    WaitCursor wait;
    request.Execute(true);
}

// The new row, the cover and the cover download of the window, as the title page scraper writes them.
class NewFilm : public titleservice::ScrapeTarget {
public:
    explicit NewFilm(TForm1& form)
        : m_form(form)
    {
    }

    void setColumnText(std::string_view column, std::string_view text) override
    {
        m_form.aqMovies->FieldByName(column).SetAsString(text);
    }

    void setColumnInteger(std::string_view column, std::int32_t value) override
    {
        m_form.aqMovies->FieldByName(column).SetAsInteger(value);
    }

    titleservice::ListChoice chooseFromList(const std::vector<std::string_view>& items) override
    {
        const ChooseFromListResult choice
            = ChooseFromList(&m_form, std::vector<std::string>(items.begin(), items.end()));
        return { choice.result == mrOk, choice.index };
    }

    void usePlaceholderCover() override { m_form.DBImage1->Picture().Assign(m_form.Image1->Picture()); }

    void setCoverExtension(std::string_view extension) override { m_form.CoverExtension = extension; }

    void startCoverDownload(std::string_view url) override
    {
        m_form.Http2->SetURL(std::string(url));
        m_form.Http2->Execute(false);
    }

private:
    TForm1& m_form;
};

} // namespace

void TForm1::connectLookups()
{
    // Every event of the three requests runs on the user-interface thread, also those of the
    // cover download, which finishes on a worker thread.
    const auto delivery = std::make_shared<QtEventDelivery>();
    Http1 = std::make_unique<http::THttpRequest>(delivery);
    Http2 = std::make_unique<http::THttpRequest>(delivery);
    Http3 = std::make_unique<http::THttpRequest>(delivery);
    Http1->OnRequestComplete = [this](http::THttpRequest& sender) { Http1RequestComplete(sender); };
    Http3->OnRequestComplete = [this](http::THttpRequest& sender) { Http3RequestComplete(sender); };
    onTrigger(SearchByNumber1, &TForm1::BitBtn2Click);
    onTrigger(SearchByName1, &TForm1::SearchByName1Click);
}

void TForm1::BitBtn2Click()
{
    const std::string number
        = InputBox(this, QStringLiteral("IMDB Number"), QStringLiteral("Type the IMDB number"), std::string());
    if (!number.empty())
        executeSynchronously(*Http1, titleservice::titlePageUrl(number));
    DBEdit14->setFocus(Qt::OtherFocusReason);
}

void TForm1::SearchByName1Click()
{
    const std::string title = InputBox(
        this, QStringLiteral("Search by Movie Title"), QStringLiteral("Type the Movie Title"), std::string());
    if (!title.empty())
        executeSynchronously(*Http3, titleservice::searchUrl(title));
}

void TForm1::Http1RequestComplete(http::THttpRequest& Sender)
{
    NewFilm film(*this);
    titleservice::TitlePageScraper scraper(film, URLDecoder1);
    scraper.scrape(Sender.Text());
}

void TForm1::Http3RequestComplete(http::THttpRequest& Sender)
{
    using titleservice::SearchAnswer;
    const SearchAnswer answer = titleservice::readSearchAnswer(Sender.Text(), Sender.RedirectURL());
    switch (answer.kind) {
    case SearchAnswer::Kind::TitlePage:
        if (answer.requestRedirect)
            executeSynchronously(*Http1, answer.redirectUrl);
        DBEdit14->setFocus(Qt::OtherFocusReason);
        return;
    case SearchAnswer::Kind::NoMovie:
        showMessageBox(
            QMessageBox::NoIcon, QString::fromStdString(std::string(titleservice::NoMovieFoundMessage)), this);
        return;
    case SearchAnswer::Kind::Results:
        break;
    }
    std::vector<std::string> lines;
    for (const auto& result : answer.results)
        lines.push_back(result.display);
    const ChooseFromListResult choice = ChooseFromList(this, lines);
    if (choice.result != mrOk)
        return;
    const std::string url = titleservice::chosenTitleUrl(answer, choice.index);
    if (!url.empty())
        executeSynchronously(*Http1, url);
    DBEdit14->setFocus(Qt::OtherFocusReason);
}

} // namespace vantrelle::app
