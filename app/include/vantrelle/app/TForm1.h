#pragma once

#include "vantrelle/store/MoviesQuery.h"
#include "vantrelle/titleservice/LookupUser.h"
#include "vantrelle/titleservice/TitleLookup.h"

#include <QHash>
#include <QRect>
#include <QWidget>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

class QAction;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;

namespace vantrelle::app {

class DBEdit;
class DBGrid;
class DBImage;
class DropDownButton;
class Image;
class OpenPictureDialog;

// The catalogue window. It owns the movies query and its data source, every
// control and menu, and whatever the lookups and the cover import need. Its
// handlers are spread over files by topic: Form1.cpp (creation, layout, colours),
// Form1Editing.cpp (the editing workflow), Form1Lookups.cpp (the title lookups,
// for which the window is the user), Form1Cover.cpp (the cover import).
class TForm1 : public QWidget, private titleservice::LookupUser {
    Q_OBJECT

public:
    // `connectionString` names the catalogue that FormCreate opens.
    explicit TForm1(std::string connectionString = std::string(store::kConnectionString));
    ~TForm1() override;

    // Gives the sixteen bound edit boxes the browsing (true) or the editing colour.
    void SetEditColours(bool browse);

    // The movies query and the data source between it and the bound controls.
    std::unique_ptr<store::MoviesQuery> aqMovies;
    std::unique_ptr<store::DataSource> dsMovies;

    // The picture file extension of the cover being brought in, with its leading ".".
    std::string CoverExtension;

    // The lookups at the title service, with their requests: title pages, cover pictures and searches.
    std::unique_ptr<titleservice::TitleLookup> TitleLookup1;

    QGroupBox* GroupBox1;
    DBGrid* DBGrid1;
    QGroupBox* GroupBox2;
    DBImage* DBImage1;
    QGroupBox* GroupBox3;
    QLabel* Label1;
    DBEdit* DBEdit1;
    QLabel* Label4;
    DBEdit* DBEdit2;
    QLabel* Label2;
    DBEdit* DBEdit4;
    QLabel* Label10;
    DBEdit* DBEdit15;
    QLabel* Label9;
    DBEdit* DBEdit14;
    QLabel* Label5;
    DBEdit* DBEdit3;
    QLabel* Label11;
    DBEdit* DBEdit17;
    QLabel* Label8;
    DBEdit* DBEdit13;
    QGroupBox* GroupBox4;
    DBEdit* DBEdit5;
    QLabel* Label6;
    DBEdit* DBEdit6;
    DBEdit* DBEdit7;
    QLabel* Label12;
    DBEdit* DBEdit8;
    DBEdit* DBEdit9;
    QLabel* Label13;
    DBEdit* DBEdit10;
    DBEdit* DBEdit11;
    QLabel* Label14;
    DBEdit* DBEdit12;
    DropDownButton* SpeedButton1;
    QPushButton* BitBtn1;
    QPushButton* BitBtn4;
    DropDownButton* BitBtn2;
    QPushButton* BitBtn3;
    Image* Image1; // never visible: holds the placeholder cover

    QMenu* PopupMenu1;
    QAction* Addnewmovie1;
    QAction* Editcurrentmovie1;
    QAction* Deletecurrentmovie1;
    QAction* PosterSource1;
    QAction* TitleData1;
    QAction* ImportCollection1;
    QMenu* PopupMenu2;
    QAction* SearchByNumber1;
    QAction* SearchByName1;

    // Window events (Form1.cpp).
    void FormCreate();
    void FormDestroy();

    // The editing workflow (Form1Editing.cpp).
    void dsMoviesStateChange();
    void Addnewmovie1Click();
    void Editcurrentmovie1Click();
    void Deletecurrentmovie1Click();
    void BitBtn1Click();
    void BitBtn4Click();
    void BitBtn3Click();
    void atMoviesAfterInsert();
    void atMoviesAfterEdit();
    void atMoviesAfterCancel();
    void aqMoviesAfterPost();
    void aqMoviesAfterScroll();

