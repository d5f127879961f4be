#include "Catalogue.h"
#include "ModalAnswer.h"
#include "StandInTitleService.h"
#include "WindowTest.h"

#include "vantrelle/app/BitmapImage.h"
#include "vantrelle/app/DBEdit.h"
#include "vantrelle/app/DBGrid.h"
#include "vantrelle/app/DBImage.h"
#include "vantrelle/app/Image.h"
#include "vantrelle/app/TForm1.h"
#include "vantrelle/pictures/Bitmap.h"

#include <QAction>
#include <QClipboard>
#include <QInputDialog>
#include <QPushButton>
#include <QtTest>

#include <optional>

using namespace vantrelle::app;
using namespace vantrelle::test;
using vantrelle::pictures::BitFieldMasks;
using vantrelle::pictures::BitmapCompression;
using vantrelle::pictures::PaletteEntry;
using vantrelle::pictures::TBitmap;
using vantrelle::store::qsBrowse;
using vantrelle::store::qsEdit;

using Cover = std::optional<QByteArray>;
Q_DECLARE_METATYPE(Cover)

namespace {

const QString notABitmap = QStringLiteral("Bitmap image is not valid.");

QByteArray bytesOf(const TBitmap& bitmap)
{
    const std::vector<std::uint8_t> bytes = bitmap.saveToBytes();
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

TBitmap bitmapOf(const QByteArray& bytes)
{
    TBitmap bitmap;
    bitmap.loadFromBlob(std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()), bytes.size()));
    return bitmap;
}

// Two by two pixels, 8 bits per pixel; the palette's order differs from the pixels' so a picture
// drawn through the wrong colours shows.
TBitmap fourColours()
{
    TBitmap bitmap(2, 2, 8);
    bitmap.setPalette({ { 30, 90, 200, 0 }, { 200, 30, 40, 0 }, { 240, 220, 20, 0 }, { 20, 160, 60, 0 } });
    bitmap.setColorsUsed(4);
    bitmap.scanLine(0)[0] = 1;
    bitmap.scanLine(0)[1] = 0;
    bitmap.scanLine(1)[0] = 3;
    bitmap.scanLine(1)[1] = 2;
    return bitmap;
}
const QStringList fourColoursShown { "#c81e28", "#1e5ac8", "#14a03c", "#f0dc14" };

// The value behind an 8-byte graphic header: count 1, type 0x0100, the size of the rest.
QByteArray withGraphicHeader(const QByteArray& value, int sizeError = 0)
{
    const auto size = static_cast<quint32>(value.size() + sizeError);
    QByteArray header("\x01\x00\x00\x01", 4);
    for (int shift = 0; shift < 32; shift += 8)
        header.append(static_cast<char>((size >> shift) & 0xFF));
    return header + value;
}

const QByteArray jpegStart = QByteArray::fromHex("ffd8ffe000104a46494600010101004800480000ffdb0043");

QImage indexedImage()
{
    QImage image(3, 5, QImage::Format_Indexed8);
    image.setColorTable({ qRgb(10, 20, 30), qRgb(250, 240, 5) });
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, (x + y) % 2);
    }
    return image;
}

QImage trueColourImage()
{
    QImage image(4, 3, QImage::Format_RGB32);
    image.fill(qRgb(40, 120, 220));
    image.setPixel(3, 2, qRgb(255, 0, 128));
    return image;
}

// The picture's size as drawn, "empty" when there is none.
QString shownSize(const DBImage& control)
{
    const QImage& image = control.image();
    return image.isNull() ? QStringLiteral("empty") : QStringLiteral("%1 x %2").arg(image.width()).arg(image.height());
}

// The colours in the middle of the control's four quarters, as drawn on the screen.
QStringList quarterColours(DBImage& control)
{
    const QImage drawn = control.grab().toImage();
    const QRect inside = control.contentsRect();
    QStringList colours;
    for (const QPointF& at : { QPointF(0.25, 0.25), QPointF(0.75, 0.25), QPointF(0.25, 0.75), QPointF(0.75, 0.75) }) {
        const QPoint point(
            inside.left() + qRound(inside.width() * at.x()), inside.top() + qRound(inside.height() * at.y()));
        colours.append(drawn.pixelColor(point).name());
    }
    return colours;
}

QStringList background(const DBImage& control)
{
    return QStringList(4, control.palette().color(QPalette::Base).name());
}

const std::vector<Film> threeFilms { { "Zulu", 1964 }, { "Alien", 1979 }, { "Brazil", 1985 } };

