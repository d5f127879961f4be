#include "Catalogue.h"
#include "DBImagePictures.h"
#include "ModalAnswer.h"
#include "StandInTitleService.h"
#include "WindowTest.h"

#include "vantrelle/app/BitmapImage.h"
#include "vantrelle/app/DBEdit.h"
#include "vantrelle/app/DBImage.h"
#include "vantrelle/app/Image.h"
#include "vantrelle/app/TForm1.h"
#include "vantrelle/pictures/Bitmap.h"

#include <QAction>
#include <QClipboard>
#include <QInputDialog>
#include <QPushButton>
#include <QtTest>

using namespace vantrelle::app;
using namespace vantrelle::test;
using vantrelle::pictures::BitFieldMasks;
using vantrelle::pictures::BitmapCompression;
using vantrelle::pictures::PaletteEntry;
using vantrelle::pictures::TBitmap;
using vantrelle::store::qsBrowse;

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