    // The lookups of a new film by number and by name (Form1Lookups.cpp).
    void BitBtn2Click();
    void SearchByName1Click();
    // "Poster Source...": the user's TMDB key, for the posters and taglines of the lookups.
    void PosterSource1Click();
    // "Title Data...": the title index, downloaded and imported (TitleDataDialog).
    void TitleData1Click();
    // Without title data (no index where the user's is looked for), "Enter Number" and "Search by
    // Name.." say how to get it and offer "Title Data..." instead of asking the online service.
    void setTitleDataMissing(bool missing) { m_titleDataMissing = missing; }
    // Why the index the user named is not served (UTF-8), added to the message of a lookup that fails.
    void setTitleIndexProblem(std::string problem) { m_titleIndexProblem = std::move(problem); }
    bool titleDataMissing() const { return m_titleDataMissing; }

    // "Import Collection..." (Form1Import.cpp): a collection file of another program or service, chosen in a file
    // dialog, then reviewed and added in ImportCollectionDialog beside the window.
    void ImportCollection1Click();
    // Reads `file` (a failure goes to the caller, as "FILE: reason") and shows its films for review.
    void importCollection(const std::filesystem::path& file);

signals:
    // The saved TMDB key changed.
    void posterSourceChanged();
    // A new title index replaced the user's.
    void titleIndexChanged();

public:
    // The cover import (Form1Cover.cpp): a downloaded poster or a chosen picture file becomes the cover.
    OpenPictureDialog* OpenPictureDialog2;
    QAction* ChoosePicture1; // Ctrl+O while a film is being added or edited
    void ImportCoverFile(const std::string& FileName);
    void DBImage1DblClick();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // A window larger than its design gives the room to the list, the picture and the details (Form1Size.cpp).
    void noteDesignGeometry();
    void followSize();
    QHash<QWidget*, QRect> m_designGeometry;

    void createControls();
    void createButtons();
    void setTabOrders();
    void connectHandlers();
    void connectLookups();
    void connectCover();
    // Runs a handler when the item is chosen or the button clicked; whatever it
    // throws goes to the error box.
    std::function<void()> guardedHandler(void (TForm1::*handler)());
    void onTrigger(QAction* item, void (TForm1::*handler)());
    void onClick(QPushButton* button, void (TForm1::*handler)());
    void bindControls();

    // What the title lookups ask of the window (Form1Lookups.cpp); the downloaded cover is imported as
    // a chosen file is (Form1Cover.cpp).
    void setColumnText(std::string_view column, std::string_view text) override;
    void setColumnInteger(std::string_view column, std::int32_t value) override;
    titleservice::ListChoice chooseFromList(const std::vector<std::string_view>& items) override;
    void usePlaceholderCover() override;
    void setCoverExtension(std::string_view extension) override;
    std::string inputBox(std::string_view caption, std::string_view prompt) override;
    void showMessage(std::string_view text) override;
    void focusNumberOfDiscs() override;
    void startNewFilm() override;
    void useDownloadedCover(std::span<const std::uint8_t> body) override;
    void coverDownloadFailed(std::string_view message) override;
    void requestStarted() override;
    void requestEnded() override;

    // After an open: shows the query's warning about values it could not read in the error box, once the
    // window is on screen and the operation is over; the same warning is not repeated after every save.
    // Finding them reads every film but its cover, a while in a large catalogue: never before the window has
    // drawn itself, and a few thousand films at a time between the window's events.
    void reportUnreadableValues();
    void showUnreadableValues();
    std::string m_shownOpenWarning;
    bool m_unreadableValuesAsked = false;
    bool m_drawn = false;

    // Makes the film with that ID current, if the list holds it.
    void showFilm(const std::string& id);
    // Reads the list anew as the catalogue holds it, then shows the film with that ID (none: the first).
    void reopenList(const std::string& id);
    // Films were added beside the window: the list shows them, once a film being added or edited is done.
    void showImportedFilms();
    bool m_listBehindCatalogue = false;
    // A save refused because another program changed the film: offers to read it again as it is stored.
    void offerReload(const std::string& refusal);
    bool m_savingByButton = false; // a post from "&Save", not from picking another film
    // What "&Save" checks before the post: a title, and whether the catalogue holds the new film already.
    bool readyToSave();
    bool alreadyInCatalogue(const QString& title, const QString& year) const;
    // The cover of the film being added or edited is a picture file the user chose.
    bool m_coverChosenFromFile = false;

    // Says that there is no title data and opens "Title Data..." if the user wants.
    void offerTitleData();
    bool m_titleDataMissing = false;
    void lookUp(void (titleservice::TitleLookup::*lookup)());
    std::string m_titleIndexProblem;
};

} // namespace vantrelle::app