// Gives "Alien" the four-colour cover and "Brazil" `brazilCover`; "Zulu" has none.
void setCovers(Catalogue& catalogue, const Cover& brazilCover)
{
    catalogue.setCover("Alien", bytesOf(fourColours()));
    catalogue.setCover("Brazil", brazilCover);
}

void clickLine(TForm1& form, int row)
{
    DBGrid* grid = form.DBGrid1;
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(row, 0)).center());
}

// Lets a queued error box open and be answered.
void settle()
{
    QTest::qWait(100);
}

} // namespace

class DBImageTest : public QObject {
    Q_OBJECT

private slots:
    void init() { QGuiApplication::clipboard()->clear(); }

    void showsTheStoredCover_data()
    {
        QTest::addColumn<Cover>("value");
        QTest::addColumn<QString>("size");
        QTest::addColumn<bool>("drawn");
        QTest::addColumn<QStringList>("errors");
        const QByteArray bmp = bytesOf(fourColours());
        QTest::newRow("null") << Cover() << "empty" << false << QStringList();
        QTest::newRow("no bytes") << Cover(QByteArray()) << "empty" << false << QStringList();
        QTest::newRow("a BMP file") << Cover(bmp) << "2 x 2" << true << QStringList();
        QTest::newRow("behind a graphic header") << Cover(withGraphicHeader(bmp)) << "2 x 2" << true << QStringList();
        QTest::newRow("behind a header of the wrong size")
            << Cover(withGraphicHeader(bmp, 1)) << "empty" << false << QStringList { notABitmap };
        QTest::newRow("a JPEG file") << Cover(jpegStart) << "empty" << false << QStringList { notABitmap };
    }

    void showsTheStoredCover()
    {
        QFETCH(Cover, value);
        QFETCH(QString, size);
        QFETCH(bool, drawn);
        QFETCH(QStringList, errors);
        Catalogue catalogue(threeFilms);
        setCovers(catalogue, value);
        auto form = openWindow();
        ModalAnswer answer;
        QCOMPARE(quarterColours(*form->DBImage1), fourColoursShown);

        clickLine(*form, 1);
        // The rest of the window shows the new row whatever the cover holds.
        QCOMPARE(form->DBEdit1->text(), QStringLiteral("Brazil"));
        QCOMPARE(form->DBEdit17->text(), QStringLiteral("1985"));
        QCOMPARE(shownSize(*form->DBImage1), size);
        QCOMPARE(quarterColours(*form->DBImage1), drawn ? fourColoursShown : background(*form->DBImage1));
        QVERIFY(!form->DBImage1->modified());
        settle();
        QCOMPARE(answer.texts(), errors);
    }

