#include "vantrelle/app/TForm1.h"

#include "vantrelle/app/DBEdit.h"
#include "vantrelle/app/DBGrid.h"
#include "vantrelle/app/DBImage.h"
#include "vantrelle/app/DropDownButton.h"
#include "vantrelle/app/ErrorHandler.h"
#include "vantrelle/app/Glyphs.h"
#include "vantrelle/app/Image.h"
#include "vantrelle/app/PlaceholderCover.h"
#include "vantrelle/app/WindowLook.h"

#include <QAction>
#include <QGroupBox>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTimer>

#include <utility>

namespace vantrelle::app {

namespace {

// The window's client area: the 505 x 420 window less its frame and caption.
constexpr QSize clientSize(497, 393);

QGroupBox* groupBox(const char* name, const QString& caption, QWidget* parent, QRect geometry)
{
    auto* box = new QGroupBox(caption, parent);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(geometry);
    return box;
}

QLabel* label(const char* name, const QString& caption, QWidget* parent, QPoint topLeft)
{
    auto* text = new QLabel(caption, parent);
    text->setObjectName(QLatin1String(name));
    text->move(topLeft);
    text->adjustSize();
    return text;
}

DBEdit* edit(const char* name, const char* column, QWidget* parent, QRect geometry)
{
    auto* box = new DBEdit(column, parent);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(geometry);
    return box;
}

QPushButton* glyphButton(const char* name, const QString& caption, Glyph glyph, QWidget* parent, QRect geometry)
{
    auto* button = new QPushButton(glyphIcon(glyph), caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setIconSize(QSize(18, 18));
    button->setGeometry(geometry);
    return button;
}

QAction* menuItem(const char* name, const QString& caption, QMenu* menu)
{
    QAction* item = menu->addAction(caption);
    item->setObjectName(QLatin1String(name));
    return item;
}

} // namespace

TForm1::TForm1(std::string connectionString)
    : aqMovies(std::make_unique<store::MoviesQuery>())
    , dsMovies(std::make_unique<store::DataSource>())
{
    aqMovies->ConnectionString = std::move(connectionString);
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Vantrelle"));
    applyWindowLook(this);
    resize(clientSize);
    // A smaller window would hide some controls, "Quit Vantrelle" among them.
    setMinimumSize(clientSize);
    createControls();
    createButtons();
    noteDesignGeometry();
    setTabOrders();
    bindControls();
    connectHandlers();
    centreOnScreen(this);
    guarded([this] { FormCreate(); });
}

TForm1::~TForm1()
{
    guarded([this] { FormDestroy(); });
    // The bound controls observe the data source, a member: they go first.
    qDeleteAll(findChildren<QWidget*>(Qt::FindDirectChildrenOnly));
}

void TForm1::createControls()
{
    GroupBox1 = groupBox("GroupBox1", QStringLiteral("Movies List"), this, QRect(8, 4, 361, 165));
    DBGrid1 = new DBGrid(GroupBox1);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setGeometry(8, 16, 345, 140);

    GroupBox2 = groupBox("GroupBox2", QStringLiteral("Picture"), this, QRect(373, 4, 116, 165));
    DBImage1 = new DBImage("Cover", GroupBox2);
    DBImage1->setObjectName(QStringLiteral("DBImage1"));
    DBImage1->setGeometry(8, 16, 100, 140);

    GroupBox3 = groupBox("GroupBox3", QStringLiteral("General information"), this, QRect(8, 172, 481, 97));
    Label1 = label("Label1", QStringLiteral("Name:"), GroupBox3, QPoint(8, 19));
    DBEdit1 = edit("DBEdit1", "NameOfMovie", GroupBox3, QRect(43, 16, 246, 20));
    Label4 = label("Label4", QStringLiteral("Director:"), GroupBox3, QPoint(293, 19));
    DBEdit2 = edit("DBEdit2", "Director", GroupBox3, QRect(336, 16, 137, 20));
    Label2 = label("Label2", QStringLiteral("Tagline:"), GroupBox3, QPoint(8, 46));
    DBEdit4 = edit("DBEdit4", "Tagline", GroupBox3, QRect(50, 43, 295, 20));
    Label10 = label("Label10", QStringLiteral("Movie Format:"), GroupBox3, QPoint(352, 46));
    DBEdit15 = edit("DBEdit15", "Format", GroupBox3, QRect(424, 43, 49, 20));
    Label9 = label("Label9", QStringLiteral("No. of CD's:"), GroupBox3, QPoint(8, 72));
    DBEdit14 = edit("DBEdit14", "NoOfCds", GroupBox3, QRect(72, 70, 17, 20));
    Label5 = label("Label5", QStringLiteral("Genre:"), GroupBox3, QPoint(95, 72));
    DBEdit3 = edit("DBEdit3", "Genre", GroupBox3, QRect(131, 70, 158, 20));
    Label11 = label("Label11", QStringLiteral("Year:"), GroupBox3, QPoint(295, 72));
    DBEdit17 = edit("DBEdit17", "Year", GroupBox3, QRect(324, 70, 37, 21));
    Label8 = label("Label8", QStringLiteral("Runtime:"), GroupBox3, QPoint(367, 72));
    DBEdit13 = edit("DBEdit13", "Runtime", GroupBox3, QRect(413, 70, 60, 20));

    GroupBox4 = groupBox("GroupBox4", QStringLiteral("Actors / Characters"), this, QRect(8, 271, 302, 117));
    DBEdit5 = edit("DBEdit5", "CastMemberName1", GroupBox4, QRect(8, 16, 129, 20));
    Label6 = label("Label6", QStringLiteral("As"), GroupBox4, QPoint(145, 20));
    DBEdit6 = edit("DBEdit6", "Character1", GroupBox4, QRect(164, 16, 129, 20));
    DBEdit7 = edit("DBEdit7", "CastMemberName2", GroupBox4, QRect(8, 40, 129, 20));
    Label12 = label("Label12", QStringLiteral("As"), GroupBox4, QPoint(145, 42));
    DBEdit8 = edit("DBEdit8", "Character2", GroupBox4, QRect(164, 40, 129, 20));
    DBEdit9 = edit("DBEdit9", "CastMemberName3", GroupBox4, QRect(8, 64, 129, 20));
    Label13 = label("Label13", QStringLiteral("As"), GroupBox4, QPoint(145, 66));
    DBEdit10 = edit("DBEdit10", "Character3", GroupBox4, QRect(164, 64, 129, 20));
    DBEdit11 = edit("DBEdit11", "CastMemberName4", GroupBox4, QRect(8, 88, 129, 20));
    Label14 = label("Label14", QStringLiteral("As"), GroupBox4, QPoint(145, 90));
    DBEdit12 = edit("DBEdit12", "Character4", GroupBox4, QRect(164, 88, 129, 20));
}

void TForm1::createButtons()
{
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    Addnewmovie1 = menuItem("Addnewmovie1", QStringLiteral("Add New Movie.."), PopupMenu1);
    Editcurrentmovie1 = menuItem("Editcurrentmovie1", QStringLiteral("Edit Current Movie.."), PopupMenu1);
    Deletecurrentmovie1 = menuItem("Deletecurrentmovie1", QStringLiteral("Delete Current Movie"), PopupMenu1);
    PopupMenu1->addSeparator();
    PosterSource1 = menuItem("PosterSource1", QStringLiteral("Poster Source..."), PopupMenu1);
    TitleData1 = menuItem("TitleData1", QStringLiteral("Title Data..."), PopupMenu1);
    ImportCollection1 = menuItem("ImportCollection1", QStringLiteral("Import Collection..."), PopupMenu1);

    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    SearchByNumber1 = menuItem("SearchByNumber1", QStringLiteral("Enter Number"), PopupMenu2);
    SearchByName1 = menuItem("SearchByName1", QStringLiteral("Search by Name.."), PopupMenu2);
    SearchByNumber1->setEnabled(false); // until a film is being added
    SearchByName1->setEnabled(false);

    // The items' usual keys work wherever the focus is in the window, while their menu could be opened.
    Addnewmovie1->setShortcuts({ QKeySequence(Qt::Key_Insert), QKeySequence(QKeySequence::New) });
    Editcurrentmovie1->setShortcut(QKeySequence(Qt::Key_F2));
    Deletecurrentmovie1->setShortcut(QKeySequence(QKeySequence::Delete));
    SearchByNumber1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    SearchByName1->setShortcut(QKeySequence(QKeySequence::Find));
    addActions(PopupMenu1->actions());
    addActions(PopupMenu2->actions());

    SpeedButton1 = new DropDownButton(QStringLiteral("&Action"), PopupMenu1, this);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setGeometry(315, 275, 173, 35);

    BitBtn1 = glyphButton("BitBtn1", QStringLiteral("&Save"), Glyph::CheckMark, this, QRect(315, 275, 81, 35));
    BitBtn1->hide();
    BitBtn4 = glyphButton("BitBtn4", QStringLiteral("Cancel"), Glyph::Cross, this, QRect(403, 275, 85, 35));
    BitBtn4->hide();

    BitBtn2 = new DropDownButton(QStringLiteral("&Browse IMDB Title"), PopupMenu2, this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2->setGeometry(315, 316, 173, 33);
    BitBtn2->setEnabled(false);

    BitBtn3 = new QPushButton(QStringLiteral("Quit Vantrelle"), this);
    BitBtn3->setObjectName(QStringLiteral("BitBtn3"));
    BitBtn3->setGeometry(315, 355, 173, 33);

    Image1 = new Image(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(312, 276, 177, 117);
    Image1->Picture().setGraphic(std::make_unique<pictures::TBitmap>(placeholderCover()));
}

void TForm1::setTabOrders()
{
    QWidget* const chain[] = { DBGrid1, DBImage1, DBEdit1, DBEdit3, DBEdit17, DBEdit13, DBEdit4, DBEdit14, DBEdit15,
        DBEdit2, DBEdit5, DBEdit7, DBEdit9, DBEdit11, DBEdit6, DBEdit8, DBEdit10, DBEdit12, BitBtn3, BitBtn1, BitBtn4 };
    for (std::size_t i = 1; i < std::size(chain); ++i)
        setTabOrder(chain[i - 1], chain[i]);
}

void TForm1::bindControls()
{
    dsMovies->setDataSet(aqMovies.get());
    dsMovies->AutoEdit = false;
    DBGrid1->bind(dsMovies.get());
    DBImage1->bind(dsMovies.get());
    for (DBEdit* box : findChildren<DBEdit*>())
        box->bind(dsMovies.get());
}

std::function<void()> TForm1::guardedHandler(void (TForm1::*handler)())
{
    return [this, handler] { guarded([this, handler] { (this->*handler)(); }); };
}

void TForm1::onTrigger(QAction* item, void (TForm1::*handler)())
{
    connect(item, &QAction::triggered, this, guardedHandler(handler));
}

void TForm1::onClick(QPushButton* button, void (TForm1::*handler)())
{
    connect(button, &QPushButton::clicked, this, guardedHandler(handler));
}

void TForm1::connectHandlers()
{
    onTrigger(Addnewmovie1, &TForm1::Addnewmovie1Click);
    onTrigger(Editcurrentmovie1, &TForm1::Editcurrentmovie1Click);
    onTrigger(Deletecurrentmovie1, &TForm1::Deletecurrentmovie1Click);
    onClick(BitBtn1, &TForm1::BitBtn1Click);
    onClick(BitBtn4, &TForm1::BitBtn4Click);
    onClick(BitBtn3, &TForm1::BitBtn3Click);
    connectLookups();
    onTrigger(ImportCollection1, &TForm1::ImportCollection1Click);
    connectCover();

    // The query's events reach the window's handlers; a handler's failure goes back
    // to the operation that raised the event, and from there to the error box.
    dsMovies->OnStateChange = [this](store::DataSource&) { dsMoviesStateChange(); };
    aqMovies->AfterInsert = [this](store::MoviesQuery&) { atMoviesAfterInsert(); };
    aqMovies->AfterEdit = [this](store::MoviesQuery&) { atMoviesAfterEdit(); };
    aqMovies->AfterCancel = [this](store::MoviesQuery&) { atMoviesAfterCancel(); };
    aqMovies->AfterDelete = [this](store::MoviesQuery&) { atMoviesAfterCancel(); };
    aqMovies->AfterPost = [this](store::MoviesQuery&) { aqMoviesAfterPost(); };
    aqMovies->AfterScroll = [this](store::MoviesQuery&) { aqMoviesAfterScroll(); };
}

void TForm1::FormCreate()
{
    SetEditColours(true);
    aqMovies->open();
    // A catalogue that can only be read says so at once, not after a whole film was typed.
    if (aqMovies->readOnly())
        setWindowTitle(QStringLiteral("Vantrelle (read-only)"));
    reportUnreadableValues();
}

void TForm1::reportUnreadableValues()
{
    m_unreadableValuesAsked = true;
    if (m_drawn)
        QTimer::singleShot(0, this, [this] { showUnreadableValues(); });
}

void TForm1::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
    if (!std::exchange(m_drawn, true) && m_unreadableValuesAsked)
        QTimer::singleShot(0, this, [this] { showUnreadableValues(); });
}

void TForm1::showUnreadableValues()
{
    if (!std::exchange(m_unreadableValuesAsked, false))
        return;
    guarded([this] {
        // A few thousand films at a time (some tens of milliseconds), so that the window answers in between.
        constexpr int kFilmsAtATime = 2000;
        if (!aqMovies->searchUnreadableValues(kFilmsAtATime)) {
            m_unreadableValuesAsked = true;
            QTimer::singleShot(0, this, [this] { showUnreadableValues(); });
            return;
        }
        const std::string warning = aqMovies->openWarning();
        if (warning == m_shownOpenWarning)
            return;
        m_shownOpenWarning = warning;
        if (!warning.empty())
            showErrorBox(warning);
    });
}

void TForm1::FormDestroy()
{
    // The window is going: its face need not follow the close.
    dsMovies->OnStateChange = nullptr;
    aqMovies->close();
}

void TForm1::SetEditColours(bool browse)
{
    DBEdit* const boxes[] = { DBEdit1, DBEdit2, DBEdit3, DBEdit4, DBEdit5, DBEdit6, DBEdit7, DBEdit8, DBEdit9, DBEdit10,
        DBEdit11, DBEdit12, DBEdit13, DBEdit14, DBEdit15, DBEdit17 };
    for (DBEdit* box : boxes) {
        QPalette colours = box->palette();
        colours.setColor(QPalette::Base, browse ? browsingColour(palette()) : editingColour(palette()));
        box->setPalette(colours);
    }
}

} // namespace vantrelle::app