    void focusFrameOnlyWhileTheControlHasTheFocus()
    {
        Catalogue catalogue(threeFilms);
        setCovers(catalogue, Cover());
        auto form = openWindow();
        DBImage* control = form->DBImage1;
        const QPoint corner = control->contentsRect().topLeft();
        const QColor frame = control->palette().color(QPalette::WindowText);
        QTest::mouseClick(control, Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), control);
        QCOMPARE(control->grab().toImage().pixelColor(corner), frame);
        QTest::keyClick(control, Qt::Key_Tab);
        QVERIFY(QApplication::focusWidget() != control);
        QCOMPARE(control->grab().toImage().pixelColor(corner).name(), fourColoursShown.front());
    }

    void aTitleWithoutAPosterGetsThePlaceholderCover()
    {
        const auto service = startTitleService();
        Catalogue catalogue(std::vector<Film> {});
        auto form = openWindow();
        QVERIFY(!form->Image1->isVisible());
        form->Addnewmovie1->trigger();
        QCOMPARE(shownSize(*form->DBImage1), QStringLiteral("empty"));
        {
            ModalAnswer answer(QMessageBox::Ok, [](QWidget* modal) {
                auto* box = qobject_cast<QInputDialog*>(modal);
                QVERIFY(box);
                box->setTextValue(QStringLiteral("0100004"));
                box->accept();
            });
            form->SearchByNumber1->trigger();
            QCOMPARE(answer.texts(), QStringList());
        }
        QCOMPARE(shownSize(*form->DBImage1), QStringLiteral("90 x 110"));
        QVERIFY(form->DBImage1->modified());
        QTest::mouseClick(form->DBImage1, Qt::LeftButton);
        QVERIFY(
            form->grab().save(QDir(QStringLiteral(VANTRELLE_APP_ARTIFACTS_DIR)).filePath("DBImage-placeholder.png")));
        QTest::mouseClick(form->BitBtn1, Qt::LeftButton);
        QCOMPARE(form->aqMovies->state(), qsBrowse);

        QCOMPARE(catalogue.titles().size(), 1);
        const Cover stored = catalogue.cover(catalogue.titles().front());
        QVERIFY(stored.has_value());
        QCOMPARE(stored->size(), 11198);
        QVERIFY(stored->startsWith("BM"));
        const TBitmap cover = bitmapOf(*stored);
        QCOMPARE(cover.bitsPerPixel(), 8);
        QCOMPARE(cover.palette().size(), std::size_t { 256 });
        for (std::size_t i = 0; i < cover.palette().size(); ++i) {
            const auto grey = static_cast<std::uint8_t>(i);
            QCOMPARE(cover.palette()[i], (PaletteEntry { grey, grey, grey, 0 }));
        }
        QCOMPARE(cover.pixelColor(0, 0), (PaletteEntry { 255, 255, 255, 0 }));
    }

    void cutAndPasteDoNothingWhileBrowsing_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::newRow("Ctrl+V") << int(Qt::Key_V) << Qt::KeyboardModifiers(Qt::ControlModifier);
        QTest::newRow("Shift+Insert") << int(Qt::Key_Insert) << Qt::KeyboardModifiers(Qt::ShiftModifier);
        QTest::newRow("Ctrl+X") << int(Qt::Key_X) << Qt::KeyboardModifiers(Qt::ControlModifier);
        QTest::newRow("Shift+Delete") << int(Qt::Key_Delete) << Qt::KeyboardModifiers(Qt::ShiftModifier);
    }

    void cutAndPasteDoNothingWhileBrowsing()
    {
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        Catalogue catalogue(threeFilms);
        setCovers(catalogue, Cover());
        const Cover before = catalogue.cover("Alien");
        auto form = openWindow();
        ModalAnswer answer;
        QGuiApplication::clipboard()->setImage(trueColourImage());
        QTest::mouseClick(form->DBImage1, Qt::LeftButton);
        QTest::keyClick(form->DBImage1, Qt::Key(key), modifiers);

        QCOMPARE(form->aqMovies->state(), qsBrowse);
        QCOMPARE(shownSize(*form->DBImage1), QStringLiteral("2 x 2"));
        QVERIFY(!form->DBImage1->modified());
        QCOMPARE(QGuiApplication::clipboard()->image().size(), trueColourImage().size());
        clickLine(*form, 1);
        settle();
        QCOMPARE(answer.texts(), QStringList());
        QCOMPARE(catalogue.cover("Alien"), before);
    }

    void copyPutsThePictureOnTheClipboard_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("Ctrl+C") << int(Qt::Key_C);
        QTest::newRow("Ctrl+Insert") << int(Qt::Key_Insert);
    }

    void copyPutsThePictureOnTheClipboard()
    {
        QFETCH(int, key);
        Catalogue catalogue(threeFilms);
        setCovers(catalogue, Cover());
        auto form = openWindow();
        QTest::mouseClick(form->DBImage1, Qt::LeftButton);
        QTest::keyClick(form->DBImage1, Qt::Key(key), Qt::ControlModifier);
        const QImage copied = QGuiApplication::clipboard()->image();
        QCOMPARE(copied.size(), QSize(2, 2));
        QCOMPARE(QStringList({ copied.pixelColor(0, 0).name(), copied.pixelColor(1, 0).name(),
                     copied.pixelColor(0, 1).name(), copied.pixelColor(1, 1).name() }),
            fourColoursShown);
    }

    void pasteWhileEditingThenSaveStoresIt_data()
    {
        QTest::addColumn<QImage>("pasted");
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<bool>("clickSave");
        QTest::addColumn<int>("storedDepth");
        // A click on "&Save" writes the picture as the control loses the focus; a click made by the
        // program leaves the focus where it is, so the post asks for the row to be updated.
        QTest::newRow("palette image, Ctrl+V, Save clicked")
            << indexedImage() << int(Qt::Key_V) << Qt::KeyboardModifiers(Qt::ControlModifier) << true << 8;
        QTest::newRow("true-colour image, Shift+Insert, Save without a focus change")
            << trueColourImage() << int(Qt::Key_Insert) << Qt::KeyboardModifiers(Qt::ShiftModifier) << false << 24;
    }

    void pasteWhileEditingThenSaveStoresIt()
    {
        QFETCH(QImage, pasted);
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(bool, clickSave);
        QFETCH(int, storedDepth);
        Catalogue catalogue(threeFilms);
        setCovers(catalogue, Cover());
        auto form = openWindow();
        form->Editcurrentmovie1->trigger();
        QGuiApplication::clipboard()->setImage(pasted);
        QTest::mouseClick(form->DBImage1, Qt::LeftButton);
        QTest::keyClick(form->DBImage1, Qt::Key(key), modifiers);
        QCOMPARE(shownSize(*form->DBImage1), QStringLiteral("%1 x %2").arg(pasted.width()).arg(pasted.height()));
        QVERIFY(form->DBImage1->modified());

        if (clickSave)
            QTest::mouseClick(form->BitBtn1, Qt::LeftButton);
        else
            form->BitBtn1->click();
        QCOMPARE(form->aqMovies->state(), qsBrowse);

        const Cover stored = catalogue.cover("Alien");
        QVERIFY(stored.has_value());
        QVERIFY(stored->startsWith("BM"));
        const TBitmap cover = bitmapOf(*stored);
        QCOMPARE(QSize(cover.width(), cover.height()), pasted.size());
        QCOMPARE(cover.bitsPerPixel(), storedDepth);
        for (int y = 0; y < pasted.height(); ++y) {
            for (int x = 0; x < pasted.width(); ++x) {
                const PaletteEntry colour = cover.pixelColor(x, y);
                QCOMPARE(QColor(colour.red, colour.green, colour.blue), pasted.pixelColor(x, y));
            }
        }
    }

    void cutWhileEditingThenSaveStoresNull_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::newRow("Ctrl+X") << int(Qt::Key_X) << Qt::KeyboardModifiers(Qt::ControlModifier);
        QTest::newRow("Shift+Delete") << int(Qt::Key_Delete) << Qt::KeyboardModifiers(Qt::ShiftModifier);
    }

    void cutWhileEditingThenSaveStoresNull()
    {
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        Catalogue catalogue(threeFilms);
        setCovers(catalogue, Cover());
        auto form = openWindow();
        form->Editcurrentmovie1->trigger();
        QTest::mouseClick(form->DBImage1, Qt::LeftButton);
        QTest::keyClick(form->DBImage1, Qt::Key(key), modifiers);
        QCOMPARE(shownSize(*form->DBImage1), QStringLiteral("empty"));
        QCOMPARE(QGuiApplication::clipboard()->image().size(), QSize(2, 2));
        QTest::mouseClick(form->BitBtn1, Qt::LeftButton);
        QCOMPARE(form->aqMovies->state(), qsBrowse);
        QCOMPARE(catalogue.cover("Alien"), Cover());
    }

    void anEditSavedWithoutTouchingThePictureKeepsTheCover_data()
    {
        QTest::addColumn<Cover>("value");
        QTest::addColumn<QStringList>("errors");
        QTest::newRow("BMP behind a graphic header")
            << Cover(withGraphicHeader(bytesOf(fourColours()))) << QStringList();
        // Shown empty, but never written back as null.
        QTest::newRow("JPEG file") << Cover(jpegStart) << QStringList { notABitmap, notABitmap };
    }

    void anEditSavedWithoutTouchingThePictureKeepsTheCover()
    {
        QFETCH(Cover, value);
        QFETCH(QStringList, errors);
        Catalogue catalogue(threeFilms);
        setCovers(catalogue, value);
        auto form = openWindow();
        ModalAnswer answer;
        clickLine(*form, 1);
        settle();
        form->Editcurrentmovie1->trigger();
        settle();
        QTest::mouseClick(form->DBImage1, Qt::LeftButton);
        QTest::keyClick(form->DBImage1, Qt::Key_Tab);
        typeInto(form->DBEdit13, "142");
        QTest::mouseClick(form->BitBtn1, Qt::LeftButton);
        QCOMPARE(form->aqMovies->state(), qsBrowse);
        settle();
        QCOMPARE(catalogue.column("Brazil", "Runtime"), QStringLiteral("142"));
        QCOMPARE(catalogue.cover("Brazil"), value);
        QCOMPARE(answer.texts(), errors);
    }

    void cancelAfterPasteShowsTheStoredCoverAgain_data()
    {
        QTest::addColumn<bool>("byEscape");
        QTest::newRow("Escape in the picture") << true;
        QTest::newRow("the Cancel button") << false;
    }

    void cancelAfterPasteShowsTheStoredCoverAgain()
    {
        QFETCH(bool, byEscape);
        Catalogue catalogue(threeFilms);
        setCovers(catalogue, Cover());
        const Cover before = catalogue.cover("Alien");
        auto form = openWindow();
        form->Editcurrentmovie1->trigger();
        QGuiApplication::clipboard()->setImage(trueColourImage());
        QTest::mouseClick(form->DBImage1, Qt::LeftButton);
        QTest::keyClick(form->DBImage1, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(shownSize(*form->DBImage1), QStringLiteral("4 x 3"));
        if (byEscape)
            QTest::keyClick(form->DBImage1, Qt::Key_Escape);
        else
            QTest::mouseClick(form->BitBtn4, Qt::LeftButton);
        QCOMPARE(form->aqMovies->state(), qsBrowse);
        QCOMPARE(shownSize(*form->DBImage1), QStringLiteral("2 x 2"));
        QCOMPARE(quarterColours(*form->DBImage1), fourColoursShown);
        QVERIFY(!form->DBImage1->modified());
        QCOMPARE(catalogue.cover("Alien"), before);
    }

    void aPictureSetWhileBrowsingIsShownButNeverWritten()
    {
        Catalogue catalogue(threeFilms);
        setCovers(catalogue, Cover());
        const Cover before = catalogue.cover("Alien");
        auto form = openWindow();
        ModalAnswer answer;
        DBImage* control = form->DBImage1;
        QTest::mouseClick(control, Qt::LeftButton);
        control->assignBitmap(nullptr);
        QCOMPARE(shownSize(*control), QStringLiteral("empty"));
        QVERIFY(!control->modified());
        // Escape while browsing reads the column again.
        QTest::keyClick(control, Qt::Key_Escape);
        QCOMPARE(shownSize(*control), QStringLiteral("2 x 2"));

        control->Picture().Assign(form->Image1->Picture());
        QCOMPARE(shownSize(*control), QStringLiteral("90 x 110"));
        QVERIFY(!control->modified());
        // Leaving the control writes nothing and so cannot fail and hold the focus.
        QTest::keyClick(control, Qt::Key_Tab);
        QVERIFY(QApplication::focusWidget() != control);
        form->Editcurrentmovie1->trigger();
        QCOMPARE(form->aqMovies->state(), qsEdit);
        QCOMPARE(shownSize(*control), QStringLiteral("2 x 2"));
        form->BitBtn1->click();
        settle();
        QCOMPARE(answer.texts(), QStringList());
        QCOMPARE(catalogue.cover("Alien"), before);
    }

    void bitmapsOfEveryDepthKeepTheirColoursAsImages_data()
    {
        QTest::addColumn<int>("depth");
        QTest::addColumn<bool>("bitFields");
        QTest::addColumn<int>("imageDepth");
        QTest::newRow("1 bit") << 1 << false << 8;
        QTest::newRow("4 bits") << 4 << false << 8;
        QTest::newRow("8 bits") << 8 << false << 8;
        QTest::newRow("16 bits, 5-5-5") << 16 << false << 24;
        QTest::newRow("16 bits, 5-6-5 masks") << 16 << true << 24;
        QTest::newRow("24 bits") << 24 << false << 24;
        QTest::newRow("32 bits") << 32 << false << 24;
        QTest::newRow("32 bits, masks") << 32 << true << 24;
    }

    void bitmapsOfEveryDepthKeepTheirColoursAsImages()
    {
        QFETCH(int, depth);
        QFETCH(bool, bitFields);
        QFETCH(int, imageDepth);
        TBitmap bitmap(5, 3, depth);
        if (depth <= 8) {
            std::vector<PaletteEntry> palette;
            for (int i = 0; i < (1 << depth); ++i)
                palette.push_back({ std::uint8_t(i * 7), std::uint8_t(255 - i), std::uint8_t(i * 13 % 256), 0 });
            bitmap.setPalette(palette);
        }
        if (bitFields) {
            bitmap.setCompression(BitmapCompression::BitFields);
            bitmap.setMasks(depth == 16 ? BitFieldMasks { 0xF800, 0x07E0, 0x001F }
                                        : BitFieldMasks { 0x000003FF, 0x000FFC00, 0x3FF00000 });
        }
        std::uint8_t next = 11;
        for (std::uint8_t& byte : bitmap.pixels())
            byte = next += 37;

        const QImage image = toQImage(bitmap);
        const TBitmap back = fromQImage(image);
        QCOMPARE(image.size(), QSize(5, 3));
        QCOMPARE(back.bitsPerPixel(), imageDepth);
        for (int y = 0; y < bitmap.height(); ++y) {
            for (int x = 0; x < bitmap.width(); ++x) {
                const PaletteEntry colour = bitmap.pixelColor(x, y);
                QCOMPARE(image.pixelColor(x, y), QColor(colour.red, colour.green, colour.blue));
                QCOMPARE(back.pixelColor(x, y), colour);
            }
        }
    }
};

QTEST_MAIN(DBImageTest)
#include "DBImage_test.moc"
